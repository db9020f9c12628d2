// .xlsx workbooks: the zip package read part by part, each part streamed, never built into a
// tree, so a sheet costs memory only for the cells it holds.

#include "sheet/WorkbookReaders.h"

#include "platform/NativePath.h"
#include "platform/ZipPackage.h"
#include "sheet/FormulaText.h"
#include "sheet/XlsxStyles.h"
#include "sheet/XmlScanner.h"

#include <QDate>
#include <QDir>
#include <QHash>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include <cmath>

namespace {

// Days from the application's 1900 epoch to its 1904 one: a workbook counting from 1904 gives
// its dates that much lower.
constexpr double Days1904 = 1462;

struct Relationship {
    QString type;
    QString target; // the part's name inside the package
};

struct SheetEntry {
    QString name;
    QString relationship;
};

// Relationship types differ between the transitional and strict namespaces; their last
// segment does not.
bool hasType(const Relationship &rel, const char *last) {
    return rel.type.endsWith(u'/' + QLatin1String(last));
}

// A relationship target of the workbook part, relative to xl/ or absolute in the package.
QString partName(const QString &target) {
    if (target.startsWith(u'/'))
        return QDir::cleanPath(target).mid(1);
    return QDir::cleanPath(QStringLiteral("xl/") + target);
}

// "XFD1048576" → (1048576, 16384); nothing when it is no cell on the worksheet.
std::optional<std::pair<int, int>> cellRef(QByteArrayView ref) {
    qint64 col = 0;
    qsizetype i = 0;
    while (i < ref.size() && i < 4) {
        const char u = ref[i] >= 'a' && ref[i] <= 'z' ? char(ref[i] - 'a' + 'A') : ref[i];
        if (u < 'A' || u > 'Z')
            break;
        col = col * 26 + (u - 'A' + 1);
        ++i;
    }
    if (i == 0 || i == ref.size() || ref.size() - i > 7)
        return std::nullopt;
    qint64 row = 0;
    for (; i < ref.size(); ++i) {
        const char u = ref[i];
        if (u < '0' || u > '9')
            return std::nullopt;
        row = row * 10 + (u - '0');
    }
    if (!onWorksheet(row, col))
        return std::nullopt;
    return std::make_pair(int(row), int(col));
}

// Texts in a workbook spell characters XML cannot hold (a carriage return, other controls) as
// "_xHHHH_"; a literal "_x" that looks like one is written with its underscore so spelled,
// "_x005F_". Decoding left to right undoes both.
QString unescapeCharacters(QString text) {
    if (!text.contains(QLatin1String("_x")))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'_' && i + 6 < text.size() && text[i + 1] == u'x' && text[i + 6] == u'_') {
            uint code = 0;
            bool ok = true;
            for (qsizetype k = i + 2; k < i + 6 && ok; ++k) {
                const char16_t c = text[k].unicode();
                const int digit = c >= u'0' && c <= u'9'   ? c - u'0'
                                  : c >= u'a' && c <= u'f' ? c - u'a' + 10
                                  : c >= u'A' && c <= u'F' ? c - u'A' + 10
                                                           : -1;
                ok = digit >= 0;
                code = code * 16 + uint(digit);
            }
            if (ok) {
                out += QChar(char16_t(code));
                i += 6;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

// The text of a shared string item or an inline string: the plain <t>, or the <t> of every
// rich-text run joined. Phonetic guides (<rPh>) are reading aids, not the cell's text.
QString readRichText(QXmlStreamReader &r) {
    QString text;
    while (!r.atEnd()) {
        const auto token = readNextSafe(r);
        if (token == QXmlStreamReader::EndElement && (r.name() == u"si" || r.name() == u"is"))
            break;
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (r.name() == u"t")
            text += r.readElementText();
        else if (r.name() == u"rPh")
            r.skipCurrentElement();
    }
    return unescapeCharacters(text);
}

// The same from a worksheet's inline string.
QString readRichText(XmlScanner &r) {
    QString text;
    for (;;) {
        const auto token = r.next();
        if (token == XmlScanner::End || token == XmlScanner::Invalid ||
            (token == XmlScanner::EndElement && r.name() == "is"))
            break;
        if (token != XmlScanner::StartElement)
            continue;
        if (r.name() == "t")
            text += r.readElementText();
        else if (r.name() == "rPh")
            r.skipCurrentElement();
    }
    return unescapeCharacters(text);
}

// The content of a <v>: its text as written when plain (the common case: a number), else
// resolved into scratch.
QByteArrayView readValue(XmlScanner &r, QByteArray &scratch) {
    QByteArrayView value;
    bool owned = false;
    for (;;) {
        const auto token = r.next();
        if (token == XmlScanner::Text) {
            if (value.isEmpty() && !owned && r.plainText()) {
                value = r.rawText();
                continue;
            }
            if (!owned) {
                scratch = value.toByteArray();
                owned = true;
            }
            scratch += r.plainText() ? r.rawText().toByteArray() : r.text().toUtf8();
            value = scratch;
        } else if (token == XmlScanner::StartElement) {
            r.skipCurrentElement();
        } else {
            return value; // the end of <v>, or of the document
        }
    }
}

// A formula's text and, for one that a range shares, where the range's first one stands.
struct SharedFormula {
    QString text;
    int row = 0;
    int col = 0;
};

class XlsxReader {
public:
    XlsxReader(bool cells, qsizetype &budget) : m_cells(cells), m_budget(budget) {}

    std::optional<Workbook> read(const QString &path);
    QString error() const { return m_error; }

private:
    std::optional<QByteArray> part(const QString &name);
    bool rangeFromDimension(const QString &partName, Sheet &sheet);
    bool fail(const QString &error) {
        if (m_error.isEmpty())
            m_error = error;
        return false;
    }
    bool xmlDone(const QXmlStreamReader &r) {
        if (!r.hasError())
            return true;
        return fail(r.errorString() == ZipText::Doctype ? ZipText::Doctype : ZipText::Damaged);
    }

    bool readRelationships(const QByteArray &xml);
    bool readSheetList(const QByteArray &xml);
    bool readSharedStrings(const QByteArray &xml);
    bool readSheet(const QByteArray &xml, Sheet &sheet);
    bool readCell(XmlScanner &r, int row, int col, SheetBuilder &builder, Sheet &sheet);
    void readFormula(XmlScanner &r, int row, int col, Sheet &sheet);
    bool sheetXmlDone(const XmlScanner &r) {
        return !r.hasError() || fail(r.hasDoctype() ? ZipText::Doctype : ZipText::Damaged);
    }

    bool m_cells;
    qsizetype &m_budget;
    ZipPackage m_zip;
    QString m_error;
    QHash<QString, Relationship> m_relationships;
    QList<SheetEntry> m_sheetList;
    QList<QString> m_strings;
    XlsxStyles m_styles;
    bool m_date1904 = false;
    QHash<int, SharedFormula> m_shared; // by the si number, within one sheet
};

std::optional<QByteArray> XlsxReader::part(const QString &name) {
    std::optional<QByteArray> bytes = m_zip.read(name);
    if (!bytes)
        fail(m_zip.error() == ZipError::MissingPart ? WorkbookText::NotWorkbook
                                                    : m_zip.errorText());
    return bytes;
}

bool XlsxReader::readRelationships(const QByteArray &xml) {
    QXmlStreamReader r(xml);
    while (!r.atEnd()) {
        if (readNextSafe(r) != QXmlStreamReader::StartElement || r.name() != u"Relationship")
            continue;
        const auto attrs = r.attributes();
        if (attrs.value(QLatin1String("TargetMode")) == u"External")
            continue;
        Relationship rel;
        rel.type = attrs.value(QLatin1String("Type")).toString();
        rel.target = partName(attrs.value(QLatin1String("Target")).toString());
        m_relationships.insert(attrs.value(QLatin1String("Id")).toString(), rel);
    }
    return xmlDone(r);
}

bool XlsxReader::readSheetList(const QByteArray &xml) {
    QXmlStreamReader r(xml);
    while (!r.atEnd()) {
        if (readNextSafe(r) != QXmlStreamReader::StartElement)
            continue;
        if (r.name() == u"workbookPr") {
            const auto system = r.attributes().value(QLatin1String("date1904"));
            m_date1904 = system == u"1" || system == u"true";
            continue;
        }
        if (r.name() != u"sheet")
            continue;
        const auto attrs = r.attributes();
        SheetEntry entry;
        entry.name = attrs.value(QLatin1String("name")).toString();
        // The relationship id is namespaced (r:id); its prefix varies.
        for (const QXmlStreamAttribute &a : attrs) {
            if (a.name() == u"id")
                entry.relationship = a.value().toString();
        }
        m_sheetList << entry;
    }
    return xmlDone(r);
}

bool XlsxReader::readSharedStrings(const QByteArray &xml) {
    QXmlStreamReader r(xml);
    while (!r.atEnd()) {
        if (readNextSafe(r) != QXmlStreamReader::StartElement || r.name() != u"si")
            continue;
        // No read keeps more cells than this, so more distinct strings can only be hostile.
        if (m_strings.size() >= WorkbookLimits::MaxCells)
            return fail(WorkbookText::TooLarge);
        m_strings << readRichText(r);
    }
    return xmlDone(r);
}

bool XlsxReader::readCell(XmlScanner &r, int row, int col, SheetBuilder &builder, Sheet &sheet) {
    const QByteArrayView type = r.rawAttribute("t");
    const int style = r.rawAttribute("s").toInt();
    QByteArray scratch;
    QByteArrayView v;
    bool hasValue = false;
    QString inlineText;
    bool hasInline = false;
    for (;;) {
        const auto token = r.next();
        if (token == XmlScanner::EndElement || token == XmlScanner::End ||
            token == XmlScanner::Invalid)
            break; // the end of <c>: any inner element was read whole
        if (token != XmlScanner::StartElement)
            continue;
        if (r.name() == "v") {
            v = readValue(r, scratch);
            hasValue = true;
        } else if (r.name() == "is") {
            inlineText = readRichText(r);
            hasInline = true;
        } else if (r.name() == "f") {
            readFormula(r, row, col, sheet);
        } else {
            r.skipCurrentElement(); // extensions
        }
    }
    if (r.hasError())
        return false;

    CellValue value;
    if (type == "inlineStr") {
        if (hasInline) {
            value.kind = CellValue::Kind::Text;
            value.text = inlineText;
        }
    } else if (!hasValue || (v.trimmed().isEmpty() && type != "str")) {
        // A formatted blank, or a formula never calculated; some writers leave an empty <v/>.
    } else if (type == "s") {
        bool ok = false;
        const int index = v.trimmed().toInt(&ok);
        if (!ok || index < 0 || index >= m_strings.size())
            return fail(ZipText::Damaged);
        value.kind = CellValue::Kind::Text;
        value.text = m_strings.at(index);
    } else if (type == "str") {
        value.kind = CellValue::Kind::Text;
        value.text = unescapeCharacters(QString::fromUtf8(v));
    } else if (type == "b") {
        value.kind = CellValue::Kind::Boolean;
        value.number = v.trimmed() == "1" || v.trimmed() == "true" ? 1 : 0;
    } else if (type == "e") {
        value.kind = CellValue::Kind::Error;
        value.text = QString::fromUtf8(v);
    } else if (type == "d") {
        // An ISO date: what the application would keep is its serial number.
        const QString iso = QString::fromUtf8(v);
        const QDateTime when = QDateTime::fromString(iso, Qt::ISODateWithMs);
        const QDate date = when.isValid() ? when.date() : QDate::fromString(iso, Qt::ISODate);
        if (date.isValid()) {
            value.kind = CellValue::Kind::Number;
            value.number = dateSerial(date.year(), date.month(), date.day());
            if (when.isValid())
                value.number += when.time().msecsSinceStartOfDay() / 86400000.0;
        } else {
            value.kind = CellValue::Kind::Text;
            value.text = iso;
        }
    } else {
        bool ok = false;
        const double number = v.trimmed().toDouble(&ok);
        if (ok && std::isfinite(number)) {
            value.kind = CellValue::Kind::Number;
            // A date counted from 1904 becomes the serial the same date has everywhere else.
            value.number = m_date1904 && m_styles.isDate(style) ? number + Days1904 : number;
        } else if (!v.isEmpty()) {
            value.kind = CellValue::Kind::Text; // not what a number cell should hold: keep it
            value.text = QString::fromUtf8(v);
        }
    }
    value.format = m_styles.formatOf(style);
    if (!builder.add(row, col, std::move(value)))
        return fail(WorkbookText::TooLarge);
    return true;
}

// A formula's text for showing. A formula shared over a range is written once, in its first
// cell; the others hold only its number and get the text moved by their distance from it.
void XlsxReader::readFormula(XmlScanner &r, int row, int col, Sheet &sheet) {
    const bool shared = r.rawAttribute("t") == "shared";
    bool numbered = false;
    const int si = r.rawAttribute("si").toInt(&numbered);
    QString text = r.readElementText();
    if (shared && numbered) {
        if (!text.isEmpty()) {
            m_shared.insert(si, SharedFormula{text, row, col});
        } else if (const auto first = m_shared.constFind(si); first != m_shared.constEnd()) {
            text = shiftFormula(first->text, row - first->row, col - first->col);
        }
    }
    if (!text.isEmpty())
        sheet.formulas.insert(Sheet::key(row, col), text);
}

bool XlsxReader::readSheet(const QByteArray &xml, Sheet &sheet) {
    SheetBuilder builder(sheet, m_cells, m_budget);
    sheet.numberFormats = m_styles.formats();
    m_shared.clear();
    // The part is UTF-8 as the application writes it; one in UTF-16 is read the same way.
    QByteArray utf8;
    if (xml.startsWith("\xFF\xFE") || xml.startsWith("\xFE\xFF")) {
        QStringDecoder decode(QStringDecoder::Utf16);
        utf8 = QString(decode(xml)).toUtf8();
        utf8.replace("encoding=\"UTF-16\"", "encoding=\"UTF-8\"");
    }
    XmlScanner r(utf8.isEmpty() ? QByteArrayView(xml) : QByteArrayView(utf8));
    // A kept cell takes 20 bytes of XML at the least ("<c r="A1"><v>1</v></c>"), most cells
    // twice that.
    builder.expect(xml.size() / 40);
    int row = 0;     // the current <row>
    int nextCol = 1; // where a cell without a reference goes
    for (;;) {
        const auto token = r.next();
        if (token == XmlScanner::End || token == XmlScanner::Invalid)
            break;
        if (token != XmlScanner::StartElement)
            continue;
        const QByteArrayView name = r.name();
        if (name == "c") {
            const QByteArrayView ref = r.rawAttribute("r");
            int cellRow = row;
            int cellCol = nextCol;
            if (!ref.isEmpty()) {
                const auto at = cellRef(ref);
                if (!at)
                    return fail(ZipText::Damaged);
                cellRow = at->first;
                cellCol = at->second;
            }
            if (!onWorksheet(cellRow, cellCol))
                return fail(ZipText::Damaged);
            nextCol = cellCol + 1;
            if (!m_cells) {
                // Only the used range is wanted: any cell present counts, whatever it holds.
                builder.add(cellRow, cellCol, CellValue());
                r.skipCurrentElement();
                if (r.hasError())
                    return sheetXmlDone(r);
                continue;
            }
            if (!readCell(r, cellRow, cellCol, builder, sheet)) {
                sheetXmlDone(r);
                return false;
            }
        } else if (name == "row") {
            const QByteArrayView number = r.rawAttribute("r");
            if (number.isEmpty()) {
                ++row;
            } else {
                bool ok = false;
                row = number.trimmed().toInt(&ok);
                if (!ok || !onWorksheet(row, 1))
                    return fail(ZipText::Damaged);
            }
            nextCol = 1;
        } else if (name == "col") {
            if (!r.hasAttribute("width"))
                continue;
            ColumnWidth width;
            width.first = std::clamp(r.rawAttribute("min").toInt(), 1, WorkbookLimits::MaxCols);
            width.last =
                std::clamp(r.rawAttribute("max").toInt(), width.first, WorkbookLimits::MaxCols);
            width.width = r.rawAttribute("width").toDouble();
            if (std::isfinite(width.width) && width.width >= 0)
                sheet.columnWidths << width;
        } else if (name == "sheetData" || name == "worksheet" || name == "cols") {
            // containers: step inside
        } else {
            r.skipCurrentElement(); // views, formats, merges, the <dimension> that may lie
        }
    }
    return sheetXmlDone(r);
}

// A sheet list wants only each sheet's used range. The applications that write workbooks
// state it in <dimension> at the head of the part, so a large sheet need not be unpacked
// whole (a 50 MB book holds about 500 MB of sheet text). Parts of ordinary size are read
// whole, so that their range is always that of their cells. A single-cell statement is not
// trusted even in a large part: it is also what an empty sheet states, and what some writers
// state whatever the sheet holds.
bool XlsxReader::rangeFromDimension(const QString &partName, Sheet &sheet) {
    constexpr qint64 LargePart = 16 * 1024 * 1024;
    if (m_zip.statedSize(partName) < LargePart)
        return false;
    const auto head = m_zip.readHead(partName, 256 * 1024);
    if (!head || head->startsWith("\xFF\xFE") || head->startsWith("\xFE\xFF"))
        return false;
    XmlScanner r{QByteArrayView(*head)};
    for (;;) {
        const auto token = r.next();
        if (token == XmlScanner::End || token == XmlScanner::Invalid)
            return false;
        if (token != XmlScanner::StartElement)
            continue;
        const QByteArrayView name = r.name();
        if (name == "sheetData")
            return false;
        if (name != "dimension")
            continue;
        const QByteArrayView ref = r.rawAttribute("ref");
        const qsizetype colon = ref.indexOf(':');
        if (colon < 0)
            return false;
        const auto first = cellRef(ref.first(colon));
        const auto last = cellRef(ref.sliced(colon + 1));
        if (!first || !last || first->first > last->first || first->second > last->second ||
            *first == *last)
            return false;
        sheet.firstRow = first->first;
        sheet.firstCol = first->second;
        sheet.lastRow = last->first;
        sheet.lastCol = last->second;
        return true;
    }
}

std::optional<Workbook> XlsxReader::read(const QString &path) {
    if (!m_zip.open(path)) {
        // An encrypted workbook is an OLE compound file carrying the encrypted package.
        NativeFile file;
        char head[4] = {};
        if (file.open(path) && file.read(head, 4) == 4 &&
            QByteArrayView(head, 4) == QByteArrayView("\xD0\xCF\x11\xE0"))
            fail(WorkbookText::Encrypted);
        else
            fail(m_zip.error() == ZipError::Damaged ? WorkbookText::NotWorkbook
                                                    : m_zip.errorText());
        return std::nullopt;
    }
    const auto rels = part(QStringLiteral("xl/_rels/workbook.xml.rels"));
    if (!rels || !readRelationships(*rels))
        return std::nullopt;
    const auto list = part(QStringLiteral("xl/workbook.xml"));
    if (!list || !readSheetList(*list))
        return std::nullopt;

    if (m_cells) {
        QString stylesPart;
        for (const Relationship &rel : std::as_const(m_relationships)) {
            if (hasType(rel, "styles"))
                stylesPart = rel.target;
        }
        if (!stylesPart.isEmpty() && m_zip.contains(stylesPart)) {
            const auto styles = part(stylesPart);
            bool doctype = false;
            if (!styles)
                return std::nullopt;
            if (!m_styles.read(*styles, &doctype)) {
                fail(doctype ? ZipText::Doctype : ZipText::Damaged);
                return std::nullopt;
            }
        }
        QString stringsPart;
        for (const Relationship &rel : std::as_const(m_relationships)) {
            if (hasType(rel, "sharedStrings"))
                stringsPart = rel.target;
        }
        if (stringsPart.isEmpty() && m_zip.contains(QStringLiteral("xl/sharedStrings.xml")))
            stringsPart = QStringLiteral("xl/sharedStrings.xml");
        if (!stringsPart.isEmpty()) {
            const auto strings = part(stringsPart);
            if (!strings || !readSharedStrings(*strings))
                return std::nullopt;
        }
    }

    Workbook book;
    for (const SheetEntry &entry : std::as_const(m_sheetList)) {
        const auto rel = m_relationships.constFind(entry.relationship);
        if (rel == m_relationships.constEnd()) {
            fail(ZipText::Damaged);
            return std::nullopt;
        }
        // Chart and dialog sheets are no worksheets: the application does not list them.
        if (!hasType(*rel, "worksheet"))
            continue;
        Sheet sheet;
        sheet.name = entry.name;
        if (!m_cells && rangeFromDimension(rel->target, sheet)) {
            book.sheets << std::move(sheet);
            continue;
        }
        const auto xml = part(rel->target);
        if (!xml)
            return std::nullopt;
        if (!readSheet(*xml, sheet))
            return std::nullopt;
        book.sheets << std::move(sheet);
    }
    return book;
}

} // namespace

std::optional<Workbook> readXlsx(const QString &path, bool cells, QString *error) {
    qsizetype budget = WorkbookLimits::MaxCells;
    XlsxReader reader(cells, budget);
    std::optional<Workbook> book = reader.read(path);
    if (!book)
        *error = reader.error().isEmpty() ? WorkbookText::Damaged : reader.error();
    return book;
}
