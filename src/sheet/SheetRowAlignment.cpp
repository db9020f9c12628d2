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
QStringList rowKeys(const Sheet &sheet, int lastCol) {
    std::vector<std::vector<std::pair<int, const CellValue *>>> rows(size_t(sheet.lastRow) + 1);
    for (auto it = sheet.cells.constBegin(); it != sheet.cells.constEnd(); ++it) {
        const int row = int(it.key() >> 32);
        const int col = int(it.key() & 0xFFFFFFFFu);
        if (row >= 1 && row <= sheet.lastRow && col >= 1 && col <= lastCol)
            rows[size_t(row)].emplace_back(col, &it.value());
    }
    QStringList keys;
    keys.reserve(sheet.lastRow);
    for (int r = 1; r <= sheet.lastRow; ++r) {
        auto &cells = rows[size_t(r)];
        std::sort(cells.begin(), cells.end(),
                  [](const auto &a, const auto &b) { return a.first < b.first; });
        QString key;
        for (const auto &[col, value] : cells) {
            const bool numeric =
                value->kind == CellValue::Kind::Number || value->kind == CellValue::Kind::Boolean;
            if (value->isEmpty() || (numeric && value->number == 0))
                continue;
            key += QString::number(col);
            if (numeric)
                key += u'n' + QString::number(value->number, 'g', 17);
            else
                key += (value->kind == CellValue::Kind::Error ? u'e' : u't') + value->text;
            key += CellSeparator;
        }
        keys << key;
    }
    return keys;
}

} // namespace

std::optional<std::vector<RowPair>> alignSheetRows(const Sheet &left, const Sheet &right,
                                                   int lastCol, const std::function<bool()> &stop) {
    const QStringList keys[2] = {rowKeys(left, lastCol), rowKeys(right, lastCol)};
    PairTable table;
    if (!matchLines(keys[0], keys[1], MatchParams{}, table, stop))
        return std::nullopt;
    std::vector<RowPair> pairs;
    pairs.reserve(size_t(table.lastRow()));
    for (int r = 1; r <= table.lastRow(); ++r)
        pairs.push_back({table.row(r).left + 1, table.row(r).right + 1});
    return pairs;
}
