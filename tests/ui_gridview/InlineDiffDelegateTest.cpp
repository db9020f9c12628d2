#include "mainwindow/InlineDiffDelegate.h"
#include "engine/Workspace.h"
#include "engine/ui/ColourConversion.h"
#include "mainwindow/ResultGridModel.h"
#include "mainwindow/ResultGridView.h"

#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

// The text grid with an equal pair (row 1) and a changed pair (row 2) whose texts differ only
// after a common start.
class InlineDiffDelegateTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResultGrid &g = ws.fg;
        g.setRows(3);
        for (int r = 1; r < 3; ++r) {
            g.setNumber(r, 0, r);
            g.setNumber(r, 2, r);
        }
        g.setText(1, 1, Common + "same");
        g.setText(1, 3, Common + "same");
        g.setText(2, 1, Common + "left");
        g.setText(2, 3, Common + "right");
        for (int c = 0; c < 4; ++c)
            g.setBackColor(2, c, ws.txtState[0]);
        view = std::make_unique<ResultGridView>(&g);
        view->setItemDelegate(new InlineDiffDelegate(ws, view.get()));
        view->resize(700, 200);
        view->setColumnWidth(1, 300);
        view->setColumnWidth(3, 300);
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    }

    // The columns (viewport x) of a cell where the stronger shade of the changed colour is the
    // background: most of the column, not a pixel of a glyph's smoothed edge that happens to
    // mix to the same colour.
    std::pair<int, int> shadedColumns(int gridRow, int col) {
        const QImage image = view->viewport()->grab().toImage();
        const QRect cell = view->visualRect(view->gridModel()->index(gridRow - 1, col));
        const QColor shade = toQColor(strongerShade(ws.txtState[0]));
        int first = -1, last = -1;
        for (int x = cell.left(); x <= cell.right(); ++x) {
            int shaded = 0;
            for (int y = cell.top(); y <= cell.bottom(); ++y)
                shaded += image.pixelColor(x, y) == shade;
            if (shaded >= cell.height() / 2) {
                if (first < 0)
                    first = x;
                last = x;
            }
        }
        return {first, last};
    }

    const QString Common = QStringLiteral("common start of both ");
    Workspace ws;
    std::unique_ptr<ResultGridView> view;
};

} // namespace

TEST_F(InlineDiffDelegateTest, TheDifferingCharactersOfAChangedPairStandOut) {
    ws.inlineDiff = true;
    view->viewport()->update();
    const QRect left = view->visualRect(view->gridModel()->index(1, 1));
    const int commonWidth = view->fontMetrics().horizontalAdvance(Common);
    for (int col : {1, 3}) {
        const auto [first, last] = shadedColumns(2, col);
        SCOPED_TRACE(col);
        ASSERT_GE(first, 0);
        // Past the common start, and no wider than the differing word.
        const int cellLeft = view->visualRect(view->gridModel()->index(1, col)).left();
        EXPECT_GE(first, cellLeft + commonWidth);
        EXPECT_LE(last - first, view->fontMetrics().horizontalAdvance(QStringLiteral("right")) + 2);
    }
    EXPECT_EQ(shadedColumns(1, 1).first, -1); // an equal pair
    EXPECT_EQ(shadedColumns(2, 0).first, -1); // line numbers
    EXPECT_GT(left.width(), 0);
}

TEST_F(InlineDiffDelegateTest, TheTextStandsWhereTheGridPutsItWithoutMarks) {
    ws.inlineDiff = false;
    const QImage plain = view->viewport()->grab().toImage();
    EXPECT_EQ(shadedColumns(2, 1).first, -1);
    ws.inlineDiff = true;
    const QImage marked = view->viewport()->grab().toImage();
    const int firstShaded = shadedColumns(2, 1).first;
    ASSERT_GT(firstShaded, 0);
    // Left of the marks, the common start is drawn pixel for pixel as the plain grid draws it.
    const QRect cell = view->visualRect(view->gridModel()->index(1, 1));
    int differing = 0;
    for (int x = cell.left(); x < firstShaded; ++x) {
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            differing += plain.pixel(x, y) != marked.pixel(x, y);
    }
    EXPECT_EQ(differing, 0);
}

TEST_F(InlineDiffDelegateTest, NewContentsAreDiffedAfresh) {
    ws.inlineDiff = true;
    const int before = shadedColumns(2, 3).first;
    ws.fg.setText(2, 3, QStringLiteral("right ") + Common + "left");
    const int after = shadedColumns(2, 3).first;
    ASSERT_GE(after, 0);
    EXPECT_LT(after, before); // the change now starts the line
}
