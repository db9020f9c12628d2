#pragma once

#include "folder/FolderTree.h"

#include <QObject>
#include <QSet>
#include <QString>

class QEvent;
class QModelIndex;
class QRect;
class ResultGridView;

// Shows the folder grid of a comparison through every level as a tree: only the rows of
// expanded folders are in the view (through the model's row map; the grid keeps every row in
// tree order), and the name columns show each entry's own name, indented by its depth, with a
// marker on folders that hold entries. Folders start collapsed, so a result of a million
// entries shows its top level at once, and expanding a folder inserts only its shown rows.
// A marker click, a double click on a folder row, Right/Left on a name cell and +/- expand and
// collapse; '*' and '/' expand and collapse every folder. Expanded folders are remembered by path,
// so they stay open after a sort or a new run of the same comparison. A one-level result has no row
// map at all.
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
    // Expands or collapses every folder at once ('*' and '/'); the current entry stays
    // current, or its top-level folder when it is hidden.
    void setAllExpanded(bool on);
    bool isTree() const;

    // Pixels of indentation per level, and the fewest a level keeps when a name is too long.
    static constexpr int Indent = 12;
    static constexpr int MinIndent = 3;
    // The indentation per level in a name cell `cell` of a row at `depth` whose name is
    // nameWidth pixels wide: shrunk towards MinIndent as far as the name needs to show whole.
    static int indentStep(const QRect &cell, int depth, int nameWidth);
    // The width a name cell needs to show a name nameWidth pixels wide whole at `depth`,
    // with the full indentation.
    static int cellWidthFor(int depth, int nameWidth);
    // The marker's square in that cell, with that step: where it is drawn and clicked.
    static QRect markerRect(const QRect &cell, int depth, int step = Indent);

private:
    std::optional<std::vector<int>> rebuild();
    QString folderKey(int gridRow) const;
    QRect markerRectAt(const QModelIndex &index) const;
    bool onMouse(QEvent *event);
    bool onKey(QEvent *event);

    ResultGridView *m_view;
    FolderTree m_tree;
    QSet<QString> m_expandedPaths;
};
