// The window with file names that are not UTF-8 (bytes a Latin-1 or Shift_JIS system wrote).
#include "mainwindow/FolderViewController.h"
#include "mainwindow/ResultGridModel.h"
#include "mainwindow/ResultGridView.h"
#include "mainwindow/frmMain.h"
#include "platform/AtomicFile.h"
#include "platform/NativePath.h"
#include "support/TempFiles.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

TEST(ForeignNameWindow, DoubleClickOnSuchARowShowsTheTwoFiles) {
    TempFiles files;
    const QString left = files.filePath("left"), right = files.filePath("right");
    ASSERT_TRUE(QDir().mkpath(left));
    ASSERT_TRUE(QDir().mkpath(right));
    const QString name = decodeNativeName("caf\xe9.txt");
    ASSERT_TRUE(writeWholeFile(fJoinPath(left, name), "SAME LINE\nOLD TEXT\n"));
    ASSERT_TRUE(writeWholeFile(fJoinPath(right, name), "SAME LINE\nNEW TEXT, LONGER\n"));

    // In this window, not in a second instance.
    files.write("setting.ini", "[Corvane]\nFMulti=0\n");
    frmMain w({left, right}, files.filePath("setting.ini"));
    w.resize(1000, 600);
    w.show();
    QApplication::processEvents();
    QApplication::processEvents();
    w.waitForRun();
    Workspace &ws = w.workspace();
    ASSERT_EQ(ws.fgF.rows(), 2);
    ASSERT_EQ(ws.fgF.text(1, 0), name);
    ASSERT_EQ(ws.fgF.text(1, 4), name);

    // A real double-click on the row (FDClk 1 by default: compare).
    ResultGridView *view = w.view(ResultView::Folder);
    const QModelIndex cell = view->gridModel()->index(view->gridModel()->modelRow(1), 0);
    const QPoint at = view->visualRect(cell).center();
    QTest::mouseMove(view->viewport(), at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    w.waitForRun();

    EXPECT_EQ(w.cb[0]->currentText(), fJoinPath(left, name));
    EXPECT_EQ(w.cb[1]->currentText(), fJoinPath(right, name));
    EXPECT_EQ(ws.shownView(), ResultView::Text);
    EXPECT_EQ(ws.fg.text(1, 1), QStringLiteral("SAME LINE"));
    EXPECT_EQ(ws.fg.text(2, 1), QStringLiteral("OLD TEXT"));
    EXPECT_EQ(ws.fg.text(2, 3), QStringLiteral("NEW TEXT, LONGER"));
    EXPECT_EQ(ws.DiffCount, 1);
    EXPECT_TRUE(w.statusPanel->text().startsWith(QStringLiteral("完了     不一致行=1")))
        << w.statusPanel->text().toStdString();

    // A second instance is given the same names (startDetachedProgram passes their bytes).
    files.write("setting.ini", "[Corvane]\nFMulti=1\n");
    QStringList started;
    w.folderView().startInstance = [&](const QStringList &paths) {
        started = paths;
        return true;
    };
    w.cb[0]->setEditText(left);
    w.cb[1]->setEditText(right);
    w.runComparison();
    w.waitForRun();
    view->setCurrentCell(1, 0);
    w.folderView().fgF_DblClick(1);
    EXPECT_EQ(started, QStringList({fJoinPath(left, name), fJoinPath(right, name)}));
}
