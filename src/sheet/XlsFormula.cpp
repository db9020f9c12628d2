#include "sheet/XlsFormula.h"

#include "sheet/Workbook.h"
#include "sheet/XlsFunctionNames.h"
#include "sheet/XlsRecords.h"

#include <QList>
#include <QLocale>

#include <optional>

namespace {

constexpr int Rows = 65536; // a legacy worksheet's size: offsets wrap around it
constexpr int Cols = 256;
// The longest formula text a spreadsheet accepts. Damaged tokens could nest far deeper, and
// each parenthesis or operator around a long text copies it: 64 KB of them took seconds.
constexpr qsizetype MaxText = 8192;

// One reference's row or column as the tokens store it, with its relative flag.
struct Coordinate {
    int value = 0;
    bool relative = false;
};

class FormulaDecoder {
public:
    FormulaDecoder(QByteArrayView tokens, const XlsFormulaPlace &place)
        : m_c(tokens), m_place(place) {}

    std::optional<QString> decode();

private:
    bool token(quint8 ptg);
    bool binary(const char *op);
    bool function(quint16 id, int args);
    bool push(QString text) {
        m_stack << std::move(text);
        return true;
    }
    std::optional<QString> cell(bool offsets);
    std::optional<QString> area(bool offsets);
    std::optional<QString> sheetPrefix();
    Coordinate row(quint16 stored, bool relative, bool offsets) const;
    Coordinate col(quint16 stored, bool offsets) const;

    XlsCursor m_c;
    const XlsFormulaPlace &m_place;
    QStringList m_stack;
};

QString quoted(const QString &s) {
    QString out = s;
    out.replace(u'"', QStringLiteral("\"\""));
    return u'"' + out + u'"';
}

QString numberText(double v) {
    return v == 0 ? QStringLiteral("0") : QString::number(v, 'G', QLocale::FloatingPointShortest);
}

QString reference(Coordinate row, Coordinate col) {
    return (col.relative ? QString() : QStringLiteral("$")) + ColumnLetters(col.value + 1) +
           (row.relative ? QString() : QStringLiteral("$")) + QString::number(row.value + 1);
}

} // namespace

Coordinate FormulaDecoder::row(quint16 stored, bool relative, bool offsets) const {
    if (!relative || !offsets)
        return {stored, relative};
    return {((m_place.row + qint16(stored)) % Rows + Rows) % Rows, true};
}

// A column field: the column in the low bits, then "column relative" (bit 14) and "row
// relative" (bit 15); in offsets the column is a signed byte.
Coordinate FormulaDecoder::col(quint16 stored, bool offsets) const {
    const bool relative = stored & 0x4000;
    if (!relative || !offsets)
        return {stored & 0x3FFF, relative};
    return {((m_place.col + qint8(stored & 0xFF)) % Cols + Cols) % Cols, true};
}

std::optional<QString> FormulaDecoder::cell(bool offsets) {
    const quint16 r = m_c.u16(), c = m_c.u16();
    if (!m_c.ok())
        return std::nullopt;
    return reference(row(r, c & 0x8000, offsets), col(c, offsets));
}

std::optional<QString> FormulaDecoder::area(bool offsets) {
    const quint16 r1 = m_c.u16(), r2 = m_c.u16(), c1 = m_c.u16(), c2 = m_c.u16();
    if (!m_c.ok())
        return std::nullopt;
    return reference(row(r1, c1 & 0x8000, offsets), col(c1, offsets)) + u':' +
           reference(row(r2, c2 & 0x8000, offsets), col(c2, offsets));
}

std::optional<QString> FormulaDecoder::sheetPrefix() {
    const quint16 index = m_c.u16();
    // References to other sheets inside a shared formula are left alone: their offsets
    // are stored in a way this decoder does not follow.
    if (!m_c.ok() || m_place.shared || !m_place.externSheets ||
        index >= m_place.externSheets->size() || m_place.externSheets->at(index).isEmpty())
        return std::nullopt;
    return m_place.externSheets->at(index) + u'!';
}

bool FormulaDecoder::binary(const char *op) {
    if (m_stack.size() < 2)
        return false;
    const QString right = m_stack.takeLast();
    m_stack.last() += QLatin1String(op) + right;
    return true;
}

bool FormulaDecoder::function(quint16 id, int args) {
    const XlsFunction *f = xlsFunction(id);
    if (!f || args > m_stack.size())
        return false;
    QString text = QLatin1String(f->name) + u'(';
    for (qsizetype i = m_stack.size() - args; i < m_stack.size(); ++i) {
        if (i > m_stack.size() - args)
            text += u',';
        text += m_stack[i];
    }
    m_stack.resize(m_stack.size() - args);
    return push(text + u')');
}

bool FormulaDecoder::token(quint8 ptg) {
    static const char *const operators[] = {
        "+", "-", "*", "/", "^", "&", "<", "<=", "=", ">=", ">", "<>", " ", ",", ":"};
    if (ptg >= 0x03 && ptg <= 0x11)
        return binary(operators[ptg - 0x03]);
    switch (ptg) {
    case 0x12: // unary plus, minus, percent
    case 0x13:
    case 0x14:
        if (m_stack.isEmpty())
            return false;
        if (ptg == 0x14)
            m_stack.last() += u'%';
        else
            m_stack.last().prepend(ptg == 0x12 ? u'+' : u'-');
        return true;
    case 0x15:
        if (m_stack.isEmpty())
            return false;
        m_stack.last() = u'(' + m_stack.last() + u')';
        return true;
    case 0x16: // an argument left out
        return push(QString());
    case 0x17: {
        const QString s = m_c.string8();
        return m_c.ok() && push(quoted(s));
    }
    case 0x19: { // control tokens, spaces, and SUM of a single argument
        const quint8 kind = m_c.u8();
        const quint16 data = m_c.u16();
        if (kind & 0x04)
            m_c.skip((qint64(data) + 1) * 2); // the jump table of CHOOSE
        return m_c.ok() && (!(kind & 0x10) || function(4, 1));
    }
    case 0x1C: {
        const QString error = xlsErrorText(m_c.u8());
        return m_c.ok() && !error.isEmpty() && push(error);
    }
    case 0x1D: {
        const quint8 value = m_c.u8();
        return m_c.ok() && push(value ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
    }
    case 0x1E: {
        const quint16 value = m_c.u16();
        return m_c.ok() && push(QString::number(value));
    }
    case 0x1F: {
        const double value = m_c.f64();
        return m_c.ok() && push(numberText(value));
    }
    default:
        break;
    }
    if (ptg < 0x20 || ptg >= 0x80)
        return false;
    // Operands come in three classes (reference, value, array) with one meaning.
    switch (ptg & 0x1F) {
    case 0x01: { // a function with a fixed count of arguments
        const quint16 id = m_c.u16();
        const XlsFunction *f = xlsFunction(id);
        return m_c.ok() && f && f->args >= 0 && function(id, f->args);
    }
    case 0x02: { // a function with the count of its arguments
        const int args = m_c.u8() & 0x7F;
        const quint16 id = m_c.u16();
        return m_c.ok() && !(id & 0x8000) && function(id, args);
    }
    case 0x04:
    case 0x0C: {
        const auto text = cell((ptg & 0x1F) == 0x0C);
        return text && push(*text);
    }
    case 0x05:
    case 0x0D: {
        const auto text = area((ptg & 0x1F) == 0x0D);
        return text && push(*text);
    }
    case 0x06: // the size of a reference expression that follows; nothing to show
    case 0x07:
    case 0x08:
        m_c.skip(6);
        return m_c.ok();
    case 0x09:
        m_c.skip(2);
        return m_c.ok();
    case 0x0A:
        m_c.skip(4);
        return m_c.ok() && push(QStringLiteral("#REF!"));
    case 0x0B:
        m_c.skip(8);
        return m_c.ok() && push(QStringLiteral("#REF!"));
    case 0x1A:
    case 0x1B: {
        const auto prefix = sheetPrefix();
        const auto text = (ptg & 0x1F) == 0x1A ? cell(false) : area(false);
        return prefix && text && push(*prefix + *text);
    }
    case 0x1C:
    case 0x1D: {
        const auto prefix = sheetPrefix();
        m_c.skip((ptg & 0x1F) == 0x1C ? 4 : 8);
        return prefix && m_c.ok() && push(*prefix + QStringLiteral("#REF!"));
    }
    default:
        return false; // names, arrays, add-ins and the rest: no text rather than a wrong one
    }
}

std::optional<QString> FormulaDecoder::decode() {
    while (m_c.remaining() > 0) {
        const quint8 ptg = m_c.u8();
        if (!token(ptg) || !m_c.ok())
            return std::nullopt;
        // Every token changes at most the last text; none may grow past what can be written.
        if (!m_stack.isEmpty() && m_stack.last().size() > MaxText)
            return std::nullopt;
    }
    if (m_stack.size() != 1)
        return std::nullopt;
    return m_stack.first();
}

QString xlsFormulaText(QByteArrayView tokens, const XlsFormulaPlace &place) {
    FormulaDecoder decoder(tokens, place);
    return decoder.decode().value_or(QString());
}

QString xlsSheetPrefix(const QString &name) {
    bool plain = !name.isEmpty() && !name.front().isDigit();
    for (const QChar c : name)
        plain = plain && (c.isLetterOrNumber() || c == u'_');
    if (plain)
        return name;
    QString out = name;
    out.replace(u'\'', QStringLiteral("''"));
    return u'\'' + out + u'\'';
}

namespace {

void insertText(Sheet &sheet, int row, int col, const QString &text) {
    if (!text.isEmpty())
        sheet.formulas.insert(Sheet::key(row + 1, col + 1), text);
}

} // namespace

void XlsSheetFormulas::read(XlsCursor &c, int row, int col, Sheet &sheet) {
    c.skip(6); // options and a cache field
    const QByteArray tokens = c.bytes(c.u16());
    if (!c.ok())
        return;
    if (tokens.size() == 5 && tokens[0] == 0x01) { // tExp: where the shared tokens are
        XlsCursor at(QByteArrayView(tokens).sliced(1));
        const quint16 firstRow = at.u16(), firstCol = at.u16();
        m_uses << SharedUse{row, col, Sheet::key(firstRow, firstCol)};
        return;
    }
    insertText(sheet, row, col, xlsFormulaText(tokens, {row, col, false, &m_externSheets}));
}

void XlsSheetFormulas::readShared(XlsCursor &c) {
    const quint16 firstRow = c.u16();
    c.skip(2); // the last row
    const quint8 firstCol = c.u8();
    c.skip(3); // the last column, a reserved byte, the count of cells
    const QByteArray tokens = c.bytes(c.u16());
    if (c.ok())
        m_shared.insert(Sheet::key(firstRow, firstCol), tokens);
}

void XlsSheetFormulas::resolve(Sheet &sheet) {
    for (const SharedUse &use : std::as_const(m_uses)) {
        const auto tokens = m_shared.constFind(use.first);
        if (tokens != m_shared.constEnd())
            insertText(sheet, use.row, use.col,
                       xlsFormulaText(*tokens, {use.row, use.col, true, &m_externSheets}));
    }
    m_uses.clear();
    m_shared.clear();
}
