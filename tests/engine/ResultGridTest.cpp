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
