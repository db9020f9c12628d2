// Legacy .xls workbooks through FreeXL.

#include "sheet/WorkbookReaders.h"

#include "platform/ChildProcess.h"
#include "platform/NativePath.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QDate>
#include <QFile>
#include <QString>

#include <freexl.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// A workbook FreeXL has not finished reading by then is taken to keep it in a loop.
constexpr int XlsReaderTimeoutMs = 60000;
// Largest reply taken from the helper: the cell budget's worth of short texts.
constexpr qint64 MaxReplyBytes = qint64(2) * 1024 * 1024 * 1024 - 1;

// The helper program: beside the running program, else where the build put it.
QString xlsReaderProgram() {
    const QString name = QStringLiteral("/corvane-xls-reader");
    if (QCoreApplication::instance()) {
        const QString beside = programFolder() + name;
        NativeStat st;
        if (nativeStat(beside, &st) && st.isFile)
            return beside;
    }
    return QStringLiteral(CORVANE_XLS_READER_FALLBACK);
}

struct FreeXlClose {
    void operator()(const void *handle) const { freexl_close(handle); }
};
using FreeXlHandle = std::unique_ptr<const void, FreeXlClose>;

// FreeXL hands dates and times over as text ("YYYY-MM-DD", "YYYY-MM-DD HH:MM:SS",
// "HH:MM:SS"); the workbook holds them as serial numbers, and so do we.
std::optional<double> serialOf(const char *text, unsigned char type) {
    const QString s = QString::fromLatin1(text);
    double serial = 0;
    QStringView time;
    if (type == FREEXL_CELL_DATE || type == FREEXL_CELL_DATETIME) {
        bool okY = false, okM = false, okD = false;
        const int year = s.mid(0, 4).toInt(&okY);
        const int month = s.mid(5, 2).toInt(&okM);
        const int day = s.mid(8, 2).toInt(&okD);
        if (!okY || !okM || !okD || !QDate::isValid(year, month, day))
            return std::nullopt;
        serial = dateSerial(year, month, day);
        if (type == FREEXL_CELL_DATETIME)
            time = QStringView(s).mid(11);
    } else {
        time = QStringView(s);
    }
    if (!time.isEmpty()) {
        bool okH = false, okM = false, okS = false;
        const int h = time.mid(0, 2).toInt(&okH);
        const int m = time.mid(3, 2).toInt(&okM);
        const int sec = time.mid(6, 2).toInt(&okS);
        if (!okH || !okM || !okS)
            return std::nullopt;
        serial += (h * 3600 + m * 60 + sec) / 86400.0;
    }
    return serial;
}

CellValue valueOf(const FreeXL_CellValue &cell) {
    CellValue value;
    switch (cell.type) {
    case FREEXL_CELL_INT:
        value.kind = CellValue::Kind::Number;
        value.number = cell.value.int_value;
        break;
    case FREEXL_CELL_DOUBLE:
        value.kind = CellValue::Kind::Number;
        value.number = cell.value.double_value;
        break;
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
        value.kind = CellValue::Kind::Text;
        value.text = QString::fromUtf8(cell.value.text_value ? cell.value.text_value : "");
        break;
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME:
        if (!cell.value.text_value)
            break;
        if (const auto serial = serialOf(cell.value.text_value, cell.type)) {
            value.kind = CellValue::Kind::Number;
            value.number = *serial;
        } else {
            value.kind = CellValue::Kind::Text;
            value.text = QString::fromUtf8(cell.value.text_value);
        }
        break;
    default:
        break;
    }
    return value;
}

// The reading itself, in whatever process runs it.
std::optional<Workbook> readXlsHere(const QString &path, bool cells, QString *error) {
    const QByteArray name = nativePathBytes(path);
    const void *raw = nullptr;
    const int opened = freexl_open(name.constData(), &raw);
    FreeXlHandle handle(raw); // to be closed even when opening failed
    if (opened != FREEXL_OK || !raw) {
        *error = opened == FREEXL_FILE_NOT_FOUND        ? WorkbookText::CannotOpen
                 : opened == FREEXL_INSUFFICIENT_MEMORY ? WorkbookText::TooLarge
                                                        : WorkbookText::NotWorkbook;
        return std::nullopt;
    }
    unsigned int info = 0;
    if (freexl_get_info(raw, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK &&
        info == FREEXL_BIFF_OBFUSCATED) {
        *error = WorkbookText::Encrypted;
        return std::nullopt;
    }
    unsigned int count = 0;
    if (freexl_get_info(raw, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK) {
        *error = WorkbookText::Damaged;
        return std::nullopt;
    }

    Workbook book;
    qsizetype budget = WorkbookLimits::MaxCells;
    for (unsigned int index = 0; index < count && index <= 0xFFFF; ++index) {
        Sheet sheet;
        const char *sheetName = nullptr;
        if (freexl_get_worksheet_name(raw, (unsigned short)index, &sheetName) != FREEXL_OK ||
            freexl_select_active_worksheet(raw, (unsigned short)index) != FREEXL_OK) {
            *error = WorkbookText::Damaged;
            return std::nullopt;
        }
        sheet.name = QString::fromUtf8(sheetName ? sheetName : "");
        unsigned int rows = 0;
        unsigned short cols = 0;
        if (freexl_worksheet_dimensions(raw, &rows, &cols) != FREEXL_OK) {
            *error = WorkbookText::Damaged;
            return std::nullopt;
        }
        // The format itself stops at 65,536 rows and 256 columns; FreeXL keeps the whole
        // rectangle, so walking it is bounded by what the library already holds.
        if (rows > unsigned(WorkbookLimits::MaxRows) || cols > WorkbookLimits::MaxCols) {
            *error = WorkbookText::TooLarge;
            return std::nullopt;
        }
        // FreeXL knows no used range of its own: walk the cells for the first and last one.
        SheetBuilder builder(sheet, cells, budget);
        for (unsigned int r = 0; r < rows; ++r) {
            for (unsigned short c = 0; c < cols; ++c) {
                FreeXL_CellValue cell;
                if (freexl_get_cell_value(raw, r, c, &cell) != FREEXL_OK)
                    continue;
                if (cell.type == FREEXL_CELL_NULL)
                    continue;
                if (!builder.add(int(r) + 1, int(c) + 1, valueOf(cell))) {
                    *error = WorkbookText::TooLarge;
                    return std::nullopt;
                }
            }
        }
        book.sheets << std::move(sheet);
    }
    return book;
}

// A workbook sent from the helper program to the main one.
void writeBook(QDataStream &out, const Workbook &book) {
    out << qint64(book.sheets.size());
    for (const Sheet &sheet : book.sheets) {
        out << sheet.name << sheet.firstRow << sheet.firstCol << sheet.lastRow << sheet.lastCol;
        out << qint64(sheet.cells.size());
        for (auto it = sheet.cells.cbegin(); it != sheet.cells.cend(); ++it)
            out << it.key() << int(it->kind) << it->number << it->text;
    }
}

std::optional<Workbook> readBook(QDataStream &in) {
    Workbook book;
    qint64 sheets = 0;
    in >> sheets;
    for (qint64 s = 0; s < sheets && in.status() == QDataStream::Ok; ++s) {
        Sheet sheet;
        qint64 count = 0;
        in >> sheet.name >> sheet.firstRow >> sheet.firstCol >> sheet.lastRow >> sheet.lastCol >>
            count;
        for (qint64 k = 0; k < count && in.status() == QDataStream::Ok; ++k) {
            quint64 key = 0;
            int kind = 0;
            CellValue value;
            in >> key >> kind >> value.number >> value.text;
            value.kind = CellValue::Kind(kind);
            sheet.cells.insert(key, value);
        }
        book.sheets << std::move(sheet);
    }
    if (in.status() != QDataStream::Ok)
        return std::nullopt;
    return book;
}

} // namespace

// FreeXL trusts the lengths inside the file: a damaged or hostile .xls can make it read past
// its own buffers (found by fuzzing). It therefore runs in a helper program of its own
// (corvane-xls-reader, beside the main program); a helper that crashes or is killed only means
// a damaged workbook, and the result comes back through its standard output.
std::optional<Workbook> readXlsWith(const QString &reader, const QString &path, bool cells,
                                    QString *error, int timeoutMs,
                                    const std::function<bool()> &stop) {
    // The path goes in as its bytes: an argument could not carry a name that is not UTF-8.
    const QStringList arguments = cells ? QStringList{QStringLiteral("--cells")} : QStringList();
    const ProgramRun run =
        runProgram(reader, arguments, nativePathBytes(path), timeoutMs, MaxReplyBytes, stop);
    switch (run.outcome) {
    case ProgramRun::Outcome::CannotStart:
        *error = WorkbookText::NoReader;
        return std::nullopt;
    case ProgramRun::Outcome::Timeout:
        *error = WorkbookText::Timeout;
        return std::nullopt;
    case ProgramRun::Outcome::Stopped:
        *error = WorkbookText::Stopped;
        return std::nullopt;
    case ProgramRun::Outcome::TooMuchOutput:
        *error = WorkbookText::TooLarge;
        return std::nullopt;
    case ProgramRun::Outcome::Crashed:
    case ProgramRun::Outcome::Exited:
        break;
    }
    if (!run.succeeded()) {
        *error = WorkbookText::Damaged;
        return std::nullopt;
    }
    QDataStream in(run.output);
    bool ok = false;
    QString message;
    in >> ok >> message;
    if (in.status() != QDataStream::Ok) {
        *error = WorkbookText::Damaged;
        return std::nullopt;
    }
    if (!ok) {
        *error = message;
        return std::nullopt;
    }
    std::optional<Workbook> book = readBook(in);
    if (!book)
        *error = WorkbookText::Damaged;
    return book;
}

std::optional<Workbook> readXls(const QString &path, bool cells, QString *error,
                                const std::function<bool()> &stop) {
    return readXlsWith(xlsReaderProgram(), path, cells, error, XlsReaderTimeoutMs, stop);
}

int xlsReaderMain(int argc, char **argv) {
    const bool cells = argc > 1 && std::strcmp(argv[1], "--cells") == 0;
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly))
        return 2;
    const QString path = decodeNativeName(input.readAll());
    QString message;
    std::optional<Workbook> book;
    try {
        book = readXlsHere(path, cells, &message);
    } catch (const std::bad_alloc &) {
        message = WorkbookText::TooLarge;
    }
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out << bool(book) << message;
        if (book)
            writeBook(out, *book);
    }
    QFile output;
    if (!output.open(stdout, QIODevice::WriteOnly) || output.write(bytes) != bytes.size() ||
        !output.flush())
        return 3;
    return 0;
}
