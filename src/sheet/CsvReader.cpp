// Comma-separated files as the spreadsheet application opens them: one sheet named after the
// file, fields that read fully as a number become numbers, everything else stays text.

#include "sheet/WorkbookReaders.h"

#include "encoding/Charset.h"
#include "encoding/DecodeText.h"
#include "platform/FileReader.h"

#include <QFileInfo>

#include <charconv>
#include <cmath>

namespace {

// Bytes we read into memory at all; decoding doubles them.
constexpr qint64 MaxCsvBytes = qint64(256) * 1024 * 1024;
// The application cuts sheet names at this length.
constexpr qsizetype MaxSheetName = 31;

// A field that is a number in C notation and nothing else ("12", "-3.5", "1e3", "+.5").
// No spaces, no thousands separators, no "inf" or "nan".
std::optional<double> numberOf(QStringView field) {
    if (field.isEmpty() || field.size() > 64)
        return std::nullopt;
    char buffer[65];
    qsizetype n = 0;
    bool digit = false;
    for (const QChar c : field) {
        const char16_t u = c.unicode();
        if (u >= u'0' && u <= u'9')
            digit = true;
        else if (u != u'.' && u != u'e' && u != u'E' && u != u'+' && u != u'-')
            return std::nullopt;
        buffer[n++] = char(u);
    }
    if (!digit)
        return std::nullopt;
    const char *begin = buffer;
    // from_chars takes no leading plus sign.
    if (buffer[0] == '+') {
        ++begin;
        if (begin == buffer + n || *begin == '-' || *begin == '+')
            return std::nullopt;
    }
    double value = 0;
    const auto result = std::from_chars(begin, buffer + n, value);
    if (result.ec != std::errc() || result.ptr != buffer + n || !std::isfinite(value))
        return std::nullopt;
    return value;
}

CellValue valueOf(QString field) {
    CellValue value;
    if (field.isEmpty())
        return value;
    if (const auto number = numberOf(field)) {
        value.kind = CellValue::Kind::Number;
        value.number = *number;
    } else {
        value.kind = CellValue::Kind::Text;
        value.text = std::move(field);
    }
    return value;
}

// RFC 4180 over text whose line ends are already LF. A quote opens a quoted field only at the
// start of a field; inside, a doubled quote is one quote and line breaks belong to the field.
// Text after a closing quote is kept (lenient, as the application is), and a quote left open
// runs to the end of the file.
class CsvParser {
public:
    explicit CsvParser(const QString &text) : m_text(text) {}

    // Calls onField(row, col, text) for every non-empty field (0-based row and column). False
    // when the onField refuses, or the file passes the worksheet's bounds.
    template <typename OnField> bool parse(OnField onField) {
        const qsizetype n = m_text.size();
        qsizetype i = 0;
        qint64 row = 0;
        qint64 col = 0;
        QString field;
        bool consumed = false; // the current field has taken a character or a quote
        // Empty fields only move on: they are no cells.
        const auto endField = [&]() {
            consumed = false;
            if (field.isEmpty()) {
                ++col;
                return true;
            }
            if (row >= WorkbookLimits::MaxRows || col >= WorkbookLimits::MaxCols)
                return false;
            const bool ok = onField(int(row), int(col), std::move(field));
            field = QString();
            ++col;
            return ok;
        };
        while (i < n) {
            const QChar c = m_text.at(i);
            if (c == u'"' && !consumed) {
                consumed = true;
                ++i;
                while (i < n) {
                    const QChar q = m_text.at(i);
                    ++i;
                    if (q != u'"') {
                        field += q;
                    } else if (i < n && m_text.at(i) == u'"') {
                        field += u'"';
                        ++i;
                    } else {
                        break;
                    }
                }
            } else if (c == u',' || c == u'\n') {
                if (!endField())
                    return false;
                if (c == u'\n') {
                    ++row;
                    col = 0;
                }
                ++i;
            } else {
                consumed = true;
                field += c;
                ++i;
            }
        }
        return endField();
    }

private:
    const QString &m_text;
};

} // namespace

std::optional<Workbook> readCsv(const QString &path, bool cells, QString *error) {
    const WholeFile file = readWholeFile(path, MaxCsvBytes);
    if (!file.ok()) {
        *error = file.problem == FileProblem::TooLarge ? WorkbookText::TooLarge
                                                       : WorkbookText::CannotOpen;
        return std::nullopt;
    }
    const QByteArray &bytes = file.bytes;
    const QString text = decodeText(bytes).text;

    Workbook book;
    Sheet sheet;
    sheet.name = QFileInfo(path).completeBaseName().left(MaxSheetName);
    qsizetype budget = WorkbookLimits::MaxCells;
    bool ok = false;
    {
        SheetBuilder builder(sheet, cells, budget); // settles the cells as it ends
        ok = CsvParser(text).parse([&builder](int row, int col, QString field) {
            return builder.add(row + 1, col + 1, valueOf(std::move(field)));
        });
    }
    if (!ok) {
        *error = WorkbookText::TooLarge;
        return std::nullopt;
    }
    book.sheets << std::move(sheet);
    return book;
}
