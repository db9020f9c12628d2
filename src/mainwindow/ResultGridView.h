#pragma once

#include "engine/ResultGrid.h"

#include <QStringList>
#include <QTableView>

class QTimer;
class ResultGridModel;

// The view of one result grid (fg, fgB or fgF): a QTableView over a ResultGridModel with the
// grid behaviour the main window relies on. Rows and columns in this interface are grid
// coordinates (the fixed header rows count: the first data row of the text grid is 1).
class ResultGridView : public QTableView {
    Q_OBJECT
public:
    explicit ResultGridView(ResultGrid *grid, QWidget *parent = nullptr);

    ResultGrid *grid() const;
    ResultGridModel *gridModel() const { return m_model; }

    // The cell under the mouse pointer (grid coordinates; -1 when outside the cells).
    int MouseRow() const { return m_mouseRow; }
    int MouseCol() const { return m_mouseCol; }

    // The current cell, kept in step with the grid's row() and col().
    void setCurrentCell(int gridRow, int col);

    // The selected rectangle's texts: columns separated by Tab, rows by CR.
    QString selectionText() const;
    // Puts selectionText() on the clipboard.
    void copySelection();
    // The current column over all data rows.
    void selectCurrentColumn();
    // Every data row; the folder grid up to column 7, the others up to the last column.
    void selectAllCells(bool folderGrid);

    // Top visible row, and the number of rows a page shows.
    int topRow() const;
    void setTopRow(int gridRow);
    int visibleRows() const;
    // Wrap mode: the rows on screen grow to show their texts whole (soon after a change of the
    // contents, the scroll position, the size, the font or a column's width).
    void fitWrappedRows();
    // After the grid's wrap mode changed: rows back to the standard height, or fitted.
    void applyRowHeights();

    // A grid has no type-ahead search: on a million rows it would walk the whole model.
    void keyboardSearch(const QString &search) override;

Q_SIGNALS:
    // The view scrolled (wheel, keys, its own scroll bar, setTopRow): g_vs_Change.
    void topRowChanged(int gridRow);
    // Double-click, or Enter: the row under the mouse pointer decides.
    void activatedAt(int mouseRow);
    // Ctrl+V.
    void pasteRequested();
    // Context-menu key released, or right button released (after the selection rule).
    void contextMenuRequested(const QPoint &globalPos);
    // F2 released.
    void viewerRequested();
    // Local files dropped onto the grid; the column under the drop point decides the side.
    void filesDropped(const QStringList &paths, int mouseCol);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void trackMouse(const QPoint &pos);
    // The selected rectangle in model coordinates (the current cell when nothing is selected);
    // false when there is no current cell either.
    bool selectedRect(int &top, int &left, int &bottom, int &right) const;
    // Current cell and selection without scrolling the view, as the grid's Row/RowSel do.
    void selectRect(int top, int left, int bottom, int right);
    void fitRowsOnScreen();
    void followGridTopRow(int gridRow);
    void followGridAfterReset();

    ResultGridModel *m_model;
    int m_mouseRow = -1;
    int m_mouseCol = -1;
    QString m_lastTooltip;
    int m_wheelRemainder = 0;     // part of a wheel step not yet scrolled (fine-grained wheels)
    bool m_rowHeightsSet = false; // rows carry their own heights (wrap mode)
    QTimer *m_fitTimer;           // coalesces the fitting of wrapped rows
};
