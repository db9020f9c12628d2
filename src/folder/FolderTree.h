#pragma once

#include "engine/ResultGrid.h"

#include <vector>

// The tree a folder grid holds after a comparison through every level: the rows stand in tree
// order and name their entries by the path relative to the compared folders ("sub/dir/a.txt"),
// so an entry's depth is the number of '/' in its name and a folder's contents are the rows
// right below it that lie deeper. A one-level result has every entry at the top: no tree.
//
// It also keeps which folders are expanded (all start collapsed) and answers which rows are
// shown: the top-level rows and, below each expanded folder, its shown contents.
class FolderTree {
public:
    FolderTree() = default;
    explicit FolderTree(const ResultGrid &grid);

    // True when some entry lies below the top level.
    bool isTree() const { return m_isTree; }
    int firstRow() const { return m_first; }
    int rows() const { return m_first + int(m_depth.size()); }

    int depth(int gridRow) const { return m_depth[index(gridRow)]; }
    // The first row after gridRow's contents (gridRow + 1 when it has none).
    int end(int gridRow) const { return m_end[index(gridRow)]; }
    bool hasChildren(int gridRow) const { return end(gridRow) > gridRow + 1; }
    // The folder row gridRow lies in; -1 at the top level.
    int parent(int gridRow) const { return m_parent[index(gridRow)]; }

    bool isExpanded(int gridRow) const { return m_expanded[index(gridRow)] != 0; }
    void setExpanded(int gridRow, bool on) { m_expanded[index(gridRow)] = on ? 1 : 0; }

    // Every shown row, ascending.
    std::vector<int> shownRows() const;
    // The rows shown inside folder gridRow while it is expanded, ascending.
    std::vector<int> shownInside(int gridRow) const;

private:
    size_t index(int gridRow) const { return size_t(gridRow - m_first); }
    void collectShown(int from, int to, std::vector<int> &out) const;

    int m_first = 1;
    bool m_isTree = false;
    std::vector<int> m_depth;
    std::vector<int> m_end;
    std::vector<int> m_parent;
    std::vector<char> m_expanded;
};

// The relative path's depth: the number of '/' in it.
int relativePathDepth(QStringView path);
// The entry's own name: the relative path after its last '/'.
QStringView entryNameOf(QStringView path);
