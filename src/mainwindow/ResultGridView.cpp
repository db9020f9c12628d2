#include "mainwindow/ResultGridView.h"

#include "mainwindow/TooltipText.h"

#include "mainwindow/ResultGridModel.h"
#include "platform/FileUrl.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>

#include <algorithm>
#include <climits>

namespace {

constexpr int WheelStep = 120; // angleDelta of one notch
constexpr int RowsPerWheelStep = 3;

QStringList localFiles(const QMimeData *mime) {
    QStringList paths;
    if (!mime || !mime->hasUrls())
        return paths;
    for (const QUrl &url : mime->urls()) {
        if (url.isLocalFile())
            paths << localPathOf(url);
    }
    return paths;
}

} // namespace

ResultGridView::ResultGridView(ResultGrid *grid, QWidget *parent)
    : QTableView(parent), m_model(new ResultGridModel(grid, this)) {
    setModel(m_model);

    // Uniform fixed rows keep the header free of per-row work, whatever the row count.
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    setVerticalScrollMode(ScrollPerItem);
    setHorizontalScrollMode(ScrollPerPixel);

    // One rectangle of cells from the anchor to the current cell, never a set of pieces.
    setSelectionMode(ContiguousSelection);
    setSelectionBehavior(SelectItems);
    setEditTriggers(NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(grid->wordWrap());
    setMouseTracking(true);
    // Files only: the cells themselves are never dragged or dropped.
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    // The right button and the menu key are handled here; no second menu from the parents.
    setContextMenuPolicy(Qt::PreventContextMenu);
    viewport()->setContextMenuPolicy(Qt::PreventContextMenu);

    m_fitTimer = new QTimer(this);
    m_fitTimer->setSingleShot(true);
    m_fitTimer->setInterval(0);
    connect(m_fitTimer, &QTimer::timeout, this, &ResultGridView::fitRowsOnScreen);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this,
            &ResultGridView::fitWrappedRows);

    connect(grid, &ResultGrid::topRowChanged, this, &ResultGridView::followGridTopRow);
    connect(m_model, &QAbstractItemModel::modelReset, this, &ResultGridView::followGridAfterReset);
}

ResultGrid *ResultGridView::grid() const {
    return m_model->grid();
}

void ResultGridView::keyboardSearch(const QString &) {}

// --- current cell and selection ---------------------------------------------------------

void ResultGridView::setCurrentCell(int gridRow, int col) {
    ResultGrid *g = grid();
    // A row inside a collapsed folder is shown first.
    if (m_model->hasRowMap() && m_model->modelRow(gridRow) < 0 && m_model->revealRow)
        m_model->revealRow(gridRow);
    const QModelIndex index = m_model->index(m_model->modelRow(gridRow), col);
    if (index.isValid())
        setCurrentIndex(index); // makes it the only selected cell
    g->setRow(gridRow);
    g->setCol(col);
}

void ResultGridView::currentChanged(const QModelIndex &current, const QModelIndex &previous) {
    QTableView::currentChanged(current, previous);
    if (!current.isValid())
        return;
    grid()->setRow(m_model->gridRow(current.row()));
    grid()->setCol(current.column());
}

bool ResultGridView::selectedRect(int &top, int &left, int &bottom, int &right) const {
    const QItemSelection selection = selectionModel()->selection();
    if (selection.isEmpty()) {
        const QModelIndex current = currentIndex();
        if (!current.isValid())
            return false;
        top = bottom = current.row();
        left = right = current.column();
        return true;
    }
    // Contiguous selection gives one range; the bounding box covers any odd case.
    top = left = INT_MAX;
    bottom = right = -1;
    for (const QItemSelectionRange &range : selection) {
        top = std::min(top, range.top());
        left = std::min(left, range.left());
        bottom = std::max(bottom, range.bottom());
        right = std::max(right, range.right());
    }
    return true;
}

void ResultGridView::selectRect(int top, int left, int bottom, int right) {
    const QModelIndex first = m_model->index(top, left);
    const QModelIndex last = m_model->index(bottom, right);
    if (!first.isValid() || !last.isValid())
        return;
    // Selecting moves the current row but leaves the top row alone, as the grid does.
    const bool scroll = hasAutoScroll();
    setAutoScroll(false);
    selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
    selectionModel()->select(QItemSelection(first, last), QItemSelectionModel::ClearAndSelect);
    setAutoScroll(scroll);
}

QString ResultGridView::selectionText() const {
    int top, left, bottom, right;
    if (!selectedRect(top, left, bottom, right))
        return QString();
    const ResultGrid *g = grid();
    QString text;
    for (int r = top; r <= bottom; ++r) {
        if (r > top)
            text += QLatin1Char('\r');
        const int gr = m_model->gridRow(r);
        for (int c = left; c <= right; ++c) {
            if (c > left)
                text += QLatin1Char('\t');
            ResultGrid::TextBuffer digits;
            text += g->textView(gr, c, digits);
        }
    }
    return text;
}

void ResultGridView::copySelection() {
    QApplication::clipboard()->setText(selectionText());
}

void ResultGridView::selectCurrentColumn() {
    const int rows = m_model->rowCount();
    int col = currentIndex().isValid() ? currentIndex().column() : grid()->col();
    if (rows == 0 || col < 0 || col >= m_model->columnCount())
        return;
    selectRect(0, col, rows - 1, col);
}

void ResultGridView::selectAllCells(bool folderGrid) {
    const int rows = m_model->rowCount();
    const int cols = m_model->columnCount();
    if (rows == 0 || cols == 0)
        return;
    // The folder grid's last two columns are hidden data, never part of a selection.
    const int right = folderGrid ? std::min(7, cols - 1) : cols - 1;
    selectRect(0, 0, rows - 1, right);
}

// --- scrolling --------------------------------------------------------------------------

int ResultGridView::topRow() const {
    const int fixed = grid()->fixedRows();
    const int rows = m_model->rowCount();
    if (rows == 0)
        return fixed;
    // Rows hidden under a collapsed folder leave the scroll range as it was until the next
    // layout: a position past the rows now shown would read past the row map.
    return m_model->gridRow(std::min(verticalScrollBar()->value(), rows - 1));
}

void ResultGridView::setTopRow(int gridRow) {
    // The scroll range may still be that of the previous contents after a reset.
    executeDelayedItemsLayout();
    verticalScrollBar()->setValue(std::max(0, m_model->shownModelRowAtOrBefore(gridRow)));
}

int ResultGridView::visibleRows() const {
    const int height = verticalHeader()->defaultSectionSize();
    return height > 0 ? std::max(1, viewport()->height() / height) : 1;
}

void ResultGridView::scrollContentsBy(int dx, int dy) {
    QTableView::scrollContentsBy(dx, dy);
    if (dy == 0)
        return;
    const int top = topRow();
    // Writing back only a different value ends the round trip through the grid's signal.
    if (grid()->topRow() != top)
        grid()->setTopRow(top);
    Q_EMIT topRowChanged(top);
    fitWrappedRows();
}

void ResultGridView::followGridTopRow(int gridRow) {
    if (gridRow == topRow())
        return;
    setTopRow(gridRow);
}

void ResultGridView::followGridAfterReset() {
    const ResultGrid *g = grid();
    if (wordWrap() != g->wordWrap())
        setWordWrap(g->wordWrap());
    applyRowHeights();
    // The comparison sets the current cell and the top row on the grid itself.
    const QModelIndex index = m_model->index(m_model->modelRow(g->row()), g->col());
    if (index.isValid())
        selectRect(index.row(), index.column(), index.row(), index.column());
    if (m_model->rowCount() > 0 && g->topRow() != topRow())
        setTopRow(g->topRow());
}

void ResultGridView::applyRowHeights() {
    const ResultGrid *g = grid();
    QHeaderView *header = verticalHeader();
    if (!g->wordWrap()) {
        if (m_rowHeightsSet) {
            header->setDefaultSectionSize(header->defaultSectionSize()); // resizes every row
            m_rowHeightsSet = false;
        }
        return;
    }
    m_rowHeightsSet = true;
    fitWrappedRows();
}

void ResultGridView::fitWrappedRows() {
    if (wordWrap() && grid()->wordWrap())
        m_fitTimer->start();
}

// Only the rows on screen are measured, so a result of a million rows stays instant; rows come
// into view with their own height as the view scrolls. A row never shrinks below the standard
// height.
void ResultGridView::fitRowsOnScreen() {
    if (!wordWrap() || !grid()->wordWrap())
        return;
    QHeaderView *header = verticalHeader();
    const int rows = m_model->rowCount();
    const int standard = header->defaultSectionSize();
    const int bottom = viewport()->height();
    auto fit = [&](int r) {
        const int height = std::max(standard, sizeHintForRow(r));
        if (header->sectionSize(r) != height)
            header->resizeSection(r, height);
        return height;
    };
    int y = 0;
    for (int r = std::max(0, verticalScrollBar()->value()); r < rows && y < bottom; ++r)
        y += fit(r);
}

void ResultGridView::resizeEvent(QResizeEvent *event) {
    QTableView::resizeEvent(event);
    fitWrappedRows();
}

void ResultGridView::wheelEvent(QWheelEvent *event) {
    const int delta = event->angleDelta().y();
    if (delta == 0) {
        QTableView::wheelEvent(event);
        return;
    }
    // Three rows per notch whatever the desktop's wheel setting says.
    m_wheelRemainder += delta;
    const int steps = m_wheelRemainder / WheelStep;
    m_wheelRemainder -= steps * WheelStep;
    if (steps != 0) {
        QScrollBar *bar = verticalScrollBar();
        bar->setValue(bar->value() - steps * RowsPerWheelStep);
    }
    event->accept();
}

// --- keys -------------------------------------------------------------------------------

void ResultGridView::keyPressEvent(QKeyEvent *event) {
    const Qt::KeyboardModifiers mods =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const int key = event->key();
    if (mods == Qt::ControlModifier && key == Qt::Key_C) {
        copySelection();
    } else if (mods == Qt::ControlModifier && key == Qt::Key_V) {
        Q_EMIT pasteRequested();
    } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        // The row under the mouse decides, as for a double-click.
        Q_EMIT activatedAt(m_mouseRow);
    } else if (key == Qt::Key_Menu || key == Qt::Key_F2) {
        // Acted on when released.
    } else {
        QTableView::keyPressEvent(event);
        return;
    }
    event->accept();
}

void ResultGridView::keyReleaseEvent(QKeyEvent *event) {
    if (!event->isAutoRepeat()) {
        if (event->key() == Qt::Key_Menu) {
            Q_EMIT contextMenuRequested(QCursor::pos());
            event->accept();
            return;
        }
        if (event->key() == Qt::Key_F2) {
            Q_EMIT viewerRequested();
            event->accept();
            return;
        }
    }
    QTableView::keyReleaseEvent(event);
}

// --- mouse ------------------------------------------------------------------------------

void ResultGridView::trackMouse(const QPoint &pos) {
    const QModelIndex index = indexAt(pos);
    if (!index.isValid()) {
        m_mouseRow = m_mouseCol = -1;
        return;
    }
    m_mouseRow = m_model->gridRow(index.row());
    m_mouseCol = index.column();
    // The tooltip keeps its text: a string of its own, not one pointing into a source text.
    const QString text = grid()->text(m_mouseRow, m_mouseCol);
    if (text != m_lastTooltip) {
        setToolTip(tooltipText(text));
        m_lastTooltip = text;
    }
}

void ResultGridView::mousePressEvent(QMouseEvent *event) {
    trackMouse(event->position().toPoint());
    if (event->button() == Qt::RightButton) {
        // The selection rule runs on release; the press must not move the current cell.
        setFocus(Qt::MouseFocusReason);
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
}

void ResultGridView::mouseMoveEvent(QMouseEvent *event) {
    trackMouse(event->position().toPoint());
    QTableView::mouseMoveEvent(event);
}

void ResultGridView::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() != Qt::RightButton) {
        QTableView::mouseReleaseEvent(event);
        return;
    }
    trackMouse(event->position().toPoint());
    // Outside the cells (or on the header) the selection stays; the menu still opens.
    if (m_mouseRow >= 0 && m_mouseCol >= 0) {
        const int row = m_model->modelRow(m_mouseRow);
        int top, left, bottom, right;
        const bool inside = selectedRect(top, left, bottom, right) && row >= top && row <= bottom &&
                            m_mouseCol >= left && m_mouseCol <= right;
        if (!inside)
            setCurrentCell(m_mouseRow, m_mouseCol);
    }
    event->accept();
    Q_EMIT contextMenuRequested(event->globalPosition().toPoint());
}

void ResultGridView::mouseDoubleClickEvent(QMouseEvent *event) {
    trackMouse(event->position().toPoint());
    if (event->button() == Qt::LeftButton) {
        Q_EMIT activatedAt(m_mouseRow);
        event->accept();
        return;
    }
    QTableView::mouseDoubleClickEvent(event);
}

bool ResultGridView::viewportEvent(QEvent *event) {
    if (event->type() == QEvent::Leave)
        m_mouseRow = m_mouseCol = -1;
    return QTableView::viewportEvent(event);
}

void ResultGridView::changeEvent(QEvent *event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
        if (m_rowHeightsSet) {
            // Heights measured in the old font: every row starts again from the standard one.
            verticalHeader()->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
            applyRowHeights();
        }
    }
}

// --- dropped files ----------------------------------------------------------------------

void ResultGridView::dragEnterEvent(QDragEnterEvent *event) {
    if (localFiles(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void ResultGridView::dragMoveEvent(QDragMoveEvent *event) {
    if (localFiles(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void ResultGridView::dropEvent(QDropEvent *event) {
    const QStringList paths = localFiles(event->mimeData());
    if (paths.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    const int col = columnAt(event->position().toPoint().x());
    Q_EMIT filesDropped(paths, col);
}
