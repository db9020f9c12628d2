#include "mainwindow/FolderTreeController.h"

#include "mainwindow/EventHook.h"
#include "mainwindow/FolderTreeDelegate.h"
#include "mainwindow/ResultGridModel.h"
#include "mainwindow/ResultGridView.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>

namespace {

bool isNameColumn(int col) {
    return col == 0 || col == 4;
}

} // namespace

FolderTreeController::FolderTreeController(ResultGridView *view) : QObject(view), m_view(view) {
    ResultGridModel *model = view->gridModel();
    for (const int col : {0, 4})
        view->setItemDelegateForColumn(col, new FolderTreeDelegate(*this, model, view));
    model->revealRow = [this](int gridRow) { reveal(gridRow); };
    model->setRowMapSource([this] { return rebuild(); });
    view->installEventFilter(new EventHook(this, [this](QEvent *e) { return onKey(e); }));
    view->viewport()->installEventFilter(
        new EventHook(this, [this](QEvent *e) { return onMouse(e); }));
}

namespace {

int markerSide(const QRect &cell) {
    return std::min(cell.height(), FolderTreeController::Indent);
}

} // namespace

int FolderTreeController::indentStep(const QRect &cell, int depth, int nameWidth) {
    if (depth <= 0)
        return Indent;
    // The name starts 2 px after the marker, which starts 2 px into the cell.
    const int room = cell.width() - 4 - markerSide(cell) - nameWidth;
    return std::clamp(room / depth, MinIndent, Indent);
}

int FolderTreeController::cellWidthFor(int depth, int nameWidth) {
    // As the delegate places them: 2 px, the levels, the marker, 2 px, the name, and 2 px
    // to spare so that rounding never cuts its last letter.
    return 2 + depth * Indent + Indent + 2 + nameWidth + 2;
}

QRect FolderTreeController::markerRect(const QRect &cell, int depth, int step) {
    const int side = markerSide(cell);
    return QRect(cell.left() + 2 + depth * step, cell.center().y() - side / 2 + 1, side, side);
}

QRect FolderTreeController::markerRectAt(const QModelIndex &index) const {
    const int r = m_view->gridModel()->gridRow(index.row());
    const int depth = m_tree.depth(r);
    const QRect cell = m_view->visualRect(index);
    const QString name = entryNameOf(m_view->grid()->text(r, index.column())).toString();
    const int step = indentStep(cell, depth, m_view->fontMetrics().horizontalAdvance(name));
    return markerRect(cell, depth, step);
}

QString FolderTreeController::folderKey(int gridRow) const {
    const ResultGrid *g = m_view->grid();
    return g->text(gridRow, g->isEmpty(gridRow, 0) ? 4 : 0);
}

std::optional<std::vector<int>> FolderTreeController::rebuild() {
    m_tree = FolderTree(); // the old tree goes before the new one is made
    m_tree = FolderTree(*m_view->grid());
    if (!m_tree.isTree()) {
        m_tree = FolderTree(); // a one-level result keeps nothing beside the grid
        return std::nullopt;
    }
    if (!m_expandedPaths.isEmpty()) {
        for (int r = m_tree.firstRow(); r < m_tree.rows(); ++r) {
            if (m_tree.hasChildren(r) && m_expandedPaths.contains(folderKey(r)))
                m_tree.setExpanded(r, true);
        }
    }
    return m_tree.shownRows();
}

void FolderTreeController::setExpanded(int gridRow, bool on) {
    ResultGridModel *model = m_view->gridModel();
    if (!model->hasRowMap() || gridRow < m_tree.firstRow() || gridRow >= m_tree.rows() ||
        !m_tree.hasChildren(gridRow) || m_tree.isExpanded(gridRow) == on)
        return;
    m_tree.setExpanded(gridRow, on);
    if (on)
        m_expandedPaths.insert(folderKey(gridRow));
    else
        m_expandedPaths.remove(folderKey(gridRow));
    const int at = model->modelRow(gridRow);
    if (at < 0)
        return; // inside a collapsed folder: shown when that one opens
    if (on) {
        model->showRows(at + 1, m_tree.shownInside(gridRow));
        return;
    }
    ResultGrid *g = m_view->grid();
    const int current = g->row();
    const int end = m_tree.end(gridRow);
    const int last = model->shownModelRowAtOrBefore(end - 1);
    model->hideRows(at + 1, last - at);
    // The current row, hidden with the folder's contents, moves to the folder.
    if (current > gridRow && current < end)
        m_view->setCurrentCell(gridRow, g->col());
}

void FolderTreeController::toggle(int gridRow) {
    if (gridRow >= m_tree.firstRow() && gridRow < m_tree.rows())
        setExpanded(gridRow, !m_tree.isExpanded(gridRow));
}

void FolderTreeController::reveal(int gridRow) {
    if (gridRow < m_tree.firstRow() || gridRow >= m_tree.rows())
        return;
    std::vector<int> folders;
    for (int p = m_tree.parent(gridRow); p >= 0; p = m_tree.parent(p))
        folders.push_back(p);
    // Outermost first, so each folder's rows are inserted once.
    for (auto p = folders.rbegin(); p != folders.rend(); ++p)
        setExpanded(*p, true);
}

bool FolderTreeController::isTree() const {
    return m_view->gridModel()->hasRowMap();
}

void FolderTreeController::setAllExpanded(bool on) {
    ResultGridModel *model = m_view->gridModel();
    if (!model->hasRowMap())
        return;
    ResultGrid *g = m_view->grid();
    int current = g->row();
    const int col = g->col();
    m_expandedPaths.clear();
    for (int r = m_tree.firstRow(); r < m_tree.rows(); ++r) {
        if (!m_tree.hasChildren(r))
            continue;
        m_tree.setExpanded(r, on);
        if (on)
            m_expandedPaths.insert(folderKey(r));
    }
    if (!on && current >= m_tree.firstRow() && current < m_tree.rows()) {
        while (m_tree.parent(current) >= 0)
            current = m_tree.parent(current);
    }
    model->replaceShownRows(m_tree.shownRows());
    if (current >= m_tree.firstRow() && current < m_tree.rows()) {
        m_view->setCurrentCell(current, col);
        m_view->scrollTo(model->index(model->modelRow(current), col));
    }
}

bool FolderTreeController::onMouse(QEvent *event) {
    const bool press = event->type() == QEvent::MouseButtonPress;
    const bool doubleClick = event->type() == QEvent::MouseButtonDblClick;
    // The type first: the viewport still sends events while the view is being destroyed.
    if ((!press && !doubleClick) || !m_view->gridModel()->hasRowMap())
        return false;
    auto *mouse = static_cast<QMouseEvent *>(event);
    if (mouse->button() != Qt::LeftButton)
        return false;
    const QPoint pos = mouse->position().toPoint();
    const QModelIndex index = m_view->indexAt(pos);
    if (!index.isValid())
        return false;
    const int r = m_view->gridModel()->gridRow(index.row());
    if (!m_tree.hasChildren(r))
        return false;
    const bool onMarker = isNameColumn(index.column()) &&
                          !m_view->grid()->isEmpty(r, index.column()) &&
                          markerRectAt(index).contains(pos);
    // A double click on a folder row opens or closes it instead of comparing the pair; on
    // the marker its second press is the second toggle of a quick double click.
    if (onMarker || doubleClick) {
        toggle(r);
        return true;
    }
    return false;
}

bool FolderTreeController::onKey(QEvent *event) {
    if (event->type() != QEvent::KeyPress || !m_view->gridModel()->hasRowMap())
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    // '*' takes Shift on many keyboards, and both keys may come from the keypad.
    const Qt::KeyboardModifiers allMods = key->modifiers() & ~Qt::KeypadModifier;
    if ((key->key() == Qt::Key_Asterisk || key->key() == Qt::Key_Slash) &&
        (allMods == Qt::NoModifier || allMods == Qt::ShiftModifier)) {
        setAllExpanded(key->key() == Qt::Key_Asterisk);
        return true;
    }
    const ResultGrid *g = m_view->grid();
    const int r = g->row();
    if (r < m_tree.firstRow() || r >= m_tree.rows() || !m_tree.hasChildren(r))
        return false;
    // "+" takes Shift on many keyboards; Shift with an arrow extends the selection.
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    const bool plain = mods == Qt::NoModifier;
    const bool expanded = m_tree.isExpanded(r);
    switch (key->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Minus:
        if (!plain && mods != Qt::ShiftModifier)
            return false;
        setExpanded(r, key->key() == Qt::Key_Plus);
        return true;
    case Qt::Key_Right:
        if (!plain || !isNameColumn(g->col()) || expanded)
            return false;
        setExpanded(r, true);
        return true;
    case Qt::Key_Left:
        if (!plain || !isNameColumn(g->col()) || !expanded)
            return false;
        setExpanded(r, false);
        return true;
    default:
        return false;
    }
}
