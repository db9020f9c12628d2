#include "mainwindow/InlineDiffDelegate.h"

#include "engine/Workspace.h"
#include "engine/ui/ColourConversion.h"

#include <QApplication>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>

InlineDiffDelegate::InlineDiffDelegate(const Workspace &ws, QObject *parent)
    : QStyledItemDelegate(parent), m_ws(ws) {
    connect(&ws.fg, &ResultGrid::contentsChanged, this, [this] { m_cache.clear(); });
}

const QList<CharSpan> *InlineDiffDelegate::marksFor(const QModelIndex &index) const {
    const int c = index.column();
    if (!m_ws.inlineDiff || (c != 1 && c != 3))
        return nullptr;
    const ResultGrid &grid = m_ws.fg;
    const int r = index.row() + grid.fixedRows();
    if (!isChangedPair(grid, r, m_ws.txtState[0]))
        return nullptr;
    const LineFolding folding = m_ws.textFolding();
    if (!(folding == m_cachedFolding)) {
        m_cache.clear();
        m_cachedFolding = folding;
    }
    const LineMarks &marks = m_cache.marks(grid, r, folding);
    const QList<CharSpan> &spans = c == 1 ? marks.left : marks.right;
    return spans.isEmpty() ? nullptr : &spans;
}

void InlineDiffDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                               const QModelIndex &index) const {
    const QList<CharSpan> *spans = marksFor(index);
    QStyleOptionViewItem opt = option;
    if (spans)
        initStyleOption(&opt, index);
    // A selected cell shows the selection colours alone.
    if (!spans || (opt.state & QStyle::State_Selected)) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const QWidget *widget = opt.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();

    // The background and focus as the style paints them, then the text with its marks, laid
    // out as the style lays out item texts (margins, elision, wrapping, alignment).
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget)
                               .adjusted(margin, 0, -margin, 0);
    QString text = opt.text;
    opt.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    const bool wrap = opt.features & QStyleOptionViewItem::WrapText;
    qsizetype kept = text.size();
    // Measuring shapes the whole text once more: only for a text that might not fit.
    const bool mightNotFit = text.size() * opt.fontMetrics.maxWidth() > textRect.width() ||
                             text.contains(QLatin1Char('\t'));
    if (!wrap && mightNotFit && opt.fontMetrics.horizontalAdvance(text) > textRect.width()) {
        text = opt.fontMetrics.elidedText(text, opt.textElideMode, textRect.width());
        kept = text.endsWith(QChar(0x2026)) ? text.size() - 1 : text.size();
    }
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);

    const QColor rowColour = index.data(Qt::BackgroundRole).value<QColor>();
    const QColor shade = toQColor(strongerShade(fromQColor(rowColour)));
    QList<QTextLayout::FormatRange> ranges;
    for (const CharSpan &span : *spans) {
        if (span.start >= kept)
            break;
        QTextLayout::FormatRange range;
        range.start = span.start;
        range.length = int(std::min<qsizetype>(span.length, kept - span.start));
        range.format.setBackground(shade);
        ranges.append(range);
    }

    QTextOption textOption;
    textOption.setWrapMode(wrap ? QTextOption::WordWrap : QTextOption::ManualWrap);
    textOption.setTextDirection(opt.direction);
    textOption.setAlignment(QStyle::visualAlignment(opt.direction, opt.displayAlignment));
    QTextLayout layout(text, opt.font);
    layout.setTextOption(textOption);
    layout.setFormats(ranges);
    qreal height = 0, widthUsed = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(textRect.width());
        line.setPosition(QPointF(0, height));
        height += line.height();
        widthUsed = std::max(widthUsed, line.naturalTextWidth());
    }
    layout.endLayout();
    // Placed in whole pixels, as the style places item texts, so the glyphs stand where they
    // stand without marks.
    const QPoint topLeft = QStyle::alignedRect(opt.direction, opt.displayAlignment,
                                               QSizeF(widthUsed, height).toSize(), textRect)
                               .topLeft();
    painter->save();
    painter->setClipRect(textRect, Qt::IntersectClip);
    const QPalette::ColorGroup group = !(opt.state & QStyle::State_Enabled) ? QPalette::Disabled
                                       : (opt.state & QStyle::State_Active) ? QPalette::Normal
                                                                            : QPalette::Inactive;
    painter->setPen(opt.palette.color(group, QPalette::Text));
    layout.draw(painter, topLeft);
    painter->restore();
}
