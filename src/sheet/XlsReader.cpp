// Legacy .xls workbooks: the workbook stream out of the compound file (libgsf), then our own
// reading of its records (parseXlsStream).

#include "sheet/WorkbookReaders.h"

#include "platform/FileReader.h"
#include "sheet/XlsStreamParser.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-utils.h>

#include <memory>
#include <mutex>

namespace {

// A file or a workbook stream beyond this is refused before it is read whole.
constexpr qint64 MaxXlsBytes = qint64(1) << 30;
// The stream is copied out in blocks of this size, with a look at the stop flag after each.
constexpr qint64 BlockBytes = 4 << 20;

struct Unref {
    void operator()(void *object) const { g_object_unref(object); }
};
template <typename T> using GsfPtr = std::unique_ptr<T, Unref>;

// Set while this thread reads a compound file: the library's complaints about a damaged one
// are dropped (we report the refusal ourselves); everything else logs as usual.
thread_local bool readingCompoundFile = false;

void dropWhileReading(const gchar *domain, GLogLevelFlags level, const gchar *message,
                      gpointer data) {
    if (!readingCompoundFile)
        g_log_default_handler(domain, level, message, data);
}

void initGsf() {
    static std::once_flag once;
    std::call_once(once, [] {
        gsf_init();
        const auto levels =
            GLogLevelFlags(G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING | G_LOG_LEVEL_MESSAGE |
                           G_LOG_FLAG_FATAL | G_LOG_FLAG_RECURSION);
        // The compound file reader logs under its own domain and, for some damage, none.
        for (const char *domain : {"libgsf:msole", static_cast<const char *>(nullptr)})
            g_log_set_handler(domain, levels, dropWhileReading, nullptr);
    });
}

struct ReadingCompoundFile {
    ReadingCompoundFile() { readingCompoundFile = true; }
    ~ReadingCompoundFile() { readingCompoundFile = false; }
};

// The index of the compound file's entry with this name, whatever its case; -1 when none.
int childNamed(GsfInfile *file, const char *name) {
    const int count = gsf_infile_num_children(file);
    for (int i = 0; i < count; ++i) {
        const char *child = gsf_infile_name_by_index(file, i);
        if (child && g_ascii_strcasecmp(child, name) == 0)
            return i;
    }
    return -1;
}

} // namespace

std::optional<Workbook> readXlsBytes(const QByteArray &bytes, bool cells, QString *error,
                                     const std::function<bool()> &stop) {
    // Workbooks of 1987 to 1993 are a bare record stream, not a compound file: they begin with
    // the opening record of their version.
    for (const char *older : {"\x09\x00", "\x09\x02", "\x09\x04"}) {
        if (bytes.startsWith(QByteArrayView(older, 2))) {
            *error = WorkbookText::UnknownFormat;
            return std::nullopt;
        }
    }
    initGsf();
    const ReadingCompoundFile quiet;
    GsfPtr<GsfInput> input(gsf_input_memory_new(reinterpret_cast<const guint8 *>(bytes.constData()),
                                                bytes.size(), FALSE));
    GError *problem = nullptr;
    GsfPtr<GsfInfile> file(input ? gsf_infile_msole_new(input.get(), &problem) : nullptr);
    g_clear_error(&problem);
    if (!file) {
        *error = WorkbookText::NotWorkbook;
        return std::nullopt;
    }
    // "Book" holds a workbook written from 1993 to 1997; a file may carry both.
    int index = childNamed(file.get(), "Workbook");
    if (index < 0)
        index = childNamed(file.get(), "Book");
    if (index < 0) {
        // An encrypted .xlsx is a compound file too.
        *error = childNamed(file.get(), "EncryptedPackage") >= 0 ? WorkbookText::Encrypted
                                                                 : WorkbookText::NotWorkbook;
        return std::nullopt;
    }
    GsfPtr<GsfInput> stream(gsf_infile_child_by_index(file.get(), index));
    if (!stream) {
        *error = WorkbookText::Damaged;
        return std::nullopt;
    }
    const gsf_off_t size = gsf_input_size(stream.get());
    if (size < 0 || size > MaxXlsBytes) {
        *error = WorkbookText::TooLarge;
        return std::nullopt;
    }
    QByteArray workbook(qsizetype(size), Qt::Uninitialized);
    for (qint64 done = 0; done < size;) {
        const qint64 n = std::min(BlockBytes, qint64(size) - done);
        if (!gsf_input_read(stream.get(), size_t(n),
                            reinterpret_cast<guint8 *>(workbook.data() + done))) {
            *error = WorkbookText::Damaged;
            return std::nullopt;
        }
        done += n;
        if (stop && stop()) {
            *error = WorkbookText::Stopped;
            return std::nullopt;
        }
    }
    return parseXlsStream(workbook, cells, error, stop);
}

std::optional<Workbook> readXls(const QString &path, bool cells, QString *error,
                                const std::function<bool()> &stop) {
    const WholeFile file = readWholeFile(path, MaxXlsBytes, stop);
    switch (file.problem) {
    case FileProblem::None:
        return readXlsBytes(file.bytes, cells, error, stop);
    case FileProblem::TooLarge:
        *error = WorkbookText::TooLarge;
        break;
    case FileProblem::Stopped:
        *error = WorkbookText::Stopped;
        break;
    default:
        *error = WorkbookText::CannotOpen;
        break;
    }
    return std::nullopt;
}
