#pragma once

#include <QStyledItemDelegate>

class FolderTreeController;
class ResultGridModel;

// Paints a name cell of the folder grid shown as a tree: the entry's own name, indented by its
// depth, after an arrow marker on a folder that holds entries (pointing down when expanded).
// The cell keeps its relative path as text, for the commands, the exports and the tooltip.
class FolderTreeDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    FolderTreeDelegate(const FolderTreeController &tree, const ResultGridModel *model,
                       QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

private:
    const FolderTreeController &m_tree;
    const ResultGridModel *m_model;
};
