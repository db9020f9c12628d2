#include "platform/ZipPackage.h"

#include "platform/NativePath.h"

#include <zip.h>

#include <algorithm>
#include <limits>

namespace {

// Decompressed data is pulled in pieces of this size, so no single call can run far past a
// limit whatever the archive claims.
constexpr qint64 ReadChunk = 64 * 1024;
// Never reserve more than this up front: a declared size is only a claim.
constexpr qint64 MaxReserve = 16 * 1024 * 1024;

ZipError errorFromCode(int code) {
    switch (code) {
    case ZIP_ER_NOPASSWD:
    case ZIP_ER_WRONGPASSWD:
    case ZIP_ER_ENCRNOTSUPP:
        return ZipError::Encrypted;
    case ZIP_ER_MEMORY:
        return ZipError::TooLarge;
    case ZIP_ER_OPEN:
    case ZIP_ER_NOENT:
        return ZipError::CannotOpen;
    default:
        return ZipError::Damaged;
    }
}

} // namespace

ZipPackage::ZipPackage(const ZipLimits &limits) : m_limits(limits) {}

ZipPackage::~ZipPackage() {
    close();
}

bool ZipPackage::fail(ZipError error) {
    m_error = error;
    return false;
}

void ZipPackage::close() {
    if (m_zip)
        zip_discard(m_zip);
    m_zip = nullptr;
    m_names.clear();
    m_index.clear();
    m_totalRead = 0;
}

bool ZipPackage::open(const QString &path) {
    close();
    m_error = ZipError::None;
    // A pipe or device would make zip_open block or read without end.
    NativeStat st;
    if (!nativeStat(path, &st) || !st.isFile)
        return fail(ZipError::CannotOpen);

    int code = 0;
    // The consistency check compares every local header with the central directory, which
    // catches truncated and spliced archives at open rather than halfway through a read.
    const QByteArray native = nativePathBytes(path);
    m_zip = zip_open(native.constData(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    // It also refuses archives that every other reader opens: a name stored twice, or local
    // headers that differ from the directory in what does not matter (times, extra fields).
    // Those are read by their central directory alone; a part whose data then fails its
    // checksum or size is still refused when it is read.
    if (!m_zip && (code == ZIP_ER_EXISTS || code == ZIP_ER_INCONS))
        m_zip = zip_open(native.constData(), ZIP_RDONLY, &code);
    if (!m_zip)
        return fail(code == ZIP_ER_OPEN || code == ZIP_ER_READ ? ZipError::CannotOpen
                                                               : ZipError::Damaged);

    const zip_int64_t count = zip_get_num_entries(m_zip, 0);
    if (count < 0) {
        close();
        return fail(ZipError::Damaged);
    }
    if (count > m_limits.maxEntries) {
        close();
        return fail(ZipError::TooLarge);
    }
    m_names.reserve(qsizetype(count));
    for (zip_int64_t i = 0; i < count; ++i) {
        const char *raw = zip_get_name(m_zip, zip_uint64_t(i), 0);
        if (!raw) {
            close();
            return fail(ZipError::Damaged);
        }
        const QString name = QString::fromUtf8(raw);
        m_names << name;
        // A name stored twice stands for its last copy: an archive updated by appending
        // carries its newer copy last, and that is the copy unpacking the archive leaves
        // behind (and what the zip readers of Java and Python hand out).
        m_index.insert(name, i);
    }
    return true;
}

zip_file_t *ZipPackage::openEntry(const QString &name, qint64 maxBytes, qint64 *declared) {
    m_error = ZipError::None;
    if (!m_zip) {
        fail(ZipError::CannotOpen);
        return nullptr;
    }
    const auto found = m_index.constFind(name);
    if (found == m_index.constEnd()) {
        fail(ZipError::MissingPart);
        return nullptr;
    }
    const zip_uint64_t index = zip_uint64_t(found.value());

    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(m_zip, index, 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE)) {
        fail(ZipError::Damaged);
        return nullptr;
    }
    if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE) {
        fail(ZipError::Encrypted);
        return nullptr;
    }
    // The declared size bounds the read, so it must itself be within the limits. An entry
    // that then yields more than it declared is damaged (or hostile) and is dropped.
    const qint64 remaining = m_limits.maxTotalBytes - m_totalRead;
    const zip_uint64_t wanted = std::min(st.size, zip_uint64_t(maxBytes));
    if (wanted > zip_uint64_t(std::min(m_limits.maxEntryBytes, remaining))) {
        fail(ZipError::TooLarge);
        return nullptr;
    }
    *declared = qint64(std::min<zip_uint64_t>(st.size, std::numeric_limits<qint64>::max()));

    zip_file_t *file = zip_fopen_index(m_zip, index, 0);
    if (!file)
        fail(errorFromCode(zip_error_code_zip(zip_get_error(m_zip))));
    return file;
}

qint64 ZipPackage::statedSize(const QString &name) const {
    const auto found = m_index.constFind(name);
    zip_stat_t st;
    zip_stat_init(&st);
    if (!m_zip || found == m_index.constEnd() ||
        zip_stat_index(m_zip, zip_uint64_t(found.value()), 0, &st) != 0 ||
        !(st.valid & ZIP_STAT_SIZE))
        return -1;
    return qint64(std::min<zip_uint64_t>(st.size, std::numeric_limits<qint64>::max()));
}

std::optional<QByteArray> ZipPackage::readHead(const QString &name, qint64 maxBytes) {
    qint64 declared = 0;
    zip_file_t *file = openEntry(name, maxBytes, &declared);
    if (!file)
        return std::nullopt;
    const qint64 want = std::min(declared, maxBytes);
    QByteArray data(qsizetype(want), Qt::Uninitialized);
    qint64 got = 0;
    while (got < want) {
        const zip_int64_t n = zip_fread(file, data.data() + got, zip_uint64_t(want - got));
        if (n < 0) {
            fail(errorFromCode(zip_error_code_zip(zip_file_get_error(file))));
            zip_fclose(file);
            return std::nullopt;
        }
        if (n == 0)
            break;
        got += n;
    }
    zip_fclose(file);
    data.truncate(qsizetype(got));
    m_totalRead += got;
    return data;
}

std::optional<QByteArray> ZipPackage::read(const QString &name) {
    qint64 declared = 0;
    zip_file_t *file = openEntry(name, std::numeric_limits<qint64>::max(), &declared);
    if (!file)
        return std::nullopt;
    QByteArray data;
    data.reserve(qsizetype(std::min(declared, MaxReserve)));
    char buffer[ReadChunk];
    bool ok = true;
    for (;;) {
        // Ask for one byte past the declared end so that a longer stream is noticed.
        const qint64 want = std::min<qint64>(ReadChunk, declared - data.size() + 1);
        const zip_int64_t got = zip_fread(file, buffer, zip_uint64_t(want));
        if (got < 0) {
            ok = fail(errorFromCode(zip_error_code_zip(zip_file_get_error(file))));
            break;
        }
        if (got == 0)
            break;
        if (data.size() + got > declared) {
            ok = fail(ZipError::Damaged);
            break;
        }
        data.append(buffer, qsizetype(got));
    }
    zip_fclose(file);
    if (ok && data.size() != declared)
        ok = fail(ZipError::Damaged);
    if (!ok)
        return std::nullopt;
    m_totalRead += data.size();
    return data;
}

QString ZipPackage::errorText() const {
    switch (m_error) {
    case ZipError::None:
        return QString();
    case ZipError::CannotOpen:
        return ZipText::CannotOpen;
    case ZipError::Damaged:
        return ZipText::Damaged;
    case ZipError::Encrypted:
        return ZipText::Encrypted;
    case ZipError::TooLarge:
        return ZipText::TooLarge;
    case ZipError::MissingPart:
        return ZipText::MissingPart;
    }
    return ZipText::Damaged;
}

qint64 zipIndexRead(zip_t *zip, const QString &name) {
    const QByteArray utf8 = name.toUtf8();
    const zip_int64_t count = zip_get_num_entries(zip, 0);
    for (zip_int64_t i = count - 1; i >= 0; --i) {
        const char *entry = zip_get_name(zip, zip_uint64_t(i), 0);
        if (entry && utf8 == entry)
            return i;
    }
    return -1;
}

QXmlStreamReader::TokenType readNextSafe(QXmlStreamReader &reader) {
    const QXmlStreamReader::TokenType token = reader.readNext();
    if (token == QXmlStreamReader::DTD) {
        reader.raiseError(ZipText::Doctype);
        return QXmlStreamReader::Invalid;
    }
    return token;
}
