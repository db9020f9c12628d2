#include "platform/NativePath.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <unistd.h>
#else
// Elsewhere names are Unicode already: Qt lists and examines them; reading keeps the C runtime.
#include <QDir>
#include <QFileInfo>
#include <io.h>
#ifndef O_CLOEXEC
#define O_CLOEXEC 0
#endif
#endif

namespace {

constexpr char16_t EscapeBase = 0xDC00;

// Length of the valid UTF-8 sequence at bytes[i], or 0 when the byte there does not start
// one. Overlong forms, encoded surrogates and code points above U+10FFFF are invalid.
int validSequence(const unsigned char *p, qsizetype remaining, char32_t *cp) {
    const unsigned char b0 = p[0];
    if (b0 < 0x80) {
        *cp = b0;
        return 1;
    }
    int len = 0;
    char32_t min = 0;
    char32_t value = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2;
        min = 0x80;
        value = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3;
        min = 0x800;
        value = b0 & 0x0F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4;
        min = 0x10000;
        value = b0 & 0x07;
    } else {
        return 0;
    }
    if (remaining < len)
        return 0;
    for (int k = 1; k < len; ++k) {
        if ((p[k] & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (p[k] & 0x3F);
    }
    if (value < min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    *cp = value;
    return len;
}

void appendUtf8(QByteArray &out, char32_t cp) {
    if (cp < 0x80) {
        out.append(char(cp));
    } else if (cp < 0x800) {
        out.append(char(0xC0 | (cp >> 6)));
        out.append(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.append(char(0xE0 | (cp >> 12)));
        out.append(char(0x80 | ((cp >> 6) & 0x3F)));
        out.append(char(0x80 | (cp & 0x3F)));
    } else {
        out.append(char(0xF0 | (cp >> 18)));
        out.append(char(0x80 | ((cp >> 12) & 0x3F)));
        out.append(char(0x80 | ((cp >> 6) & 0x3F)));
        out.append(char(0x80 | (cp & 0x3F)));
    }
}

QString errnoMessage(int number) {
    return QString::fromLocal8Bit(std::strerror(number));
}

} // namespace

QString decodeNativeName(const QByteArray &bytes) {
    QString out;
    out.reserve(bytes.size());
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        char32_t cp = 0;
        const int len = validSequence(p + i, n - i, &cp);
        if (len == 0) {
            out.append(QChar(char16_t(EscapeBase + p[i])));
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            const char32_t v = cp - 0x10000;
            out.append(QChar(char16_t(0xD800 + (v >> 10))));
            out.append(QChar(char16_t(0xDC00 + (v & 0x3FF))));
        } else {
            out.append(QChar(char16_t(cp)));
        }
        i += len;
    }
    return out;
}

QByteArray encodeNativeName(const QString &name) {
    QByteArray out;
    out.reserve(name.size() * 3);
    const qsizetype n = name.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = name.at(i).unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < n &&
            QChar::isLowSurrogate(name.at(i + 1).unicode())) {
            appendUtf8(out, QChar::surrogateToUcs4(u, name.at(i + 1).unicode()));
            ++i;
        } else if (u >= 0xDC80 && u <= 0xDCFF) {
            out.append(char(u - EscapeBase));
        } else if (QChar::isSurrogate(u)) {
            appendUtf8(out, 0xFFFD);
        } else {
            appendUtf8(out, u);
        }
    }
    return out;
}

namespace {

// Calls onLone(i) for each lone surrogate of text; stops when it returns false.
template <typename F> void forEachLoneSurrogate(QStringView text, F onLone) {
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = text[i].unicode();
        if (!QChar::isSurrogate(u))
            continue;
        if (QChar::isHighSurrogate(u) && i + 1 < n && text[i + 1].isLowSurrogate())
            ++i;
        else if (!onLone(i))
            return;
    }
}

} // namespace

bool hasForeignBytes(QStringView text) {
    // Nearly every text has no surrogate at all: one pass without branches (the compiler does
    // it many units at a time) says so before the careful walk.
    bool anySurrogate = false;
    for (QChar c : text)
        anySurrogate |= (c.unicode() & 0xF800) == 0xD800;
    if (!anySurrogate)
        return false;
    bool found = false;
    forEachLoneSurrogate(text, [&](qsizetype) {
        found = true;
        return false;
    });
    return found;
}

QString shownName(QStringView name) {
    QString out = name.toString();
    forEachLoneSurrogate(name, [&](qsizetype i) {
        out[i] = QChar::ReplacementCharacter;
        return true;
    });
    return out;
}

QString fJoinPath(const QString &folder, const QString &name) {
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

QString parentFolderOf(const QString &path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash <= 0)
        return slash == 0 ? QStringLiteral("/") : QStringLiteral(".");
    return path.left(slash);
}

QString lastNameOf(const QString &path) {
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString programFolder() {
    return parentFolderOf(programFilePath());
}

QDateTime modificationTime(const QString &path) {
    NativeStat st;
    return nativeStat(path, &st) ? st.modified : QDateTime();
}

#ifdef Q_OS_UNIX

QString programFilePath() {
#ifdef Q_OS_LINUX
    // Qt decodes this link with a codec that would turn bytes that are not UTF-8 into U+FFFD.
    QByteArray target(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", target.data(), size_t(target.size()));
    if (n > 0 && n < target.size())
        return decodeNativeName(target.left(n));
#endif
    return QCoreApplication::applicationFilePath();
}

bool nativeStat(const QString &path, NativeStat *out, bool followLinks, bool localTime) {
    *out = NativeStat();
    const QByteArray bytes = encodeNativeName(path);
    struct stat st {};
    const int rc = followLinks ? ::stat(bytes.constData(), &st) : ::lstat(bytes.constData(), &st);
    if (rc != 0)
        return false;
    out->exists = true;
    out->isDir = S_ISDIR(st.st_mode);
    out->isFile = S_ISREG(st.st_mode);
    out->isSymLink = S_ISLNK(st.st_mode);
    out->size = out->isDir ? 0 : quint64(st.st_size);
    const qint64 ms = qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
    out->modifiedMsecs = ms;
    if (localTime)
        out->modified = QDateTime::fromMSecsSinceEpoch(ms, Qt::LocalTime);
    return true;
}

bool listFolder(const QString &folder, const std::function<bool(const QString &name)> &onEntry) {
    DIR *dir = ::opendir(encodeNativeName(folder).constData());
    if (!dir)
        return false;
    int failure = 0;
    while (true) {
        errno = 0;
        const dirent *entry = ::readdir(dir);
        if (!entry) {
            failure = errno; // 0 at the end of the listing
            break;
        }
        const char *name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        if (!onEntry(decodeNativeName(QByteArray(name))))
            break;
    }
    ::closedir(dir);
    errno = failure;
    return failure == 0;
}

#else

QString programFilePath() {
    return QCoreApplication::applicationFilePath();
}

bool nativeStat(const QString &path, NativeStat *out, bool followLinks, bool) {
    *out = NativeStat();
    const QFileInfo info(path);
    const bool link = info.isSymLink();
    if (!followLinks && link) {
        out->exists = true;
        out->isSymLink = true;
        out->modified = info.lastModified();
        out->modifiedMsecs = out->modified.toMSecsSinceEpoch();
        return true;
    }
    if (!info.exists()) {
        errno = ENOENT;
        return false;
    }
    out->exists = true;
    out->isDir = info.isDir();
    out->isFile = info.isFile();
    out->size = out->isDir ? 0 : quint64(info.size());
    out->modified = info.lastModified();
    out->modifiedMsecs = out->modified.toMSecsSinceEpoch();
    return true;
}

bool listFolder(const QString &folder, const std::function<bool(const QString &name)> &onEntry) {
    const QDir dir(folder);
    if (!dir.exists())
        return false;
    const QStringList names =
        dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        if (!onEntry(name))
            break;
    }
    return true;
}

#endif

int openForRead(const QString &path) {
#ifdef Q_OS_UNIX
    // Non-blocking only for the open itself: a pipe without a writer would block it forever.
    const int fd = ::open(encodeNativeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd >= 0)
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
#else
    const int fd = ::open(encodeNativeName(path).constData(), O_RDONLY | O_CLOEXEC);
#endif
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        const int number = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(fd);
        errno = number;
        return -1;
    }
    return fd;
}

NativeFile::~NativeFile() {
    close();
}

bool NativeFile::open(const QString &path) {
    close();
    m_fd = openForRead(path);
    m_error = m_fd < 0 ? errno : 0;
    return m_fd >= 0;
}

bool NativeFile::openRegular(const QString &path, qint64 *size) {
    close();
#ifdef Q_OS_UNIX
    // Non-blocking, so that a pipe put in the file's place cannot hold the open; a regular
    // file reads the same either way, so the flag is left as it is.
    m_fd = ::open(encodeNativeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
#else
    m_fd = ::open(encodeNativeName(path).constData(), O_RDONLY | O_CLOEXEC);
#endif
    if (m_fd < 0) {
        m_error = errno;
        return false;
    }
    struct stat st {};
    const bool looked = ::fstat(m_fd, &st) == 0;
    if (!looked || !S_ISREG(st.st_mode)) {
        m_error = !looked ? errno : S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        close();
        return false;
    }
    m_error = 0;
    if (size)
        *size = st.st_size;
    return true;
}

qint64 NativeFile::read(char *data, qint64 maxSize) {
    if (m_fd < 0) {
        m_error = EBADF;
        return -1;
    }
    qint64 total = 0;
    // A read may return less than asked (signals, pipes); blocks must be full until the end.
    while (total < maxSize) {
        const auto got = ::read(m_fd, data + total, size_t(maxSize - total));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            m_error = errno;
            return -1;
        }
        if (got == 0)
            break;
        total += got;
    }
    return total;
}

bool NativeFile::isRegular() const {
    struct stat st {};
    return m_fd >= 0 && ::fstat(m_fd, &st) == 0 && S_ISREG(st.st_mode);
}

void NativeFile::close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

QString NativeFile::errorText() const {
    return errnoMessage(m_error);
}
