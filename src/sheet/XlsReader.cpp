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

void initGsf() {
    static std::once_flag once;
    std::call_once(once, [] {
        gsf_init();
        // A damaged compound file is a refusal we report ourselves; the library's own
        // warnings about it would only reach the terminal.
        g_log_set_handler(
            "libgsf:msole", GLogLevelFlags(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_MESSAGE),
            [](const gchar *, GLogLevelFlags, const gchar *, gpointer) {}, nullptr);
    });
}

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
    initGsf();
    GsfPtr<GsfInput> input(gsf_input_memory_new(reinterpret_cast<const guint8 *>(bytes.constData()),
                                                bytes.size(), FALSE));
    GError *problem = nullptr;
    GsfPtr<GsfInfile> file(input ? gsf_infile_msole_new(input.get(), &problem) : nullptr);
    g_clear_error(&problem);
    if (!file) {
        *error = WorkbookText::NotWorkbook;
        return std::nullopt;
    }
    const int index = childNamed(file.get(), "Workbook");
    if (index < 0) {
        // An encrypted .xlsx is a compound file too; "Book" holds a workbook written before 1997.
        *error = childNamed(file.get(), "EncryptedPackage") >= 0 ? WorkbookText::Encrypted
                 : childNamed(file.get(), "Book") >= 0           ? WorkbookText::UnknownFormat
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
