#include "mainwindow/FolderTreeDelegate.h"

#include "mainwindow/FolderTreeController.h"
#include "mainwindow/ResultGridModel.h"

#include <QApplication>
#include <QPainter>

FolderTreeDelegate::FolderTreeDelegate(const FolderTreeController &tree,
                                       const ResultGridModel *model, QObject *parent)
    : QStyledItemDelegate(parent), m_tree(tree), m_model(model) {}

void FolderTreeDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                               const QModelIndex &index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    if (!m_model->hasRowMap() || opt.text.isEmpty()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const FolderTree &tree = m_tree.tree();
    const int r = m_model->gridRow(index.row());
    const int depth = tree.depth(r);
    const QString name = entryNameOf(opt.text).toString();
    const QWidget *widget = opt.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();

    // Background, selection and focus as the style paints a cell, then marker and name.
    opt.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    // A name too long for its cell takes room from the indentation before it is cut short.
    const int step =
        FolderTreeController::indentStep(opt.rect, depth, opt.fontMetrics.horizontalAdvance(name));
    const QRect marker = FolderTreeController::markerRect(opt.rect, depth, step);
    if (tree.hasChildren(r)) {
        QStyleOption arrow;
        arrow.initFrom(widget);
        arrow.rect = marker.adjusted(2, 2, -2, -2);
        arrow.palette = opt.palette;
        const bool selected = opt.state & QStyle::State_Selected;
        arrow.palette.setColor(
            QPalette::ButtonText,
            opt.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        style->drawPrimitive(tree.isExpanded(r) ? QStyle::PE_IndicatorArrowDown
                                                : QStyle::PE_IndicatorArrowRight,
                             &arrow, painter, widget);
    }
    QRect text = opt.rect;
    text.setLeft(marker.right() + 3);
    if (text.width() <= 0)
        return;
    painter->save();
    painter->setFont(opt.font);
    painter->setPen(opt.palette.color(opt.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                         : QPalette::Text));
    painter->drawText(text, int(Qt::AlignLeft | Qt::AlignVCenter),
                      opt.fontMetrics.elidedText(name, Qt::ElideRight, text.width()));
    painter->restore();
}
