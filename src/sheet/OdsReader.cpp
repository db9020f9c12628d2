// OpenDocument spreadsheets (.ods): content.xml streamed once. Rows and cells carry repeat
// counts; a run of empty cells is skipped in one step, so the filler rows an application writes
// down to the sheet's last row cost nothing.

#include "sheet/OdsNumberStyles.h"
#include "sheet/WorkbookReaders.h"

#include "platform/ZipPackage.h"

#include <QDateTime>
#include <QList>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <cmath>

namespace {

const QString OdfOffice = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
const QString OdfTable = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
const QString OdfText = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
// Longest run of spaces one <text:s> may stand for; larger counts are hostile.
constexpr int MaxSpaceRun = 1000;

// The formats a cell's value type implies, for showing it when its style names no number style.
enum OdsFormat : quint16 { General, Date, DateTime, Time, Percent, PercentDecimals };
const QStringList OdsFormats = {QString(),
                                QStringLiteral("yyyy/m/d"),
                                QStringLiteral("yyyy/m/d h:mm:ss"),
                                QStringLiteral("[h]:mm:ss"),
                                QStringLiteral("0%"),
                                QStringLiteral("0.00%")};

// The cell style a run of columns gives the cells that name none.
struct ColumnStyle {
    int first = 0, last = 0;
    QString style;
};

// One cell of a row as written, before the row's repeat count is applied.
struct RowCell {
    int col = 0;
    int repeat = 1;
    CellValue value;
};

int repeatCount(const QXmlStreamAttributes &attrs, const char *name, int most) {
    bool ok = false;
    const qint64 n = attrs.value(OdfTable, QLatin1String(name)).toLongLong(&ok);
    return ok && n > 1 ? int(std::min<qint64>(n, most)) : 1;
}

// "PT12H30M15.5S" (an ISO duration) as a fraction of a day; negative when unreadable.
double durationDays(QStringView text) {
    static const QRegularExpression pattern(QStringLiteral(
        "^(-)?P(?:(\\d+)D)?(?:T(?:(\\d+)H)?(?:(\\d+)M)?(?:(\\d+(?:\\.\\d+)?)S)?)?$"));
    const auto m = pattern.match(text.toString());
    if (!m.hasMatch())
        return -1;
    const double seconds = m.capturedView(2).toDouble() * 86400 +
                           m.capturedView(3).toDouble() * 3600 + m.capturedView(4).toDouble() * 60 +
                           m.capturedView(5).toDouble();
    return (m.capturedView(1).isEmpty() ? 1 : -1) * seconds / 86400;
}

// "2024-05-04" or "2024-05-04T10:30:00" as the application's serial day number.
std::optional<double> dateValue(QStringView text) {
    const QDate date = QDate::fromString(text.left(10).toString(), Qt::ISODate);
    if (!date.isValid())
        return std::nullopt;
    double serial = dateSerial(date.year(), date.month(), date.day());
    if (text.size() > 11) {
        const QTime time = QTime::fromString(text.mid(11).toString(), Qt::ISODateWithMs);
        if (!time.isValid())
            return std::nullopt;
        serial += time.msecsSinceStartOfDay() / 86400000.0;
    }
    return serial;
}

class OdsReader {
public:
    OdsReader(bool cells, qsizetype &budget) : m_cells(cells), m_budget(budget) {}
    std::optional<Workbook> read(const QString &path);
    QString error() const { return m_error; }

private:
    bool fail(const QString &error) {
        if (m_error.isEmpty())
            m_error = error;
        return false;
    }
    bool readContent(const QByteArray &xml, Workbook &book);
    void readStyles(ZipPackage &zip);
    bool readTable(QXmlStreamReader &r, Sheet &sheet);
    void readColumn(QXmlStreamReader &r, int &col);
    bool readRow(QXmlStreamReader &r, int &row, SheetBuilder &builder);
    CellValue readCell(QXmlStreamReader &r, int col);
    quint16 formatIndex(const QString &cellStyle);
    QString readCellText(QXmlStreamReader &r);

    bool m_cells;
    qsizetype &m_budget;
    QString m_error;
    OdsNumberStyles m_styles;
    // Of the table being read: its column styles and the format codes its cells use.
    Sheet *m_sheet = nullptr;
    QList<ColumnStyle> m_columnStyles;
    QHash<QString, quint16> m_formatIndexes; // by cell style
};

std::optional<Workbook> OdsReader::read(const QString &path) {
    ZipPackage zip;
    if (!zip.open(path)) {
        fail(zip.error() == ZipError::Damaged ? WorkbookText::NotWorkbook : zip.errorText());
        return std::nullopt;
    }
    // An encrypted package keeps its parts as ciphertext and says so in the manifest.
    if (const auto manifest = zip.read(QStringLiteral("META-INF/manifest.xml"));
        manifest && manifest->contains("encryption-data")) {
        fail(WorkbookText::Encrypted);
        return std::nullopt;
    }
    const std::optional<QByteArray> xml = zip.read(QStringLiteral("content.xml"));
    if (!xml) {
        fail(zip.error() == ZipError::MissingPart ? WorkbookText::NotWorkbook : zip.errorText());
        return std::nullopt;
    }
    readStyles(zip);
    Workbook book;
    if (!readContent(*xml, book))
        return std::nullopt;
    return book;
}

// The named styles of styles.xml, which cell styles of content.xml may inherit from. A
// package without it (or with a damaged one) only loses the formats.
void OdsReader::readStyles(ZipPackage &zip) {
    const std::optional<QByteArray> xml = zip.read(QStringLiteral("styles.xml"));
    if (!xml)
        return;
    QXmlStreamReader r(*xml);
    while (!r.atEnd()) {
        if (readNextSafe(r) == QXmlStreamReader::StartElement && r.namespaceUri() == OdfOffice &&
            (r.name() == u"styles" || r.name() == u"automatic-styles"))
            m_styles.read(r);
    }
}

bool OdsReader::readContent(const QByteArray &xml, Workbook &book) {
    QXmlStreamReader r(xml);
    bool sawRoot = false;
    while (!r.atEnd()) {
        if (readNextSafe(r) != QXmlStreamReader::StartElement)
            continue;
        if (!sawRoot) {
            if (r.namespaceUri() != OdfOffice || r.name() != u"document-content")
                return fail(WorkbookText::NotWorkbook);
            sawRoot = true;
        }
        if (r.namespaceUri() == OdfOffice && r.name() == u"automatic-styles") {
            m_styles.read(r);
            continue;
        }
        if (r.namespaceUri() == OdfTable && r.name() == u"table") {
            Sheet sheet;
            sheet.name = r.attributes().value(OdfTable, QLatin1String("name")).toString();
            if (!readTable(r, sheet))
                return false;
            book.sheets << std::move(sheet);
        }
    }
    if (r.hasError())
        return fail(r.errorString() == ZipText::Doctype ? ZipText::Doctype : ZipText::Damaged);
    return sawRoot || fail(WorkbookText::NotWorkbook);
}

// The rows of one table, wherever they stand in it (header rows, row groups).
bool OdsReader::readTable(QXmlStreamReader &r, Sheet &sheet) {
    SheetBuilder builder(sheet, m_cells, m_budget);
    sheet.numberFormats = OdsFormats;
    m_sheet = &sheet;
    m_columnStyles.clear();
    m_formatIndexes.clear();
    int row = 1;
    int col = 1;
    int depth = 1;
    while (depth > 0 && !r.atEnd()) {
        const auto token = readNextSafe(r);
        if (token == QXmlStreamReader::EndElement) {
            --depth;
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        const bool table = r.namespaceUri() == OdfTable;
        if (table && r.name() == u"table-row") {
            if (!readRow(r, row, builder))
                return false;
        } else if (table && r.name() == u"table-column") {
            readColumn(r, col);
        } else if (table &&
                   (r.name() == u"table-header-rows" || r.name() == u"table-rows" ||
                    r.name() == u"table-row-group" || r.name() == u"table-columns" ||
                    r.name() == u"table-header-columns" || r.name() == u"table-column-group")) {
            ++depth;
        } else {
            r.skipCurrentElement(); // shapes, named ranges
        }
    }
    return !r.hasError() || fail(ZipText::Damaged);
}

// One column element, repeated as it says; col moves on past it.
void OdsReader::readColumn(QXmlStreamReader &r, int &col) {
    const int repeat =
        repeatCount(r.attributes(), "number-columns-repeated", WorkbookLimits::MaxCols);
    const QString style =
        r.attributes().value(OdfTable, QLatin1String("default-cell-style-name")).toString();
    const int last = int(std::min<qint64>(qint64(col) + repeat - 1, WorkbookLimits::MaxCols));
    if (!style.isEmpty() && col <= last)
        m_columnStyles.append({col, last, style});
    col = last + 1;
    r.skipCurrentElement();
}

// The index of a cell style's format code in the sheet's list; 0 when the style gives none.
quint16 OdsReader::formatIndex(const QString &cellStyle) {
    const auto found = m_formatIndexes.constFind(cellStyle);
    if (found != m_formatIndexes.constEnd())
        return *found;
    const QString code = m_styles.formatOf(cellStyle);
    quint16 index = 0;
    if (!code.isEmpty() && m_sheet->numberFormats.size() <= 0xFFFF) {
        qsizetype at = m_sheet->numberFormats.indexOf(code);
        if (at < 0) {
            at = m_sheet->numberFormats.size();
            m_sheet->numberFormats << code;
        }
        index = quint16(at);
    }
    m_formatIndexes.insert(cellStyle, index);
    return index;
}

// One row element, repeated as it says; row moves on past it.
bool OdsReader::readRow(QXmlStreamReader &r, int &row, SheetBuilder &builder) {
    const int repeat = repeatCount(r.attributes(), "number-rows-repeated", WorkbookLimits::MaxRows);
    QList<RowCell> cells;
    int col = 1;
    while (readNextSafe(r) != QXmlStreamReader::EndElement && !r.atEnd()) {
        if (!r.isStartElement())
            continue;
        if (r.namespaceUri() != OdfTable ||
            (r.name() != u"table-cell" && r.name() != u"covered-table-cell")) {
            r.skipCurrentElement();
            continue;
        }
        const int span =
            repeatCount(r.attributes(), "number-columns-repeated", WorkbookLimits::MaxCols);
        CellValue value = readCell(r, col);
        if (!value.isEmpty() && col <= WorkbookLimits::MaxCols)
            cells.append(
                {col, std::min(span, WorkbookLimits::MaxCols - col + 1), std::move(value)});
        col = int(std::min<qint64>(qint64(col) + span, WorkbookLimits::MaxCols + 1));
    }
    const int last = int(std::min<qint64>(qint64(row) + repeat - 1, WorkbookLimits::MaxRows));
    if (m_cells) {
        // Refused before any of it is stored when the repeats alone would pass the budget.
        qint64 perRow = 0;
        for (const RowCell &cell : std::as_const(cells))
            perRow += cell.repeat;
        if (perRow * (qint64(last) - row + 1) > m_budget)
            return fail(WorkbookText::TooLarge);
    }
    for (const RowCell &cell : std::as_const(cells)) {
        // Only the corners matter to a used range; kept cells are each counted.
        for (int y = row; y <= last; y = (m_cells || y == last) ? y + 1 : last) {
            for (int x = cell.col; x < cell.col + cell.repeat;
                 x = (m_cells || x == cell.col + cell.repeat - 1) ? x + 1
                                                                  : cell.col + cell.repeat - 1) {
                if (!builder.add(y, x, cell.value))
                    return fail(WorkbookText::TooLarge);
            }
        }
    }
    row = last + 1;
    return true;
}

CellValue OdsReader::readCell(QXmlStreamReader &r, int col) {
    const QXmlStreamAttributes attrs = r.attributes();
    QString style = attrs.value(OdfTable, QLatin1String("style-name")).toString();
    if (style.isEmpty()) {
        // The runs are in column order: the last one that starts at or before the cell.
        const auto after =
            std::upper_bound(m_columnStyles.cbegin(), m_columnStyles.cend(), col,
                             [](int c, const ColumnStyle &run) { return c < run.first; });
        if (after != m_columnStyles.cbegin() && col <= std::prev(after)->last)
            style = std::prev(after)->style;
    }
    const auto type = attrs.value(OdfOffice, QLatin1String("value-type"));
    const QString text = readCellText(r);
    CellValue v;
    if (type.isEmpty())
        return v;
    // A formula's error is written as a string that another namespace marks as an error.
    for (const QXmlStreamAttribute &a : attrs) {
        if (a.name() == u"value-type" && a.namespaceUri() != OdfOffice && a.value() == u"error") {
            v.kind = CellValue::Kind::Error;
            v.text = text;
            return v;
        }
    }
    bool ok = false;
    if (type == u"float" || type == u"percentage" || type == u"currency") {
        v.number = attrs.value(OdfOffice, QLatin1String("value")).toDouble(&ok);
        if (type == u"percentage")
            v.format = v.number * 100 == std::round(v.number * 100) ? Percent : PercentDecimals;
    } else if (type == u"date") {
        const auto date = attrs.value(OdfOffice, QLatin1String("date-value"));
        const auto serial = dateValue(date);
        ok = serial.has_value();
        v.number = serial.value_or(0);
        v.format = date.size() > 10 ? DateTime : Date;
    } else if (type == u"time") {
        v.number = durationDays(attrs.value(OdfOffice, QLatin1String("time-value")));
        ok = v.number >= 0;
        v.format = Time;
    } else if (type == u"boolean") {
        const auto b = attrs.value(OdfOffice, QLatin1String("boolean-value"));
        ok = b == u"true" || b == u"false";
        v.kind = CellValue::Kind::Boolean;
        v.number = b == u"true" ? 1 : 0;
        if (ok)
            return v;
    }
    if (ok && std::isfinite(v.number)) {
        v.kind = CellValue::Kind::Number;
        // The file's own number style, where it has one this reader can write as a code.
        if (const quint16 format = style.isEmpty() ? 0 : formatIndex(style))
            v.format = format;
        return v;
    }
    // A string, or a value we cannot read: the text the cell shows.
    v.kind = CellValue::Kind::Text;
    v.format = General;
    v.number = 0;
    v.text = type == u"string" && attrs.hasAttribute(OdfOffice, QLatin1String("string-value"))
                 ? attrs.value(OdfOffice, QLatin1String("string-value")).toString()
                 : text;
    return v;
}

// The paragraphs of a cell, one line each; notes on the cell are not its text.
QString OdsReader::readCellText(QXmlStreamReader &r) {
    QStringList paragraphs;
    QString line;
    int depth = 1;
    int inParagraph = 0;
    while (depth > 0 && !r.atEnd()) {
        const auto token = readNextSafe(r);
        if (token == QXmlStreamReader::StartElement) {
            const bool text = r.namespaceUri() == OdfText;
            if (r.namespaceUri() == OdfOffice && r.name() == u"annotation") {
                r.skipCurrentElement();
                continue;
            }
            ++depth;
            if (!text)
                continue;
            if (r.name() == u"p" || r.name() == u"h") {
                ++inParagraph;
            } else if (r.name() == u"s") {
                bool ok = false;
                const int n = r.attributes().value(OdfText, QLatin1String("c")).toInt(&ok);
                line += QString(ok ? std::clamp(n, 0, MaxSpaceRun) : 1, u' ');
            } else if (r.name() == u"tab") {
                line += u'\t';
            } else if (r.name() == u"line-break") {
                line += u'\n';
            }
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
            if (r.namespaceUri() == OdfText && (r.name() == u"p" || r.name() == u"h") &&
                inParagraph > 0 && --inParagraph == 0) {
                paragraphs << line;
                line.clear();
            }
        } else if (token == QXmlStreamReader::Characters && inParagraph > 0) {
            line += r.text();
        }
    }
    return paragraphs.join(u'\n');
}

} // namespace

std::optional<Workbook> readOds(const QString &path, bool cells, QString *error) {
    qsizetype budget = WorkbookLimits::MaxCells;
    OdsReader reader(cells, budget);
    std::optional<Workbook> book = reader.read(path);
    if (!book)
        *error = reader.error().isEmpty() ? WorkbookText::Damaged : reader.error();
    return book;
}
