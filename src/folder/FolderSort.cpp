#include "folder/FolderSort.h"

#include "folder/FolderGridWriter.h"
#include "folder/FolderTree.h"

#include <QCollator>
#include <QHash>

#include <algorithm>
#include <numeric>
#include <optional>
#include <vector>

void sortGridRows(ResultGrid &grid, const std::function<bool(int, int)> &less) {
    const int first = grid.fixedRows();
    const int rows = grid.rows();
    if (rows - first < 2)
        return;
    std::vector<int> order(size_t(rows - first));
    std::iota(order.begin(), order.end(), first);
    std::stable_sort(order.begin(), order.end(), less);
    grid.reorderRows(order);
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
        const quint64 sa = storedSize(grid, a, sizeCol);
        const quint64 sb = storedSize(grid, b, sizeCol);
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
    // The key column's text case-folded: the C locale's collator compares the texts without
    // case, which is what a plain comparison of the folded texts does.
    QString folded;
    // Its sort key, which orders as the collator does (any other locale).
    std::optional<QCollatorSortKey> sortKey;
};

// Makes the keys of rows for one sort and compares them as folderRowCompare compares rows.
class RowKeys {
public:
    RowKeys(const ResultGrid &grid, int col, bool ascending)
        : m_grid(grid), m_col(col), m_bySize(col == 1 || col == 5), m_d(ascending ? 1 : -1) {
        m_collator.setCaseSensitivity(Qt::CaseInsensitive);
        // A sort key per row costs one collation of its text; comparing two keys is then a
        // byte comparison that orders as the collator does.
        m_byKeys = m_collator.locale().language() != QLocale::C;
    }

    RowKey make(int r) {
        RowKey key;
        for (int h = 0; h < 2; ++h) {
            const QString type = m_grid.text(r, 2 + 4 * h);
            auto known = m_typeNumbers.constFind(type);
            if (known == m_typeNumbers.constEnd())
                known = m_typeNumbers.insert(type, int(m_typeNumbers.size()));
            key.type[h] = known.value();
            key.folder[h] = type == FolderTypeText;
        }
        if (m_bySize)
            key.size = storedSize(m_grid, r, m_col == 1 ? 8 : 9);
        else if (m_byKeys)
            key.sortKey = m_collator.sortKey(m_grid.text(r, m_col));
        else
            key.folded = m_grid.text(r, m_col).toCaseFolded();
        return key;
    }

    int compare(const RowKey &a, const RowKey &b) const {
        for (int h = 0; h < 2; ++h) {
            if (a.type[h] == b.type[h])
                continue;
            if (a.folder[h])
                return -m_d;
            if (b.folder[h])
                return m_d;
        }
        if (m_bySize)
            return m_d * (a.size < b.size ? -1 : a.size > b.size ? 1 : 0);
        const int r = a.sortKey ? a.sortKey->compare(*b.sortKey)
                                : QStringView(a.folded).compare(QStringView(b.folded));
        return m_d * (r < 0 ? -1 : r > 0 ? 1 : 0);
    }

    // Sorts `rows` (stable); their keys live only meanwhile.
    void sort(std::vector<int> &rows) {
        std::vector<RowKey> keys;
        keys.reserve(rows.size());
        for (const int r : rows)
            keys.push_back(make(r));
        std::vector<int> at(rows.size());
        std::iota(at.begin(), at.end(), 0);
        std::stable_sort(at.begin(), at.end(), [&](int a, int b) {
            return compare(keys[size_t(a)], keys[size_t(b)]) < 0;
        });
        std::vector<int> sorted;
        sorted.reserve(rows.size());
        for (const int k : at)
            sorted.push_back(rows[size_t(k)]);
        rows = std::move(sorted);
    }

private:
    const ResultGrid &m_grid;
    int m_col;
    bool m_bySize;
    int m_d;
    bool m_byKeys = false;
    QCollator m_collator;
    QHash<QString, int> m_typeNumbers; // equal texts, equal numbers
};

// The rows of a tree with the entries of each folder sorted and every folder's contents right
// below it. Keys are made for one folder's entries at a time, so a tree of a million entries
// never holds a million of them.
std::vector<int> treeOrder(const FolderTree &tree, RowKeys &keys) {
    std::vector<int> order;
    order.reserve(size_t(tree.rows() - tree.firstRow()));
    // Sorts the entries from..to (the top level, or a folder's contents), then puts each in
    // place, followed by its own sorted contents.
    const std::function<void(int, int)> place = [&](int from, int to) {
        std::vector<int> entries;
        for (int r = from; r < to; r = tree.end(r))
            entries.push_back(r);
        keys.sort(entries);
        for (const int r : entries) {
            order.push_back(r);
            if (tree.hasChildren(r))
                place(r + 1, tree.end(r));
        }
    };
    place(tree.firstRow(), tree.rows());
    return order;
}

} // namespace

bool sortFolderGrid(ResultGrid &grid, int col) {
    if (col < 0 || col >= grid.cols())
        return false;
    const QString key = QString::number(col);
    const bool ascending = grid.tag() != key;
    grid.setTag(ascending ? key : QString());
    RowKeys keys(grid, col, ascending);
    std::vector<int> order;
    {
        // The tree is let go before the rows move: the views rebuild their own from them.
        const FolderTree tree(grid);
        if (tree.isTree())
            order = treeOrder(tree, keys);
    }
    if (order.empty()) {
        order.resize(size_t(grid.rows() - grid.fixedRows()));
        std::iota(order.begin(), order.end(), grid.fixedRows());
        keys.sort(order);
    }
    grid.reorderRows(order);
    return ascending;
}
