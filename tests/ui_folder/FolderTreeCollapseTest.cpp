// Collapsing a folder whose rows filled the view: what the view answers before it lays its
// rows out again.
#include "mainwindow/FolderTreeController.h"
#include "mainwindow/ResultGridModel.h"
#include "mainwindow/ResultGridView.h"

#include <QApplication>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

TEST(FolderTreeCollapse, TopRowIsAShownRowRightAfterALongFolderCloses) {
    // Folder "d" with 2,000 files, then "z.txt".
    ResultGrid grid(8, 1);
    grid.setRedraw(false);
    grid.setRows(1 + 1 + 2000 + 1);
    for (const int c : {0, 4}) {
        grid.setText(1, c, QStringLiteral("d"));
        for (int i = 0; i < 2000; ++i)
            grid.setText(2 + i, c, QStringLiteral("d/f%1").arg(i, 5, 10, QLatin1Char('0')));
        grid.setText(2002, c, QStringLiteral("z.txt"));
    }
    grid.setRedraw(true);
    ResultGridView view(&grid);
    auto *tree = new FolderTreeController(&view);
    view.resize(600, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    tree->setExpanded(1, true);
    view.setTopRow(1990);
    ASSERT_GT(view.verticalScrollBar()->value(), 1900);

    // Closed from the keyboard or by a command, before the next layout: the scroll position
    // still counts the hidden rows, and must not be read as a row of the two shown.
    tree->setExpanded(1, false);
    ASSERT_EQ(view.gridModel()->rowCount(), 2);
    const int top = view.topRow();
    EXPECT_GE(view.gridModel()->modelRow(top), 0) << top;
    QApplication::processEvents();
    EXPECT_EQ(view.topRow(), 1);
}
