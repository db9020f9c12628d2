#include "encoding/WordBinary.h"

#include "encoding/OfficeDocument.h"
#include "encoding/SymbolFonts.h"
#include "platform/CompoundFile.h"
#include "platform/ZipPackage.h"

#include <QStringList>

#include <algorithm>
#include <vector>

namespace {

// Streams are held whole; a document's streams are never larger than its file, which the
// caller has already bounded.
constexpr qint64 MaxStream = qint64(1024) * 1024 * 1024;
constexpr qsizetype MaxTextChars = qsizetype(256) * 1024 * 1024;

constexpr quint16 WordIdent = 0xA5EC;
// Word 6.0 and 95 inside a compound file; Word for Windows 2.0 as a file of its own.
constexpr quint16 Word6Ident = 0xA5DC;
const QByteArray Word2Head = QByteArrayLiteral("\xDB\xA5");
// The first format with a piece table of Unicode-capable pieces (Word 97).
constexpr quint16 FirstNFib = 0x00C1;
constexpr quint16 FlagWhichTable = 0x0200;
constexpr quint16 FlagEncrypted = 0x0100;
constexpr quint16 FlagObfuscated = 0x8000;
// Indexes of (offset, length) pairs in the block of table-stream locations.
constexpr int PairBteChpx = 12;
constexpr int PairBtePapx = 13;
constexpr int PairFonts = 15;
constexpr int PairClx = 33;
// Paragraph properties that mark the end of a table row (outer and nested tables).
constexpr quint16 SprmRowEnd = 0x2417;
constexpr quint16 SprmInnerRowEnd = 0x244C;
constexpr quint16 SprmTableDefinition = 0xD608;
constexpr quint16 SprmChangeTabs = 0xC615;
constexpr qint64 PageSize = 512;
// Character properties: a tracked deletion (an insertion is plain text once accepted), a
// symbol-font character.
constexpr quint16 SprmDeleted = 0x0800;
constexpr quint16 SprmSymbol = 0x6A09;
// What the text holds in place of a symbol-font character.
constexpr char16_t SymbolPlaceholder = 0x28;

// What characters 0x80–0x9F of an 8-bit piece stand for (Windows-1252); the rest is Latin-1.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Little-endian reads that answer 0 and remember the fault past the end of the bytes.
class Bytes {
public:
    explicit Bytes(const QByteArray &b) : m_b(b) {}
    bool has(qint64 at, qint64 count) const {
        return at >= 0 && count >= 0 && at <= m_b.size() && count <= m_b.size() - at;
    }
    quint8 u8(qint64 at) {
        if (!has(at, 1)) {
            m_bad = true;
            return 0;
        }
        return quint8(m_b[qsizetype(at)]);
    }
    quint16 u16(qint64 at) { return quint16(u8(at) | (u8(at + 1) << 8)); }
    quint32 u32(qint64 at) { return u16(at) | (quint32(u16(at + 2)) << 16); }
    bool bad() const { return m_bad; }

private:
    const QByteArray &m_b;
    bool m_bad = false;
};

// Whether a paragraph mark ends a table row, from the paragraph properties stored for the
// byte that holds it (the bin table of paragraph property pages, then the page's runs).
class RowMarks {
public:
    RowMarks(const QByteArray &word, const QByteArray &table, quint32 at, quint32 length)
        : m_word(word), m_table(table), m_at(at),
          m_count(length >= 4 && (length - 4) % 8 == 0 ? (length - 4) / 8 : 0) {
        if (!m_table.has(at, length))
            m_count = 0;
    }

    bool isRowEnd(quint32 fc) {
        // The page whose runs cover fc: the last one starting at or before it.
        qint64 lo = 0, hi = m_count;
        while (lo < hi) {
            const qint64 mid = (lo + hi) / 2;
            if (m_table.u32(m_at + 4 * mid) <= fc)
                lo = mid + 1;
            else
                hi = mid;
        }
        if (lo == 0 || fc >= m_table.u32(m_at + 4 * m_count))
            return false;
        const quint32 pn = m_table.u32(m_at + 4 * (m_count + 1) + 4 * (lo - 1)) & 0x3FFFFF;
        return pageSaysRowEnd(qint64(pn) * PageSize, fc);
    }

private:
    bool pageSaysRowEnd(qint64 page, quint32 fc) {
        if (!m_word.has(page, PageSize))
            return false;
        const int runs = m_word.u8(page + PageSize - 1);
        for (int i = 0; i < runs; ++i) {
            if (fc < m_word.u32(page + 4 * i) || fc >= m_word.u32(page + 4 * (i + 1)))
                continue;
            const int offset = m_word.u8(page + 4 * (runs + 1) + 13 * i);
            if (offset == 0)
                return false; // default properties
            qint64 at = page + 2 * offset;
            qint64 length = 2 * qint64(m_word.u8(at)) - 1;
            ++at;
            if (length < 0) {
                length = 2 * qint64(m_word.u8(at));
                ++at;
            }
            const qint64 end = std::min(at + length, page + PageSize - 1);
            return propertiesSayRowEnd(at + 2, end); // after the style index
        }
        return false;
    }

    bool propertiesSayRowEnd(qint64 at, qint64 end) {
        while (at + 2 <= end) {
            const quint16 sprm = m_word.u16(at);
            at += 2;
            if ((sprm == SprmRowEnd || sprm == SprmInnerRowEnd) && at < end && m_word.u8(at))
                return true;
            qint64 operand = 0;
            switch (sprm >> 13) {
            case 0:
            case 1:
                operand = 1;
                break;
            case 2:
            case 4:
            case 5:
                operand = 2;
                break;
            case 3:
                operand = 4;
                break;
            case 7:
                operand = 3;
                break;
            default: // variable length
                if (sprm == SprmTableDefinition) {
                    operand = 2 + m_word.u16(at) - 1;
                } else if (sprm == SprmChangeTabs && m_word.u8(at) == 255) {
                    return false; // a long form we do not walk
                } else {
                    operand = 1 + m_word.u8(at);
                }
            }
            at += std::max<qint64>(operand, 1);
        }
        return false;
    }

    Bytes m_word;
    Bytes m_table;
    qint64 m_at;
    qint64 m_count;
};

// The character properties the text depends on, for the run that holds one character.
struct CharacterProperties {
    bool deleted = false; // deleted while changes were tracked: not in the accepted text
    bool symbol = false;
    quint16 symbolFont = 0;
    quint16 symbolCode = 0;
};

// The character properties stored for the byte that holds a character: the bin table of
// character property pages, then the page's runs. The run found last is kept, as the text
// asks for its characters in order.
class CharacterRuns {
public:
    CharacterRuns(const QByteArray &word, const QByteArray &table, quint32 at, quint32 length)
        : m_word(word), m_table(table), m_at(at),
          m_count(length >= 4 && (length - 4) % 8 == 0 ? (length - 4) / 8 : 0) {
        if (!m_table.has(at, length))
            m_count = 0;
    }

    const CharacterProperties &at(quint32 fc) {
        if (fc >= m_first && fc < m_end)
            return m_props;
        m_props = CharacterProperties();
        m_first = fc;
        m_end = quint64(fc) + 1;
        qint64 lo = 0, hi = m_count;
        while (lo < hi) {
            const qint64 mid = (lo + hi) / 2;
            if (m_table.u32(m_at + 4 * mid) <= fc)
                lo = mid + 1;
            else
                hi = mid;
        }
        if (lo > 0 && fc < m_table.u32(m_at + 4 * m_count)) {
            const quint32 pn = m_table.u32(m_at + 4 * (m_count + 1) + 4 * (lo - 1)) & 0x3FFFFF;
            readPage(qint64(pn) * PageSize, fc);
        }
        return m_props;
    }

private:
    void readPage(qint64 page, quint32 fc) {
        if (!m_word.has(page, PageSize))
            return;
        const int runs = m_word.u8(page + PageSize - 1);
        if (5 * runs + 4 > PageSize - 1)
            return;
        for (int i = 0; i < runs; ++i) {
            const quint32 first = m_word.u32(page + 4 * i), end = m_word.u32(page + 4 * (i + 1));
            if (fc < first || fc >= end)
                continue;
            m_first = first;
            m_end = end;
            const int offset = m_word.u8(page + 4 * (runs + 1) + i);
            if (offset == 0)
                return; // default properties
            const qint64 at = page + 2 * offset;
            readProperties(at + 1, std::min(at + 1 + m_word.u8(at), page + PageSize - 1));
            return;
        }
    }

    void readProperties(qint64 at, qint64 end) {
        while (at + 2 <= end) {
            const quint16 sprm = m_word.u16(at);
            at += 2;
            if (sprm == SprmDeleted && at < end)
                m_props.deleted = m_word.u8(at) & 1; // 1 on; 0x81 the style's opposite
            else if (sprm == SprmSymbol && at + 4 <= end)
                m_props = {m_props.deleted, true, m_word.u16(at), m_word.u16(at + 2)};
            static constexpr qint64 Operand[8] = {1, 1, 2, 4, 2, 2, -1, 3};
            const qint64 operand = Operand[sprm >> 13];
            at += operand >= 0 ? operand : 1 + m_word.u8(at);
        }
    }

    Bytes m_word;
    Bytes m_table;
    qint64 m_at;
    qint64 m_count;
    quint64 m_first = 1, m_end = 0; // the run of the last answer
    CharacterProperties m_props;
};

// The names of the document's fonts, by their index in the font table.
QStringList fontNames(const QByteArray &tableStream, quint32 at, quint32 length) {
    Bytes table(tableStream);
    QStringList names;
    if (!table.has(at, length))
        return names;
    const qint64 end = qint64(at) + length;
    const int count = table.u16(at);
    qint64 pos = at + 4;          // after the count and the size of extra data (none)
    constexpr qint64 NameAt = 40; // the name follows the font's family, weight and signature
    for (int i = 0; i < count && pos < end; ++i) {
        const qint64 next = pos + 1 + table.u8(pos);
        QString name;
        for (qint64 c = pos + NameAt; c + 2 <= std::min(next, end); c += 2) {
            const char16_t ch = table.u16(c);
            if (ch == 0)
                break;
            name += QChar(ch);
        }
        names << name;
        pos = next;
    }
    return names;
}

// Turns the story's characters into lines: paragraph and cell marks end lines, field codes
// are hidden and their results shown.
class StoryText {
public:
    explicit StoryText(RowMarks &rows) : m_rows(rows) {}

    void add(char16_t c, quint32 fc) {
        switch (c) {
        case 0x13: // field begins: its code is not shown
            m_fields.push_back(false);
            return;
        case 0x14: // field separator: its result follows
            if (!m_fields.empty())
                m_fields.back() = true;
            return;
        case 0x15:
            if (!m_fields.empty())
                m_fields.pop_back();
            return;
        default:
            break;
        }
        if (std::find(m_fields.begin(), m_fields.end(), false) != m_fields.end())
            return;
        switch (c) {
        case 0x0D: // paragraph mark
        case 0x07: // cell mark
            if (!m_rows.isRowEnd(fc))
                endLine();
            return;
        case 0x0B: // manual line break
        case 0x0C: // page or section break
            m_line += u'\n';
            return;
        case 0x09:
            m_line += u'\t';
            return;
        case 0x1E: // non-breaking hyphen
            m_line += u'-';
            return;
        default:
            if (c >= 0x20)
                m_line += QChar(c);
            // other control characters stand for pictures, note marks and objects
        }
    }

    // A character that stands for more than one code unit (a symbol-font character).
    void addText(const QString &text, quint32 fc) {
        if (std::find(m_fields.begin(), m_fields.end(), false) != m_fields.end())
            return;
        if (text.size() == 1)
            add(text[0].unicode(), fc);
        else
            m_line += text;
    }

    bool tooLarge() const { return m_size > MaxTextChars; }

    QString text() {
        if (!m_line.isEmpty())
            endLine();
        return m_lines.join(u'\n');
    }

private:
    void endLine() {
        m_size += m_line.size() + 1;
        m_lines << m_line;
        m_line.clear();
    }

    RowMarks &m_rows;
    std::vector<bool> m_fields; // per open field: is its result showing
    QStringList m_lines;
    QString m_line;
    qsizetype m_size = 0;
};

bool fail(QString *reason, const QString &text) {
    *reason = text;
    return false;
}

} // namespace

bool readWordBinary(const QByteArray &file, QString *text, QString *reason) {
    if (file.startsWith(Word2Head))
        return fail(reason, DocumentText::OldWordFormat);
    CompoundFile container;
    if (!container.open(file))
        return fail(reason, ZipText::Damaged);
    const std::optional<QByteArray> wordStream = container.stream("WordDocument", MaxStream);
    if (!wordStream) // a password-protected .docx is a compound file too
        return fail(reason, container.hasStream("EncryptedPackage") ? ZipText::Encrypted
                                                                    : DocumentText::NotDocument);
    Bytes word(*wordStream);
    if ((word.u16(0) != WordIdent && word.u16(0) != Word6Ident) || word.bad())
        return fail(reason, DocumentText::NotDocument);
    if (word.u16(2) < FirstNFib)
        return fail(reason, DocumentText::OldWordFormat);
    const quint16 flags = word.u16(0x0A);
    if (flags & (FlagEncrypted | FlagObfuscated))
        return fail(reason, ZipText::Encrypted);

    // The block's variable parts: 16-bit values, 32-bit values (the story lengths), then the
    // (offset, length) pairs that locate structures in the table stream.
    qint64 at = 32;
    at += 2 + 2 * qint64(word.u16(at));
    const qint64 longs = at + 2;
    const quint32 storyLength = word.u32(longs + 12);
    at += 2 + 4 * qint64(word.u16(at));
    const qint64 pairCount = word.u16(at);
    const qint64 pairs = at + 2;
    if (word.bad() || pairCount <= PairClx)
        return fail(reason, ZipText::Damaged);
    const quint32 clxAt = word.u32(pairs + 8 * PairClx);
    const quint32 clxLength = word.u32(pairs + 8 * PairClx + 4);
    const quint32 papxAt = word.u32(pairs + 8 * PairBtePapx);
    const quint32 papxLength = word.u32(pairs + 8 * PairBtePapx + 4);
    const quint32 chpxAt = word.u32(pairs + 8 * PairBteChpx);
    const quint32 chpxLength = word.u32(pairs + 8 * PairBteChpx + 4);
    const quint32 fontsAt = word.u32(pairs + 8 * PairFonts);
    const quint32 fontsLength = word.u32(pairs + 8 * PairFonts + 4);

    const std::optional<QByteArray> tableStream =
        container.stream(flags & FlagWhichTable ? "1Table" : "0Table", MaxStream);
    if (!tableStream || word.bad())
        return fail(reason, ZipText::Damaged);
    Bytes table(*tableStream);
    if (!table.has(clxAt, clxLength))
        return fail(reason, ZipText::Damaged);

    // The piece table follows any number of property blocks in the Clx.
    qint64 pos = clxAt;
    const qint64 clxEnd = qint64(clxAt) + clxLength;
    while (pos < clxEnd && table.u8(pos) == 0x01)
        pos += 3 + qint16(table.u16(pos + 1));
    if (pos < clxAt || pos + 5 > clxEnd || table.u8(pos) != 0x02)
        return fail(reason, ZipText::Damaged);
    const quint32 plcLength = table.u32(pos + 1);
    const qint64 plc = pos + 5;
    if (plcLength < 16 || (plcLength - 4) % 12 != 0 || !table.has(plc, plcLength))
        return fail(reason, ZipText::Damaged);
    const qint64 pieces = (plcLength - 4) / 12;

    RowMarks rows(*wordStream, *tableStream, papxAt, papxLength);
    CharacterRuns runs(*wordStream, *tableStream, chpxAt, chpxLength);
    const QStringList fonts = fontNames(*tableStream, fontsAt, fontsLength);
    StoryText story(rows);
    for (qint64 k = 0; k < pieces; ++k) {
        const quint32 first = table.u32(plc + 4 * k);
        const quint32 last = std::min(table.u32(plc + 4 * (k + 1)), storyLength);
        if (first >= storyLength)
            break;
        if (last < first)
            return fail(reason, ZipText::Damaged);
        const quint32 raw = table.u32(plc + 4 * (pieces + 1) + 8 * k + 2);
        const bool eightBit = raw & 0x40000000;
        const qint64 start = eightBit ? (raw & 0x3FFFFFFF) / 2 : (raw & 0x3FFFFFFF);
        const qint64 count = last - first;
        if (!word.has(start, eightBit ? count : 2 * count))
            return fail(reason, ZipText::Damaged);
        for (qint64 i = 0; i < count; ++i) {
            const qint64 fc = eightBit ? start + i : start + 2 * i;
            char16_t c = eightBit ? word.u8(fc) : word.u16(fc);
            if (eightBit && c >= 0x80 && c < 0xA0)
                c = Cp1252High[c - 0x80];
            // The text as shown with every tracked change accepted: deleted runs are left out,
            // inserted ones are plain text.
            const CharacterProperties &props = runs.at(quint32(fc));
            if (props.deleted)
                continue;
            if (props.symbol && c == SymbolPlaceholder && props.symbolCode >= 0x20) {
                const QString symbol =
                    symbolFontText(fonts.value(props.symbolFont), props.symbolCode);
                story.addText(symbol.isEmpty() ? QString(QChar(props.symbolCode)) : symbol,
                              quint32(fc));
                continue;
            }
            story.add(c, quint32(fc));
        }
        if (story.tooLarge())
            return fail(reason, ZipText::TooLarge);
    }
    *text = story.text();
    return true;
}
