#include "sheet/SheetRowAlignment.h"

#include "engine/LineMatching.h"

#include <algorithm>
#include <utility>

namespace {

// Separates the cells inside a row's key; no cell text of a real sheet holds it.
constexpr QChar CellSeparator = QChar(0x1F);

// A row's values as one line of text: two rows get the same line when every cell compares
// equal. Empty cells, the empty text and 0 all count as nothing, which is close enough for
// pairing rows; the cells of paired rows are then compared exactly.
QStringList rowKeys(const Sheet &sheet, int lastCol, int digits) {
    QStringList keys;
    keys.reserve(sheet.lastRow);
    QString key;
    int row = 1; // the row whose key is being built
    // The store walks the cells row by row, each row from left to right.
    for (auto it = sheet.cells.constBegin(); it != sheet.cells.constEnd(); ++it) {
        const int cellRow = int(it.key() >> 32);
        const int col = int(it.key() & 0xFFFFFFFFu);
        if (cellRow < 1 || cellRow > sheet.lastRow || col < 1 || col > lastCol)
            continue;
        for (; row < cellRow; ++row)
            keys << std::exchange(key, QString());
        const CellValue &value = it.value();
        const bool numeric =
            value.kind == CellValue::Kind::Number || value.kind == CellValue::Kind::Boolean;
        if (value.isEmpty() || (numeric && value.number == 0))
            continue;
        key += QString::number(col);
        if (numeric)
            key += u'n' + comparedNumber(value.number, digits);
        else
            key += (value.kind == CellValue::Kind::Error ? u'e' : u't') + value.text;
        key += CellSeparator;
    }
    for (; row <= sheet.lastRow; ++row)
        keys << std::exchange(key, QString());
    return keys;
}

} // namespace

QString comparedNumber(double number, int digits) {
    // Beyond 17 digits a double has nothing more to tell.
    return QString::number(number, 'g', digits > 0 && digits < 17 ? digits : 17);
}

std::optional<std::vector<RowPair>> alignSheetRows(const Sheet &left, const Sheet &right,
                                                   int lastCol, const std::function<bool()> &stop,
                                                   const SheetCompareRules &rules) {
    const QStringList keys[2] = {rowKeys(left, lastCol, rules.digits),
                                 rowKeys(right, lastCol, rules.digits)};
    PairTable table;
    if (!matchLines(keys[0], keys[1], MatchParams{}, table, stop))
        return std::nullopt;
    std::vector<RowPair> pairs;
    pairs.reserve(size_t(table.lastRow()));
    for (int r = 1; r <= table.lastRow(); ++r)
        pairs.push_back({table.row(r).left + 1, table.row(r).right + 1});
    return pairs;
}
