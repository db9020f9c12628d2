#include "folder/FolderSort.h"

#include <QCollator>
#include <QHash>

#include <algorithm>
#include <numeric>
#include <vector>

namespace {

struct CellCopy {
    QString text;
    int number = -1;
    Color color = ResultGrid::DefaultColor;
};

quint64 exactSize(const ResultGrid &grid, int r, int c) {
    // Columns 8/9 hold plain decimal digits; a one-sided listing leaves them empty.
    if (const int number = grid.numberAt(r, c); number >= 0)
        return quint64(number);
    bool ok = false;
    const quint64 value = grid.text(r, c).toULongLong(&ok);
    return ok ? value : 0;
}

} // namespace

void sortGridRows(ResultGrid &grid, const std::function<bool(int, int)> &less) {
    const int first = grid.fixedRows();
    const int rows = grid.rows();
    if (rows - first < 2)
        return;
    std::vector<int> order(size_t(rows - first));
    std::iota(order.begin(), order.end(), first);
    std::stable_sort(order.begin(), order.end(), less);

    const int cols = grid.cols();
    std::vector<CellCopy> cells(order.size() * size_t(cols));
    std::vector<int> heights(order.size());
    for (size_t k = 0; k < order.size(); ++k) {
        const int r = first + int(k);
        heights[k] = grid.rowHeight(r);
        for (int c = 0; c < cols; ++c) {
            CellCopy &x = cells[k * size_t(cols) + size_t(c)];
            x.number = grid.numberAt(r, c);
            if (x.number < 0)
                x.text = grid.text(r, c);
            x.color = grid.backColor(r, c);
        }
    }

    const bool redraw = grid.redraw();
    grid.setRedraw(false);
    for (size_t k = 0; k < order.size(); ++k) {
        const int target = first + int(k);
        const size_t source = size_t(order[k] - first);
        for (int c = 0; c < cols; ++c) {
            const CellCopy &x = cells[source * size_t(cols) + size_t(c)];
            if (x.number >= 0)
                grid.setNumber(target, c, x.number);
            else
                grid.setText(target, c, x.text);
            grid.setBackColor(target, c, x.color);
        }
        // Heights are stored lazily; writing a 0 would only grow the table for nothing.
        if (heights[source] != 0 || grid.rowHeight(target) != 0)
            grid.setRowHeight(target, heights[source]);
    }
    grid.setRedraw(redraw);
}

int folderRowCompare(const ResultGrid &grid, int a, int b, int col, bool ascending) {
    const int d = ascending ? 1 : -1;
    // A folder on either side puts its row before the files.
    for (const int typeCol : {2, 6}) {
        const QString ta = grid.text(a, typeCol);
        const QString tb = grid.text(b, typeCol);
        if (ta == tb)
            continue;
        if (ta == FolderTypeText)
            return -d;
        if (tb == FolderTypeText)
            return d;
    }
    if (col == 1 || col == 5) {
        const int sizeCol = col == 1 ? 8 : 9;
        const quint64 sa = exactSize(grid, a, sizeCol);
        const quint64 sb = exactSize(grid, b, sizeCol);
        return d * (sa < sb ? -1 : sa > sb ? 1 : 0);
    }
    thread_local QCollator collator = [] {
        QCollator c;
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    const int r = collator.compare(grid.text(a, col), grid.text(b, col));
    return d * (r < 0 ? -1 : r > 0 ? 1 : 0);
}

namespace {

// What folderRowCompare reads of a row, taken once per row rather than once per comparison.
struct RowKey {
    int type[2] = {0, 0}; // the type texts of both halves, as numbers: equal texts, equal numbers
    bool folder[2] = {false, false};
    quint64 size = 0;
    QString text; // the key column's text
};

// folderRowCompare on the keys of two rows.
int compareKeys(const RowKey &a, const RowKey &b, const QCollator &collator, bool bySize, int d) {
    for (int h = 0; h < 2; ++h) {
        if (a.type[h] == b.type[h])
            continue;
        if (a.folder[h])
            return -d;
        if (b.folder[h])
            return d;
    }
    if (bySize)
        return d * (a.size < b.size ? -1 : a.size > b.size ? 1 : 0);
    const int r = collator.compare(a.text, b.text);
    return d * (r < 0 ? -1 : r > 0 ? 1 : 0);
}

} // namespace

bool sortFolderGrid(ResultGrid &grid, int col) {
    if (col < 0 || col >= grid.cols())
        return false;
    const QString key = QString::number(col);
    const bool ascending = grid.tag() != key;
    grid.setTag(ascending ? key : QString());
    const bool bySize = col == 1 || col == 5;
    std::vector<RowKey> keys(size_t(grid.rows()));
    QHash<QString, int> typeNumbers;
    for (int r = grid.fixedRows(); r < grid.rows(); ++r) {
        RowKey &key = keys[size_t(r)];
        for (int h = 0; h < 2; ++h) {
            const QString type = grid.text(r, 2 + 4 * h);
            auto known = typeNumbers.constFind(type);
            if (known == typeNumbers.constEnd())
                known = typeNumbers.insert(type, int(typeNumbers.size()));
            key.type[h] = known.value();
            key.folder[h] = type == FolderTypeText;
        }
        if (bySize)
            key.size = exactSize(grid, r, col == 1 ? 8 : 9);
        else
            key.text = grid.text(r, col);
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    const int d = ascending ? 1 : -1;
    sortGridRows(grid, [&](int a, int b) {
        return compareKeys(keys[size_t(a)], keys[size_t(b)], collator, bySize, d) < 0;
    });
    return ascending;
}
