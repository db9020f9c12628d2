#pragma once

#include "engine/ResultGrid.h"

#include <QImage>
#include <QWidget>

#include <array>
#include <vector>

class QPainter;
class QScrollBar;

// The diff overview bar pic(0): a narrow picture of the whole result, one rail per side with a
// segment for every run of changed, added or deleted rows, and the vertical scroll bar `vs`
// between the rails that scrolls the result grid. The picture is drawn into a retained image
// and shown with one refresh.
class DiffOverviewBar : public QWidget {
    Q_OBJECT
public:
    explicit DiffOverviewBar(QWidget *parent = nullptr);

    QScrollBar *vs() const { return m_vs; }

    // Draws the bar for `grid` and configures the scroll bar. A null grid (workbook view)
    // keeps the previous picture. `firstDataRow` is 1 for the text and folder grids, 2 for the
    // binary grid; `pageRows` is the number of rows the grid's view shows; runs are drawn only
    // when `drawRuns` (both path boxes hold a path). The folder grid takes a row's colour from
    // the first of its columns 0-3 that carries a legend colour.
    // `shownRows`, when given, are the grid rows the view shows (ascending; a folder tree with
    // closed folders): the bar then pictures and scrolls through those rows only, in that order.
    void sDiffbarPrint(const ResultGrid *grid, const std::array<Color, 3> &legend,
                       bool isFolderGrid, int firstDataRow, int pageRows, bool drawRuns,
                       const std::vector<int> *shownRows = nullptr);

    // Blanks the picture (the Clear command) and sets the scroll bar's maximum to 1.
    void clearPicture();

    // Scroll bar from grid: value = top row (row mode), or top row * 10000 / (rows - 1) in
    // scaled mode (more than 32767 rows). Does not send topRowRequested.
    void g_vs_Change(const ResultGrid *grid, int topRow);

    // Grid from scroll bar: the top row that a scroll bar value stands for (counted in shown
    // rows when the bar was drawn with shownRows).
    int topRowForValue(int value, int gridRows) const;

    // The retained picture, in device-independent pixels.
    const QImage &picture() const { return m_picture; }

    // Pixel geometry of the drawing (device-independent pixels).
    static constexpr int Side1X = 7;
    static constexpr int Side2X = 33;
    static constexpr int DrawMargin = 18;
    static constexpr int ClickMargin = 17;
    // Width of the two rails; they stay clear of the scroll bar between them (x 12 to 27).
    static constexpr int RailWidth = 5;
    // A run shorter than this is drawn this high, so that one changed row among a million shows;
    // one pixel, so that scattered changes leave the unchanged share of a long file visible.
    static constexpr int MinSegmentHeight = 1;
    // Above this many rows the 16-bit scroll bar runs in scaled mode (value 0 to ScaledMax).
    static constexpr int RowModeLimit = 32767;
    static constexpr int ScaledMax = 10000;

    // Twips to pixels on this widget's screen.
    int twipsToPixels(int twips) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    // The user moved the scroll bar, clicked the bar or turned the wheel over it: the grid
    // should show this row on top (vs_Change).
    void topRowRequested(int gridRow);
    // Right button on the bar: the View menu as a pop-up.
    void contextMenuRequested(const QPoint &globalPos);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // A pixel x position of the drawing on this widget's screen.
    int railX(int x) const;
    void blankPicture();
    void fillRail(QPainter &painter, int x, double y1, double y2, Color color);
    void drawRun(QPainter &painter, Color runColor, double y1, double y2,
                 const std::array<Color, 3> &legend);
    // Sets the scroll bar without sending topRowRequested.
    void setRangeQuietly(int min, int max);
    // A value chosen by the user (click, wheel): set it and let the grid follow.
    void moveByUser(int value);
    void stepWheel(int angleDelta);
    void onValueChanged(int value);

    // Positions on the bar against grid rows: the same without shown rows; with them, the
    // data rows count from firstDataRow through the rows shown.
    bool isMapped(const ResultGrid *grid) const { return grid && grid == m_mappedGrid; }
    int gridRowAt(int position) const;
    int positionOf(int gridRow) const;
    int positions(const ResultGrid *grid) const;

    QScrollBar *m_vs;
    const ResultGrid *m_mappedGrid = nullptr;
    std::vector<int> m_shown;
    int m_firstDataRow = 1;
    QImage m_picture;
    int m_gridRows = 0; // rows of the grid the scroll bar was set up for
    bool m_settingScrollBar = false;
};
