#include "folder/FolderTree.h"

int relativePathDepth(QStringView path) {
    return int(path.count(QLatin1Char('/')));
}

QStringView entryNameOf(QStringView path) {
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

FolderTree::FolderTree(const ResultGrid &grid) : m_first(grid.fixedRows()) {
    const int rows = grid.rows();
    ResultGrid::TextBuffer buffer;
    // A one-level result (no '/' in any name) is told quickly and keeps nothing.
    bool below = false;
    for (int r = m_first; r < rows && !below; ++r)
        below = grid.textView(r, grid.isEmpty(r, 0) ? 4 : 0, buffer).contains(u'/');
    if (!below)
        return;
    const size_t n = size_t(std::max(0, rows - m_first));
    m_depth.resize(n);
    m_end.resize(n);
    m_parent.resize(n);
    m_expanded.assign(n, 0);
    // The folders that enclose the current row, outermost first.
    std::vector<int> open;
    for (int r = m_first; r < rows; ++r) {
        // A one-sided row names its entry on the side that holds it.
        const int nameCol = grid.isEmpty(r, 0) ? 4 : 0;
        const int d = relativePathDepth(grid.textView(r, nameCol, buffer));
        m_isTree = m_isTree || d > 0;
        while (int(open.size()) > d) {
            m_end[index(open.back())] = r;
            open.pop_back();
        }
        m_depth[index(r)] = d;
        m_parent[index(r)] = open.empty() ? -1 : open.back();
        open.push_back(r);
    }
    for (const int r : open)
        m_end[index(r)] = rows;
}

void FolderTree::collectShown(int from, int to, std::vector<int> &out) const {
    for (int r = from; r < to;) {
        out.push_back(r);
        r = isExpanded(r) ? r + 1 : end(r);
    }
}

std::vector<int> FolderTree::shownRows() const {
    std::vector<int> out;
    collectShown(m_first, rows(), out);
    return out;
}

std::vector<int> FolderTree::shownInside(int gridRow) const {
    std::vector<int> out;
    collectShown(gridRow + 1, end(gridRow), out);
    return out;
}
