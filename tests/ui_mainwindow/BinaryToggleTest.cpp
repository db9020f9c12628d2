#include "mainwindow/frmMain.h"
#include "support/TempFiles.h"

#include <QAction>
#include <QApplication>

#include <gtest/gtest.h>

// The binary toggle is an input of the run it starts: until that run's result is in, the view
// in front is the one that shows the result on screen, never the previous dump.
TEST(BinaryToggle, TheViewChangesWithTheRunsResultNotBeforeIt) {
    TempFiles files;
    const QString a = files.write("a.bin", "abc\n");
    const QString b = files.write("b.bin", "abd\n");
    frmMain w({a, b}, files.filePath("setting.ini"));
    w.show();
    QApplication::processEvents();
    QApplication::processEvents();
    w.waitForRun();
    ASSERT_EQ(w.workspace().shownView(), ResultView::Text);

    w.tbBinary->trigger(); // the run starts; its result comes in through the event loop
    EXPECT_EQ(w.workspace().shownView(), ResultView::Text);
    w.waitForRun();
    EXPECT_EQ(w.workspace().shownView(), ResultView::Binary);
    EXPECT_GT(w.workspace().fgB.rows(), 2);

    w.tbBinary->trigger();
    EXPECT_EQ(w.workspace().shownView(), ResultView::Binary);
    w.waitForRun();
    EXPECT_EQ(w.workspace().shownView(), ResultView::Text);
    EXPECT_TRUE(w.workspace().fgB.rows() <= 3);
}
