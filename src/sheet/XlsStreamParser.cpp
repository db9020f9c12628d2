#include "sheet/XlsStreamParser.h"

#include "encoding/Charset.h"
#include "sheet/NumberFormats.h"
#include "sheet/WorkbookReaders.h"
#include "sheet/XlsFormula.h"
#include "sheet/XlsRecords.h"

#include <QHash>

#include <bit>
#include <optional>

#include <vector>

namespace {

constexpr quint16 Biff8 = 0x0600;
constexpr quint16 Biff5 = 0x0500; // 1993 to 1997: no shared strings, texts in a code page
constexpr quint16 CodePage = 0x0042;
constexpr quint16 ExternSheet = 0x0017;
constexpr quint16 SupBook = 0x01AE;
constexpr quint16 SharedFormula = 0x04BC;
constexpr quint16 InternalSupBook = 0x0401; // a SUPBOOK that stands for this workbook itself
constexpr quint16 ShiftJis = 932;
constexpr quint16 GlobalsSubstream = 0x0005;
constexpr quint16 WorksheetSubstream = 0x0010;
constexpr quint8 WorksheetType = 0; // in a sheet's list entry
// Records between two looks at the stop flag.
constexpr int RecordsPerStopCheck = 4096;
// 1904-based serials are this many days behind the 1900-based ones the application shows.
constexpr double Days1904 = 1462;

struct SheetEntry {
    QString name;
    quint32 offset = 0;
};

// What a cell's XF record index stands for.
struct CellStyle {
    quint16 format = 0; // index into the sheets' numberFormats
    bool date = false;
};

class XlsStreamParser {
public:
    XlsStreamParser(QByteArrayView stream, bool cells, const std::function<bool()> &stop)
        : m_stream(stream), m_cells(cells), m_stop(stop) {}

    std::optional<Workbook> parse();
    const QString &error() const { return m_error; }

private:
    bool fail(const QString &message) {
        if (m_error.isEmpty())
            m_error = message;
        return false;
    }
    bool stopAsked();
    bool readGlobals();
    bool readSharedStrings(const XlsRecordData &record);
    void readExternSheet(const XlsRecordData &record, const QList<bool> &internalBooks);
    void resolveStyles(const QHash<quint16, QString> &customFormats,
                       const std::vector<quint16> &xfFormats);
    bool readSheet(const SheetEntry &entry, Sheet &sheet);
    QString string(XlsCursor &c, bool shortCount);
    CellValue number(double value, quint16 xf) const;
    CellStyle style(quint16 xf) const { return xf < m_styles.size() ? m_styles[xf] : CellStyle{}; }

    QByteArrayView m_stream;
    bool m_cells;
    const std::function<bool()> &m_stop;
    int m_sinceStopCheck = 0;
    QString m_error;
    qsizetype m_walked = 0; // stream bytes read for the sheets so far

    bool m_date1904 = false;
    bool m_biff5 = false;
    quint16 m_codePage = 1252;
    QList<SheetEntry> m_sheets;
    QStringList m_allSheetNames; // every sheet of the list, charts too: 3-D references count them
    QStringList m_externSheets;  // the prefix of each EXTERNSHEET entry, for formula texts
    QList<QString> m_strings;
    std::vector<CellStyle> m_styles;
    QStringList m_formats;
    qsizetype m_budget = WorkbookLimits::MaxCells;
};

bool XlsStreamParser::stopAsked() {
    if (++m_sinceStopCheck < RecordsPerStopCheck)
        return false;
    m_sinceStopCheck = 0;
    return m_stop && m_stop() && !fail(WorkbookText::Stopped);
}

// A substream's opening record: its version and kind.
bool readBof(const XlsRecordData &record, quint16 *version, quint16 *kind) {
    if (record.type != XlsRecord::Bof)
        return false;
    XlsCursor c(record);
    *version = c.u16();
    *kind = c.u16();
    return c.ok();
}

bool XlsStreamParser::readGlobals() {
    XlsRecordReader records(m_stream);
    XlsRecordData record;
    quint16 version = 0, kind = 0;
    if (!records.next(&record) || !readBof(record, &version, &kind))
        return fail(WorkbookText::NotWorkbook);
    if ((version != Biff8 && version != Biff5) || kind != GlobalsSubstream)
        return fail(WorkbookText::UnknownFormat); // written before 1993
    m_biff5 = version == Biff5;
    QHash<quint16, QString> customFormats;
    std::vector<quint16> xfFormats;
    QList<bool> internalBooks;
    while (records.next(&record)) {
        if (stopAsked())
            return false;
        XlsCursor c(record);
        switch (record.type) {
        case XlsRecord::FilePass:
            return fail(WorkbookText::Encrypted);
        case XlsRecord::DateMode:
            m_date1904 = c.u16() != 0;
            break;
        case CodePage:
            m_codePage = c.u16();
            break;
        case XlsRecord::Format: {
            const quint16 id = c.u16();
            const QString text = string(c, m_biff5);
            // Some writers store a number format's text a byte short; the cells that use it
            // then show as General, which beats refusing the workbook.
            if (c.ok())
                customFormats.insert(id, text);
            break;
        }
        case XlsRecord::Xf:
            c.skip(2); // the font
            xfFormats.push_back(c.u16());
            if (!c.ok())
                return fail(WorkbookText::Damaged);
            break;
        case XlsRecord::BoundSheet: {
            SheetEntry entry;
            entry.offset = c.u32();
            c.u8(); // visibility: hidden sheets are listed too
            const quint8 type = c.u8();
            entry.name = string(c, true);
            if (!c.ok())
                return fail(WorkbookText::Damaged);
            if (type == WorksheetType)
                m_sheets << entry;
            m_allSheetNames << entry.name;
            break;
        }
        case SupBook:
            c.u16();
            internalBooks << (c.u16() == InternalSupBook && c.ok());
            break;
        case ExternSheet:
            readExternSheet(record, internalBooks);
            break;
        case XlsRecord::Sst:
            if (m_cells && !readSharedStrings(record))
                return false;
            break;
        case XlsRecord::Eof:
            resolveStyles(customFormats, xfFormats);
            return true;
        default:
            break;
        }
    }
    return fail(WorkbookText::Damaged); // no end of the workbook's globals
}

bool XlsStreamParser::readSharedStrings(const XlsRecordData &record) {
    XlsCursor c(record);
    c.u32(); // references to the table over the whole workbook
    const quint32 count = c.u32();
    m_strings.clear();
    // Each string takes at least three bytes, so the count cannot ask for more than that.
    m_strings.reserve(qsizetype(std::min<qint64>(count, c.remaining() / 3)));
    for (quint32 i = 0; i < count && c.ok(); ++i) {
        if (stopAsked())
            return false;
        m_strings << c.string16();
    }
    return c.ok() || fail(WorkbookText::Damaged);
}

void XlsStreamParser::readExternSheet(const XlsRecordData &record,
                                      const QList<bool> &internalBooks) {
    XlsCursor c(record);
    const quint16 count = m_biff5 ? 0 : c.u16();
    m_externSheets.clear();
    for (quint16 i = 0; i < count && c.ok(); ++i) {
        const quint16 book = c.u16(), first = c.u16(), last = c.u16();
        const bool known = c.ok() && book < internalBooks.size() && internalBooks[book] &&
                           first <= last && last < m_allSheetNames.size();
        QString prefix;
        if (known && first == last)
            prefix = xlsSheetPrefix(m_allSheetNames[first]);
        else if (known) {
            const QString &a = m_allSheetNames[first], &b = m_allSheetNames[last];
            const QString both = a + u':' + b;
            prefix = xlsSheetPrefix(a) == a && xlsSheetPrefix(b) == b ? both : xlsSheetPrefix(both);
        }
        m_externSheets << prefix;
    }
}

void XlsStreamParser::resolveStyles(const QHash<quint16, QString> &customFormats,
                                    const std::vector<quint16> &xfFormats) {
    m_formats = QStringList{QString()}; // 0: General
    // Each format number is looked at once, however many XF records name it.
    QHash<quint16, CellStyle> byNumber;
    m_styles.reserve(xfFormats.size());
    for (const quint16 id : xfFormats) {
        auto found = byNumber.constFind(id);
        if (found == byNumber.constEnd()) {
            const QString text = customFormats.value(id, NumberFormats::builtin(id));
            CellStyle s;
            if (!text.isEmpty() && m_formats.size() <= 0xFFFF) {
                s.format = quint16(m_formats.size());
                s.date = NumberFormats::isDate(text);
                m_formats << text;
            }
            found = byNumber.insert(id, s);
        }
        m_styles.push_back(*found);
    }
}

QString XlsStreamParser::string(XlsCursor &c, bool shortCount) {
    if (!m_biff5)
        return shortCount ? c.string8() : c.string16();
    const quint16 count = shortCount ? c.u8() : c.u16();
    const QByteArray bytes = c.bytes(count);
    if (m_codePage == ShiftJis)
        return decodeAnsi(bytes);
    const QByteArray charset = m_codePage == 10000 || m_codePage == 0x8000
                                   ? QByteArray("macintosh")
                                   : "windows-" + QByteArray::number(m_codePage);
    const QString decoded = DecodeWithCharset(charset.constData(), bytes);
    // A code page the converter does not know: its ASCII part is still right.
    return decoded.isEmpty() ? QString::fromLatin1(bytes) : decoded;
}

CellValue XlsStreamParser::number(double value, quint16 xf) const {
    CellValue v;
    v.kind = CellValue::Kind::Number;
    const CellStyle s = style(xf);
    v.format = s.format;
    // A date counted from 1904 becomes the serial the same date has everywhere else.
    v.number = (m_date1904 && s.date) ? value + Days1904 : value;
    return v;
}

CellValue booleanOrError(quint8 value, bool isError, quint16 format) {
    CellValue v;
    v.format = format;
    if (isError) {
        v.kind = CellValue::Kind::Error;
        // An unknown code reads as the error a spreadsheet shows for it.
        v.text = xlsErrorText(value);
        if (v.text.isEmpty())
            v.text = QStringLiteral("#N/A");
    } else {
        v.kind = CellValue::Kind::Boolean;
        v.number = value ? 1 : 0;
    }
    return v;
}

CellValue text(const QString &s, quint16 format) {
    CellValue v;
    v.kind = CellValue::Kind::Text;
    v.text = s;
    v.format = format;
    return v;
}

} // namespace

namespace {

// A formula whose text result is in the STRING record that follows it.
struct PendingText {
    bool waiting = false;
    quint16 row = 0, col = 0, format = 0;
};

bool mayComeBetweenFormulaAndResult(quint16 type) {
    return type == 0x04BC /* shared formula */ || type == 0x0221 /* array */ ||
           type == 0x0236 /* data table */ || type == XlsRecord::Continue;
}

} // namespace

bool XlsStreamParser::readSheet(const SheetEntry &entry, Sheet &sheet) {
    if (entry.offset >= m_stream.size())
        return fail(WorkbookText::Damaged);
    XlsRecordReader records(m_stream, entry.offset);
    XlsRecordData record;
    quint16 version = 0, kind = 0;
    if (!records.next(&record) || !readBof(record, &version, &kind) || kind != WorksheetSubstream)
        return fail(WorkbookText::Damaged);

    SheetBuilder builder(sheet, m_cells, m_budget);
    const auto add = [&](quint32 row, quint32 col, CellValue value) {
        if (!onWorksheet(qint64(row) + 1, qint64(col) + 1))
            return fail(WorkbookText::Damaged);
        return builder.add(int(row) + 1, int(col) + 1, std::move(value)) ||
               fail(WorkbookText::TooLarge);
    };
    PendingText pending;
    XlsSheetFormulas formulas(m_externSheets);
    const bool withFormulas = m_cells && !m_biff5;
    int depth = 0; // substreams inside the sheet (embedded charts): their records are skipped
    while (records.next(&record)) {
        if (stopAsked())
            return false;
        if (pending.waiting && record.type != XlsRecord::String &&
            !mayComeBetweenFormulaAndResult(record.type)) {
            // The text result never came: the cell still holds a formula.
            if (!add(pending.row, pending.col, text(QString(), pending.format)))
                return false;
            pending.waiting = false;
        }
        if (record.type == XlsRecord::Bof) {
            ++depth;
            continue;
        }
        if (record.type == XlsRecord::Eof) {
            if (depth-- > 0)
                continue;
            formulas.resolve(sheet);
            m_walked += records.position() - entry.offset;
            // Sheets that share their records would make the reading quadratic.
            return m_walked <= m_stream.size() || fail(WorkbookText::Damaged);
        }
        if (depth > 0)
            continue;
        XlsCursor c(record);
        bool ok = true;
        switch (record.type) {
        case XlsRecord::Number: {
            const quint16 row = c.u16(), col = c.u16(), xf = c.u16();
            const double value = c.f64();
            ok = c.ok() && add(row, col, number(value, xf));
            break;
        }
        case XlsRecord::Rk: {
            const quint16 row = c.u16(), col = c.u16(), xf = c.u16();
            const quint32 rk = c.u32();
            ok = c.ok() && add(row, col, number(xlsRkNumber(rk), xf));
            break;
        }
        case XlsRecord::MulRk: {
            const quint16 row = c.u16(), first = c.u16();
            // (format, number) pairs of six bytes, then the last column's number.
            const qint64 count = (c.remaining() - 2) / 6;
            for (qint64 i = 0; i < count && ok; ++i) {
                const quint16 xf = c.u16();
                const quint32 rk = c.u32();
                ok = c.ok() && add(row, quint32(first + i), number(xlsRkNumber(rk), xf));
            }
            break;
        }
        case XlsRecord::Blank: {
            const quint16 row = c.u16(), col = c.u16(), xf = c.u16();
            CellValue blank;
            blank.format = style(xf).format;
            ok = c.ok() && add(row, col, blank); // a formatted blank widens the used range
            break;
        }
        case XlsRecord::MulBlank: {
            const quint16 row = c.u16(), first = c.u16();
            const qint64 count = (c.remaining() - 2) / 2;
            for (qint64 i = 0; i < count && ok; ++i) {
                CellValue blank;
                blank.format = style(c.u16()).format;
                ok = c.ok() && add(row, quint32(first + i), blank);
            }
            break;
        }
        case XlsRecord::Label:
        case XlsRecord::RString: {
            const quint16 row = c.u16(), col = c.u16(), xf = c.u16();
            const QString s = string(c, false);
            ok = c.ok() && add(row, col, text(s, style(xf).format));
            break;
        }
        case XlsRecord::LabelSst: {
            const quint16 row = c.u16(), col = c.u16(), xf = c.u16();
            const quint32 index = c.u32();
            if (!c.ok() || (m_cells && index >= quint32(m_strings.size()))) {
                ok = false;
                break;
            }
            ok = add(row, col, text(m_cells ? m_strings[index] : QString(), style(xf).format));
            break;
        }
        case XlsRecord::BoolErr: {
            const quint16 row = c.u16(), col = c.u16(), xf = c.u16();
            const quint8 value = c.u8(), isError = c.u8();
            ok = c.ok() && add(row, col, booleanOrError(value, isError, style(xf).format));
            break;
        }
        case XlsRecord::Formula:
        case XlsRecord::FormulaOld: {
            const quint16 row = c.u16(), col = c.u16(), xf = c.u16();
            const quint64 low = c.u32();
            const quint64 result = low | (quint64(c.u32()) << 32);
            if (!c.ok()) {
                ok = false;
                break;
            }
            const quint16 format = style(xf).format;
            if ((result >> 48) != 0xFFFF) {
                ok = add(row, col, number(std::bit_cast<double>(result), xf));
            } else {
                // Not a number: the first byte says what the result is, the third holds it.
                const quint8 resultKind = quint8(result), value = quint8(result >> 16);
                if (resultKind == 0)
                    pending = PendingText{true, row, col, format};
                else if (resultKind == 1 || resultKind == 2)
                    ok = add(row, col, booleanOrError(value, resultKind == 2, format));
                else
                    ok = add(row, col, text(QString(), format)); // the empty text
            }
            if (ok && withFormulas)
                formulas.read(c, row, col, sheet);
            break;
        }
        case SharedFormula:
            if (withFormulas)
                formulas.readShared(c);
            break;
        case XlsRecord::String:
            if (pending.waiting) {
                const QString s = string(c, false);
                ok = c.ok() && add(pending.row, pending.col, text(s, pending.format));
                pending.waiting = false;
            }
            break;
        default:
            break;
        }
        if (!ok)
            return fail(WorkbookText::Damaged);
    }
    return fail(WorkbookText::Damaged); // the sheet never ended
}

std::optional<Workbook> XlsStreamParser::parse() {
    if (!readGlobals())
        return std::nullopt;
    Workbook book;
    for (const SheetEntry &entry : std::as_const(m_sheets)) {
        Sheet sheet;
        sheet.name = entry.name;
        sheet.numberFormats = m_formats;
        if (!readSheet(entry, sheet))
            return std::nullopt;
        book.sheets << std::move(sheet);
    }
    return book;
}

std::optional<Workbook> parseXlsStream(QByteArrayView stream, bool cells, QString *error,
                                       const std::function<bool()> &stop) {
    XlsStreamParser parser(stream, cells, stop);
    std::optional<Workbook> book = parser.parse();
    if (!book)
        *error = parser.error().isEmpty() ? WorkbookText::Damaged : parser.error();
    return book;
}
