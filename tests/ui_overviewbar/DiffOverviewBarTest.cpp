#include "mainwindow/DiffOverviewBar.h"

#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

constexpr Color Changed = 65535;
constexpr Color Added = 16744448;
constexpr Color Deleted = 16776960;
constexpr Color White = 0xFFFFFF;
constexpr Color Grey = 0x808080;
const std::array<Color, 3> Legend{Changed, Added, Deleted};

constexpr int BarHeight = 400;
constexpr int Left = DiffOverviewBar::Side1X;
constexpr int Right = DiffOverviewBar::Side2X;

Color pixelAt(const DiffOverviewBar &bar, int x, int y) {
    const QRgb p = bar.picture().pixel(x, y);
    return Color(qRed(p)) | Color(qGreen(p)) << 8 | Color(qBlue(p)) << 16;
}

// Where the bar draws grid row r.
int yOfRow(int rows, int r) {
    return int((BarHeight - 36.0) / (rows - 1) * (r - 1) + 18);
}

// Paints a text-grid row the way the comparison does: one-sided rows carry the colour of the
// side that lacks the line in columns 0-1 (right-only: deleted) and the other in columns 2-3.
void paintRow(ResultGrid &g, int r, Color left, Color right) {
    g.setBackColor(r, 0, left);
    g.setBackColor(r, 1, left);
    g.setBackColor(r, 2, right);
    g.setBackColor(r, 3, right);
}

struct Bar {
    DiffOverviewBar bar;
    Bar() { bar.resize(41, BarHeight); }
    void draw(const ResultGrid &g, bool folder = false, int first = 1, int page = 21) {
        bar.sDiffbarPrint(&g, Legend, folder, first, page, true);
    }
};

TEST(DiffOverviewBarDrawing, IdenticalResultShowsOnlyWhiteRails) {
    ResultGrid g(4, 1);
    g.setRows(1000);
    Bar b;
    b.draw(g);
    ASSERT_EQ(b.bar.picture().size(), QSize(41, BarHeight));
    for (int y = 18; y < BarHeight - 18; y += 7) {
        EXPECT_EQ(pixelAt(b.bar, Left, y), White) << y;
        EXPECT_EQ(pixelAt(b.bar, Right, y), White) << y;
    }
    EXPECT_EQ(pixelAt(b.bar, Left, 5), Grey);
    EXPECT_EQ(pixelAt(b.bar, Left, BarHeight - 5), Grey);
    EXPECT_EQ(pixelAt(b.bar, 0, BarHeight / 2), Grey);
    EXPECT_EQ(pixelAt(b.bar, 40, BarHeight / 2), Grey);
}

TEST(DiffOverviewBarDrawing, SingleChangedRowShowsAtHalfHeight) {
    ResultGrid g(4, 1);
    g.setRows(1000);
    paintRow(g, 500, Changed, Changed);
    Bar b;
    b.draw(g);
    const int y = qRound((BarHeight - 36.0) / 999 * 499 + 18); // one pixel, where the row starts
    EXPECT_NEAR(y, BarHeight / 2, 3);
    EXPECT_EQ(pixelAt(b.bar, Left, y), Changed);
    EXPECT_EQ(pixelAt(b.bar, Right, y), Changed);
    EXPECT_EQ(pixelAt(b.bar, Left, y + 1), White);
    EXPECT_EQ(pixelAt(b.bar, Left, y - 1), White);
    EXPECT_EQ(pixelAt(b.bar, Left, y - 10), White);
    EXPECT_EQ(pixelAt(b.bar, Right, y + 10), White);
    EXPECT_EQ(pixelAt(b.bar, Left, 100), White);
}

// 5,000 lines with every 33rd changed (3 %) on a 364-pixel rail: each changed line takes one
// pixel, so more than half of the rail stays white instead of the whole bar looking changed.
TEST(DiffOverviewBarDrawing, ScatteredChangesLeaveTheUnchangedShareVisible) {
    ResultGrid g(4, 1);
    g.setRows(5001);
    for (int r = 17; r < 5001; r += 33)
        paintRow(g, r, Changed, Changed);
    Bar b;
    b.draw(g);
    int coloured = 0, white = 0;
    for (int y = 18; y < BarHeight - 18; ++y)
        (pixelAt(b.bar, Left, y) == Changed ? coloured : white) += 1;
    EXPECT_GE(coloured, 145); // one pixel for nearly every one of the 151 changed lines
    EXPECT_LE(coloured, 151);
    EXPECT_GT(white, coloured);
}

TEST(DiffOverviewBarDrawing, OneSidedBlockThenChangedRowLeavesNoGap) {
    ResultGrid g(4, 1);
    g.setRows(1000);
    for (int r = 400; r < 450; ++r)
        paintRow(g, r, Deleted, Added); // lines only in file 2
    paintRow(g, 450, Changed, Changed);
    Bar b;
    b.draw(g);
    EXPECT_EQ(pixelAt(b.bar, Left, yOfRow(1000, 420)), Deleted);
    EXPECT_EQ(pixelAt(b.bar, Right, yOfRow(1000, 420)), Added);
    EXPECT_EQ(pixelAt(b.bar, Left, yOfRow(1000, 450) + 1), Changed);
    EXPECT_EQ(pixelAt(b.bar, Right, yOfRow(1000, 450) + 1), Changed);
    for (int y = yOfRow(1000, 400) + 1; y <= yOfRow(1000, 450); ++y) {
        EXPECT_NE(pixelAt(b.bar, Left, y), White) << y;
        EXPECT_NE(pixelAt(b.bar, Right, y), White) << y;
    }
    EXPECT_EQ(pixelAt(b.bar, Left, yOfRow(1000, 460)), White);
}

TEST(DiffOverviewBarDrawing, RunsAtBothEndsReachTheRailEnds) {
    ResultGrid g(4, 1);
    g.setRows(1000);
    for (int r = 1; r < 10; ++r)
        paintRow(g, r, Changed, Changed);
    for (int r = 990; r < 1000; ++r)
        paintRow(g, r, Added, Deleted);
    Bar b;
    b.draw(g);
    EXPECT_EQ(pixelAt(b.bar, Left, 18), Changed);
    EXPECT_EQ(pixelAt(b.bar, Right, 18), Changed);
    EXPECT_EQ(pixelAt(b.bar, Left, BarHeight - 19), Added);
    EXPECT_EQ(pixelAt(b.bar, Right, BarHeight - 19), Deleted);
    EXPECT_EQ(pixelAt(b.bar, Left, BarHeight - 17), Grey);

    // The binary grid's data start at row 2, below its two header rows.
    ResultGrid bin(4, 2);
    bin.setRows(1000);
    paintRow(bin, 2, Changed, Changed);
    b.draw(bin, false, 2);
    EXPECT_EQ(pixelAt(b.bar, Left, 18), Changed);
    EXPECT_EQ(pixelAt(b.bar, Left, 30), White);
}

TEST(DiffOverviewBarDrawing, FolderRowTakesFirstLegendColouredColumn) {
    ResultGrid g(10, 1);
    g.setRows(100);
    // Only-left entry: the name cell keeps a non-legend colour, the size cell is "added".
    g.setBackColor(50, 0, 0x123456);
    g.setBackColor(50, 1, Added);
    g.setBackColor(50, 2, Changed);
    Bar b;
    b.draw(g, true);
    const int y = yOfRow(100, 50) + 1;
    EXPECT_EQ(pixelAt(b.bar, Left, y), Added);
    EXPECT_EQ(pixelAt(b.bar, Right, y), Deleted);

    // The text grid looks at column 0 alone: a colour outside the legend draws nothing.
    b.draw(g, false);
    EXPECT_EQ(pixelAt(b.bar, Left, y), White);
    EXPECT_EQ(pixelAt(b.bar, Right, y), White);
}

TEST(DiffOverviewBarDrawing, DegenerateSizesKeepTheRails) {
    ResultGrid one(4, 1);
    one.setRows(1);
    Bar b;
    b.draw(one);
    EXPECT_EQ(pixelAt(b.bar, Left, 200), White);

    // A binary grid with its header rows only, and a bar too short to draw in.
    ResultGrid bin(4, 2);
    bin.setRows(2);
    b.draw(bin, false, 2);
    EXPECT_EQ(pixelAt(b.bar, Right, 200), White);
    ResultGrid g(4, 1);
    g.setRows(10);
    paintRow(g, 3, Changed, Changed);
    b.bar.resize(41, 30);
    b.draw(g);
    EXPECT_EQ(b.bar.picture().size(), QSize(41, 30));
    EXPECT_EQ(pixelAt(b.bar, Left, 15), Grey);

    // Without both paths no runs are drawn; a null grid keeps the picture.
    b.bar.resize(41, BarHeight);
    b.bar.sDiffbarPrint(&g, Legend, false, 1, 21, false);
    EXPECT_EQ(pixelAt(b.bar, Left, yOfRow(10, 3) + 1), White);
    b.draw(g);
    b.bar.sDiffbarPrint(nullptr, Legend, false, 1, 21, true);
    EXPECT_EQ(pixelAt(b.bar, Left, yOfRow(10, 3) + 1), Changed);
    b.bar.clearPicture();
    EXPECT_EQ(pixelAt(b.bar, Left, yOfRow(10, 3) + 1), White);
    EXPECT_EQ(b.bar.vs()->maximum(), 1);
}

TEST(DiffOverviewBarDrawing, RedrawAfterResizeUsesTheNewHeight) {
    ResultGrid g(4, 1);
    g.setRows(1001);
    paintRow(g, 501, Changed, Changed);
    Bar b;
    b.draw(g);
    b.bar.resize(41, 218);
    b.draw(g);
    ASSERT_EQ(b.bar.picture().size(), QSize(41, 218));
    EXPECT_EQ(pixelAt(b.bar, Left, 109), Changed);
    EXPECT_EQ(pixelAt(b.bar, Left, 120), White);
    EXPECT_EQ(pixelAt(b.bar, Left, 218 - 10), Grey);
}

TEST(DiffOverviewBarDrawing, MillionRows) {
    ResultGrid g(4, 1);
    g.setRows(1000000);
    for (int r = 1; r < 1000000; r += 1000)
        paintRow(g, r, r % 3000 == 1 ? Changed : Deleted, Added);
    Bar b;
    b.draw(g);
    EXPECT_NE(pixelAt(b.bar, Left, 18), White);
}

TEST(DiffOverviewBarScrollBar, RowModeAndScaledMode) {
    Bar b;
    QScrollBar *vs = b.bar.vs();
    ResultGrid g(4, 1);
    g.setRows(100);
    b.draw(g, false, 1, 21);
    EXPECT_EQ(vs->minimum(), 1);
    EXPECT_EQ(vs->maximum(), 100 - 20 + 2);
    EXPECT_EQ(vs->pageStep(), 20);
    EXPECT_EQ(vs->singleStep(), 1);
    EXPECT_EQ(b.bar.topRowForValue(37, 100), 37);

    g.setRows(10); // shorter than a page
    b.draw(g, false, 1, 21);
    EXPECT_EQ(vs->maximum(), 1);

    g.setRows(40000);
    b.draw(g, false, 2, 21);
    EXPECT_EQ(vs->minimum(), 2);
    EXPECT_EQ(vs->maximum(), 10000);
    EXPECT_EQ(vs->pageStep(), 100);
    EXPECT_EQ(b.bar.topRowForValue(5000, 40000), 20000);
    EXPECT_EQ(b.bar.topRowForValue(2, 40000), 2);
    EXPECT_EQ(b.bar.topRowForValue(10000, 40000), 39999);
}

// A folder tree with rows 101-900 inside a closed folder: the bar pictures and scrolls through
// the 200 rows shown, so a changed row is drawn, and clicked, where it stands among them.
TEST(DiffOverviewBarScrollBar, ShownRowsArePicturedAndScrolledAsShown) {
    ResultGrid g(8, 1);
    g.setRows(1001);
    std::vector<int> shown;
    for (int r = 1; r <= 1000; ++r)
        if (r <= 100 || r > 900)
            shown.push_back(r);
    for (const int r : {500, 950})
        for (int c = 0; c < 8; ++c)
            g.setBackColor(r, c, Changed);
    Bar b;
    QSignalSpy spy(&b.bar, &DiffOverviewBar::topRowRequested);
    b.bar.sDiffbarPrint(&g, Legend, true, 1, 2, true, &shown);
    const int at950 = 1 + 149; // its position: after the header and the 149 rows shown above
    EXPECT_EQ(pixelAt(b.bar, Left, yOfRow(201, at950) + 1), Changed);
    EXPECT_EQ(pixelAt(b.bar, Left, yOfRow(1001, 950) + 1), White);
    EXPECT_EQ(pixelAt(b.bar, Left, yOfRow(1001, 500) + 1), White); // hidden: not drawn
    EXPECT_EQ(b.bar.vs()->maximum(), 201 + 1);

    // The top row and the thumb, both ways.
    b.bar.g_vs_Change(&g, 950);
    EXPECT_EQ(b.bar.vs()->value(), at950);
    b.bar.g_vs_Change(&g, 500); // hidden: at the last row shown above it
    EXPECT_EQ(b.bar.vs()->value(), 100);
    QTest::mouseClick(&b.bar, Qt::LeftButton, Qt::NoModifier, QPoint(20, yOfRow(201, at950)));
    ASSERT_EQ(spy.size(), 1);
    EXPECT_EQ(spy.last().at(0).toInt(), 950);

    // Drawn again without shown rows (every folder open): grid rows again.
    b.draw(g, true, 1, 2);
    EXPECT_EQ(pixelAt(b.bar, Left, yOfRow(1001, 500) + 1), Changed);
    b.bar.g_vs_Change(&g, 500);
    EXPECT_EQ(b.bar.vs()->value(), 500);
}

TEST(DiffOverviewBarScrollBar, ShortBinaryGridKeepsMinimumTwo) {
    ResultGrid g(4, 2);
    g.setRows(5);
    Bar b;
    b.draw(g, false, 2, 21);
    EXPECT_EQ(b.bar.vs()->minimum(), 2);
    EXPECT_GE(b.bar.vs()->maximum(), 2);
    b.bar.clearPicture();
    EXPECT_EQ(b.bar.vs()->minimum(), 2);
}

TEST(DiffOverviewBarScrollBar, GridToScrollBarIsSilentUserMovesAreNot) {
    ResultGrid g(4, 1);
    g.setRows(100);
    Bar b;
    QSignalSpy spy(&b.bar, &DiffOverviewBar::topRowRequested);
    b.draw(g);
    b.bar.g_vs_Change(&g, 40);
    EXPECT_EQ(b.bar.vs()->value(), 40);
    EXPECT_EQ(spy.count(), 0);

    b.bar.vs()->setValue(55); // a drag of the thumb
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 55);

    g.setRows(40000);
    b.draw(g);
    b.bar.g_vs_Change(&g, 19999);
    EXPECT_EQ(b.bar.vs()->value(), 19999 * 10000 / 39999);
    b.bar.g_vs_Change(nullptr, 5);
    EXPECT_EQ(spy.count(), 1);
}

TEST(DiffOverviewBarMouse, ClicksMapToTheScrollBarRange) {
    ResultGrid g(4, 1);
    g.setRows(1000);
    Bar b;
    b.bar.show();
    b.draw(g, false, 2, 21); // binary: minimum 2
    QScrollBar *vs = b.bar.vs();
    EXPECT_EQ(b.bar.width(), 41); // 615 twips
    EXPECT_EQ(vs->geometry(), QRect(12, 0, 16, BarHeight));
    const int max = vs->maximum();
    ASSERT_EQ(max, 1000 - 20 + 2);
    QSignalSpy spy(&b.bar, &DiffOverviewBar::topRowRequested);

    b.bar.g_vs_Change(&g, 500);
    QTest::mouseClick(&b.bar, Qt::LeftButton, {}, QPoint(2, 10));
    EXPECT_EQ(vs->value(), 2);
    QTest::mouseClick(&b.bar, Qt::LeftButton, {}, QPoint(2, BarHeight - 5));
    EXPECT_EQ(vs->value(), max);
    QTest::mouseClick(&b.bar, Qt::LeftButton, {}, QPoint(38, 200));
    EXPECT_EQ(vs->value(), qRound((200 - 17) * double(max) / (BarHeight - 34)));
    ASSERT_EQ(spy.count(), 3);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 2);
    EXPECT_EQ(spy.at(1).at(0).toInt(), max);
    EXPECT_EQ(spy.at(2).at(0).toInt(), vs->value());

    QSignalSpy menu(&b.bar, &DiffOverviewBar::contextMenuRequested);
    QTest::mouseClick(&b.bar, Qt::RightButton, {}, QPoint(2, 200));
    EXPECT_EQ(menu.count(), 1);
    EXPECT_EQ(spy.count(), 3);
}

TEST(DiffOverviewBarMouse, WheelStepsOneWithinTheRange) {
    ResultGrid g(4, 1);
    g.setRows(100);
    Bar b;
    b.draw(g);
    QScrollBar *vs = b.bar.vs();
    QSignalSpy spy(&b.bar, &DiffOverviewBar::topRowRequested);
    auto wheel = [](QWidget *w, int delta) {
        QWheelEvent e(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(w, &e);
    };
    b.bar.g_vs_Change(&g, 1);
    wheel(&b.bar, 120); // already at the top
    EXPECT_EQ(spy.count(), 0);
    wheel(&b.bar, -120);
    EXPECT_EQ(vs->value(), 2);
    wheel(vs, -120); // over the scroll bar: one step, not the style's three
    EXPECT_EQ(vs->value(), 3);
    wheel(&b.bar, 120);
    EXPECT_EQ(vs->value(), 2);
    ASSERT_EQ(spy.count(), 3);
    EXPECT_EQ(spy.at(2).at(0).toInt(), 2);

    b.bar.g_vs_Change(&g, vs->maximum());
    wheel(&b.bar, -120);
    EXPECT_EQ(spy.count(), 3);
}

} // namespace
