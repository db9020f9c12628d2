#pragma once

#include "engine/Workspace.h"

#include <array>

#include <QFont>

class QWidget;
class ResultGridView;

// The grid views of the main area over the workspace's grids fg, fgB and fgF, stacked in one
// place with the workbook view: only the view in front is shown and enabled.
class ResultViewStack {
public:
    ResultViewStack(Workspace &ws, QWidget *parent);
    // The views hold models over the workspace's grids: they go before the workspace.
    ~ResultViewStack();
    ResultViewStack(const ResultViewStack &) = delete;
    ResultViewStack &operator=(const ResultViewStack &) = delete;

    // The view of a grid (null for the workbook view), and the view whose grid is enabled.
    ResultGridView *view(ResultView which) const;
    ResultGridView *activeView() const;
    const std::array<ResultGridView *, 3> &views() const { return m_views; }

    // Shows and enables only the view in front; sheetView is the workbook view's widget.
    void bringToFront(ResultView which, QWidget *sheetView);
    void setFont(const QFont &font);
    // The grids' font in another size (9 points for a size that is not one); returns it.
    QFont setFontSize(int points);

private:
    std::array<ResultGridView *, 3> m_views{};
};
