#pragma once

#include "engine/InlineMarks.h"

#include <QStyledItemDelegate>

class Workspace;

// Paints the text grid's cells; in a changed pair of lines (with the workspace's inlineDiff
// on) the differing characters of both texts stand on a stronger shade of the row's colour.
// The marks of a row are made when it is first painted and kept until the grid's contents or
// the folding options change, so scrolling a million-row result costs only the rows shown.
class InlineDiffDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    InlineDiffDelegate(const Workspace &ws, QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

private:
    // The marks of a text cell to paint, or null when it is painted as any other cell.
    const QList<CharSpan> *marksFor(const QModelIndex &index) const;

    const Workspace &m_ws;
    mutable InlineMarkCache m_cache;
    mutable LineFolding m_cachedFolding;
};
