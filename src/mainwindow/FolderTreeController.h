#pragma once

#include "folder/FolderTree.h"

#include <QObject>
#include <QSet>
#include <QString>

class QEvent;
class QRect;
class ResultGridView;

// Shows the folder grid of a comparison through every level as a tree: only the rows of
// expanded folders are in the view (through the model's row map; the grid keeps every row in
// tree order), and the name columns show each entry's own name, indented by its depth, with a
// marker on folders that hold entries. Folders start collapsed, so a result of a million
// entries shows its top level at once, and expanding a folder inserts only its shown rows.
// A marker click, a double click on a folder row, Right/Left on a name cell and +/- expand and
// collapse. Expanded folders are remembered by path, so they stay open after a sort or a new
// run of the same comparison. A one-level result has no row map at all.
class FolderTreeController : public QObject {
    Q_OBJECT
public:
    explicit FolderTreeController(ResultGridView *view);

    const FolderTree &tree() const { return m_tree; }
    // Expands or collapses the folder in gridRow; nothing for a row without contents.
    void setExpanded(int gridRow, bool on);
    void toggle(int gridRow);
    // Expands every folder that gridRow lies in.
    void reveal(int gridRow);

    // Pixels of indentation per level, and the marker's square in a cell of `cell`.
    static constexpr int Indent = 12;
    static QRect markerRect(const QRect &cell, int depth);

private:
    std::optional<std::vector<int>> rebuild();
    QString folderKey(int gridRow) const;
    bool onMouse(QEvent *event);
    bool onKey(QEvent *event);

    ResultGridView *m_view;
    FolderTree m_tree;
    QSet<QString> m_expandedPaths;
};
