#include "engine/ResultGrid.h"

#include <gtest/gtest.h>

TEST(ResultGrid, NumbersReadBackAsDecimalText) {
    ResultGrid g(4, 1);
    g.setRows(3);
    g.setNumber(1, 0, 120);
    EXPECT_EQ(g.text(1, 0), QStringLiteral("120"));
    EXPECT_EQ(g.numberAt(1, 0), 120);
    EXPECT_TRUE(g.isEmpty(2, 0));
    EXPECT_EQ(g.backColor(1, 0), ResultGrid::DefaultColor);
}

TEST(ResultGrid, SharedTextReadOutlivesItsSource) {
    ResultGrid g(2, 1);
    g.setRows(2);
    QString kept;
    {
        auto *source = new QString(QStringLiteral("line one\nline two"));
        g.keepAlive(*source);
        g.setSharedText(1, 1, QString::fromRawData(source->constData() + 9, 8));
        delete source; // the grid still holds the text
        kept = g.text(1, 1);
    }
    EXPECT_EQ(kept, QStringLiteral("line two"));
    g.setRows(0); // emptied: the source text may go now; the copy read earlier stays valid
    EXPECT_EQ(kept, QStringLiteral("line two"));
}

TEST(ResultGrid, RowRemovalAndResizingKeepTheOtherRows) {
    ResultGrid g(2, 2);
    g.setRows(4);
    for (int r = 0; r < 4; ++r) {
        g.setNumber(r, 0, r);
        g.setBackColor(r, 1, Color(r));
    }
    g.setRowHeight(3, 300);
    g.removeRow(1);
    EXPECT_EQ(g.rows(), 3);
    EXPECT_EQ(g.text(1, 0), QStringLiteral("2"));
    EXPECT_EQ(g.backColor(2, 1), Color(3));
    EXPECT_EQ(g.rowHeight(2), 300);
    g.setRows(5);
    EXPECT_TRUE(g.isEmpty(4, 0));
    EXPECT_EQ(g.text(2, 0), QStringLiteral("3"));
    EXPECT_THROW(g.text(5, 0), std::out_of_range);
    g.clear();
    EXPECT_EQ(g.rows(), 5);
    EXPECT_TRUE(g.isEmpty(2, 0));
    EXPECT_EQ(g.backColor(2, 1), ResultGrid::DefaultColor);
}

TEST(ResultGrid, ChangesAreAnnouncedOnlyWhileRedrawing) {
    ResultGrid g(1, 0);
    int announced = 0;
    QObject::connect(&g, &ResultGrid::contentsChanged, [&] { ++announced; });
    g.setRedraw(false);
    g.setRows(1000);
    g.setText(5, 0, QStringLiteral("x"));
    EXPECT_EQ(announced, 0);
    g.setRedraw(true);
    EXPECT_EQ(announced, 1);
}

// A run fills a copy with the layout of the grid on screen, and the finished copy is swapped
// in whole: texts, colours, byte rows, current cell and layout all change hands.
TEST(ResultGrid, ARunsCopyStartsEmptyWithTheLayoutAndSwapsInWhole) {
    ResultGrid shown(4, 2);
    shown.setRows(3);
    shown.setText(2, 1, QStringLiteral("old"));
    shown.setColAlignment(1, ResultGrid::AlignLeftCenter);
    shown.setTag(QStringLiteral("sorted by name"));
    shown.setWordWrap(true);
    shown.setEnabled(true);
    shown.setCol(3);

    ResultGrid run(1, 0);
    run.copyLayoutFrom(shown);
    EXPECT_EQ(run.rows(), 0);
    EXPECT_EQ(run.cols(), 4);
    EXPECT_EQ(run.fixedRows(), 2);
    EXPECT_EQ(run.colAlignment(1), ResultGrid::AlignLeftCenter);
    EXPECT_EQ(run.tag(), QStringLiteral("sorted by name"));
    EXPECT_TRUE(run.wordWrap());
    EXPECT_TRUE(run.isEnabled());
    EXPECT_EQ(run.col(), 3);

    const QByteArray bytes("0123456789ABCDEF0123");
    run.setByteSide(0, bytes, 2);
    run.setRows(4);
    run.setByteSideShown(0, bytes.size());
    run.setRowColors(2, 255, 65535);
    run.setRow(3);
    int announced = 0;
    QObject::connect(&shown, &ResultGrid::contentsChanged, [&] { ++announced; });
    shown.swapContents(run);
    EXPECT_EQ(announced, 1);
    EXPECT_EQ(shown.rows(), 4);
    EXPECT_TRUE(shown.hasByteRows());
    EXPECT_EQ(shown.text(3, 1), QStringLiteral("30 31 32 33"));
    EXPECT_EQ(shown.backColor(2, 2), Color(65535));
    EXPECT_EQ(shown.row(), 3);
    EXPECT_EQ(run.rows(), 3); // the old result, to be released with the run
    EXPECT_EQ(run.text(2, 1), QStringLiteral("old"));
}

TEST(ResultGrid, ReorderedRowsTakeTheirCellsColoursAndHeights) {
    ResultGrid g(2, 1);
    g.setRows(5);
    for (int r = 1; r < 5; ++r) {
        g.setText(r, 0, QStringLiteral("row%1").arg(r));
        g.setNumber(r, 1, r * 10);
        g.setBackColor(r, 0, Color(r));
    }
    g.setRowHeight(2, 300);
    g.reorderRows({4, 2, 1, 3});
    EXPECT_EQ(g.text(1, 0), QStringLiteral("row4"));
    EXPECT_EQ(g.numberAt(2, 1), 20);
    EXPECT_EQ(g.backColor(3, 0), Color(1));
    EXPECT_EQ(g.rowHeight(2), 300);
    EXPECT_EQ(g.rowHeight(3), 0);
    // An order that misses a row or repeats one would lose cells: it is refused.
    EXPECT_THROW(g.reorderRows({1, 2, 3}), std::invalid_argument);
    EXPECT_THROW(g.reorderRows({1, 1, 2, 3}), std::invalid_argument);
    EXPECT_THROW(g.reorderRows({0, 1, 2, 3}), std::invalid_argument);
    EXPECT_EQ(g.text(1, 0), QStringLiteral("row4"));
}

// Rows move in place, cycle by cycle: orders made of several cycles, fixed rows and a
// reversal must each leave every row's cells where the order puts them.
TEST(ResultGrid, ReorderWithSeveralCyclesKeepsEveryRow) {
    const std::vector<std::vector<int>> orders = {
        {2, 3, 1, 5, 4, 6, 8, 9, 7},  // cycles of 3, 2, 1 and 3
        {9, 8, 7, 6, 5, 4, 3, 2, 1},  // a reversal: cycles of two around a fixed middle
        {1, 2, 3, 4, 5, 6, 7, 8, 9},  // nothing moves
        {5, 9, 2, 7, 1, 3, 8, 6, 4}}; // one long cycle and a fixed row
    for (const std::vector<int> &order : orders) {
        ResultGrid g(3, 1);
        g.setRows(10);
        for (int r = 1; r < 10; ++r) {
            g.setText(r, 0, QStringLiteral("row%1").arg(r));
            g.setNumber(r, 1, r);
            g.setBackColor(r, 2, Color(r * 3));
        }
        g.reorderRows(order);
        for (size_t k = 0; k < order.size(); ++k) {
            const int r = int(k) + 1;
            EXPECT_EQ(g.text(r, 0), QStringLiteral("row%1").arg(order[k]));
            EXPECT_EQ(g.numberAt(r, 1), order[k]);
            EXPECT_EQ(g.backColor(r, 2), Color(order[k] * 3));
        }
    }
}
