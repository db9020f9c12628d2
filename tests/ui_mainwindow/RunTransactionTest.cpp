// A comparison run is a transaction: what the user does while it works cannot change its
// result, Esc stops it at once, and a failure inside it leaves a usable window.
#include "mainwindow/LegendBoxes.h"
#include "mainwindow/ResultGridModel.h"
#include "mainwindow/ResultGridView.h"
#include "mainwindow/frmMain.h"
#include "run/ComparisonRunner.h"
#include "support/HangGuard.h"
#include "support/TempFiles.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QTcpServer>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>

namespace {

// Every cell's text and colour, to compare two results.
QStringList snapshot(const ResultGrid &g) {
    QStringList cells;
    for (int r = 0; r < g.rows(); ++r)
        for (int c = 0; c < g.cols(); ++c)
            cells << g.text(r, c) + QLatin1Char('#') + QString::number(g.backColor(r, c));
    return cells;
}

class RunTransactionTest : public ::testing::Test {
protected:
    std::unique_ptr<frmMain> open(const QByteArray &settings = "[Corvane]\n") {
        files.write("setting.ini", settings);
        auto w = std::make_unique<frmMain>(QStringList(), files.filePath("setting.ini"));
        w->resize(1000, 700);
        w->show();
        QApplication::processEvents();
        QApplication::processEvents();
        w->waitForRun();
        return w;
    }

    // The next run waits at its first poll until release() (or an abort): whatever the test
    // does meanwhile happens while the run is certainly in progress.
    void holdNextRun(frmMain &w) {
        m_released = false;
        w.runner().beforeRun = [this](Workspace &ws) {
            ws.processEventsHook = [this, &ws] {
                while (!m_released && !ws.bAbort)
                    QThread::msleep(1);
            };
        };
    }
    void release() { m_released = true; }

    void compare(frmMain &w, const QString &left, const QString &right) {
        w.cb[0]->setEditText(left);
        w.cb[1]->setEditText(right);
        w.runComparison();
    }

    // Two texts whose comparison polls many times.
    void writeLongTexts() {
        QByteArray a, b;
        for (int k = 0; k < 20000; ++k) {
            a += "LINE " + QByteArray::number(k) + "\n";
            b += "LINE " + QByteArray::number(k % 7 == 0 ? -k : k) + "\n";
        }
        left = files.write("a.txt", a);
        right = files.write("b.txt", b);
    }

    TempFiles files;
    QString left, right;
    std::atomic<bool> m_released{false};
};

TEST_F(RunTransactionTest, HeaderClickDuringAFolderRunLeavesTheUndisturbedResult) {
    for (int k = 0; k < 600; ++k)
        files.write(QStringLiteral("L/f%1.txt").arg(k), QByteArray::number(k));
    for (int k = 50; k < 600; ++k)
        files.write(QStringLiteral("R/f%1.txt").arg(k), QByteArray::number(k % 10 ? k : -k));
    auto w = open("[Corvane]\nFFile=1\n");
    compare(*w, files.filePath("L"), files.filePath("R"));
    w->waitForRun();
    const QStringList undisturbed = snapshot(w->workspace().fgF);
    ASSERT_GT(undisturbed.size(), 600 * 10);

    holdNextRun(*w);
    w->runComparison();
    ASSERT_TRUE(w->isRunning());
    QHeaderView *header = w->view(ResultView::Folder)->horizontalHeader();
    const QPoint middle(header->sectionViewportPosition(1) + header->sectionSize(1) / 2, 5);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, middle);
    release();
    w->waitForRun();
    EXPECT_EQ(snapshot(w->workspace().fgF), undisturbed);
}

TEST_F(RunTransactionTest, TogglesColoursAndClearDuringATextRunChangeNothing) {
    writeLongTexts();
    auto w = open();
    compare(*w, left, right);
    w->waitForRun();
    const QStringList undisturbed = snapshot(w->workspace().fg);
    const QString summary = w->statusPanel->text();
    ASSERT_TRUE(summary.startsWith(QStringLiteral("完了     不一致行=")));

    holdNextRun(*w);
    w->runComparison();
    ASSERT_TRUE(w->isRunning());
    // Greyed while the run works: the toolbar, the menus, the path boxes.
    EXPECT_FALSE(w->tbBinary->isEnabled());
    EXPECT_FALSE(w->menuBar()->isEnabled());
    EXPECT_FALSE(w->cb[0]->isEnabled());
    w->tbBinary->trigger();
    w->tbOnlyDF->trigger();
    for (QAction *a : w->mnuEdit->actions())
        a->trigger(); // clear, paste, the walk: all unavailable
    // A click on a legend box would ask for a colour.
    int colourAsked = 0;
    w->legendBoxes().pickColour = [&](const QColor &) {
        ++colourAsked;
        return QColor();
    };
    QTest::mouseClick(w->txtState[0], Qt::LeftButton);
    w->clearAll();
    w->swapSides();
    w->fg_Drop({right}, 1);
    release();
    w->waitForRun();

    EXPECT_EQ(colourAsked, 0);
    EXPECT_EQ(w->workspace().shownView(), ResultView::Text);
    EXPECT_FALSE(w->tbBinary->isChecked());
    EXPECT_EQ(snapshot(w->workspace().fg), undisturbed);
    EXPECT_EQ(w->statusPanel->text(), summary);
    EXPECT_EQ(w->cb[0]->currentText(), left);
    // Available again once the result is in.
    EXPECT_TRUE(w->tbBinary->isEnabled());
    EXPECT_TRUE(w->menuBar()->isEnabled());
    EXPECT_TRUE(w->cb[0]->isEnabled());
}

TEST_F(RunTransactionTest, EscapeStopsARunAtOnceWithTheCountsSoFar) {
    writeLongTexts();
    auto w = open();
    holdNextRun(*w);
    compare(*w, left, right);
    ASSERT_TRUE(w->isRunning());
    // Held until released, which never comes: only the key can end it.
    QTest::keyPress(w->cb[0], Qt::Key_Escape); // a press, not held: enough to stop it
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w->isRunning(); }, HangGuardMs));
    EXPECT_EQ(w->workspace().fg.rows(), 2); // stopped during the matching: headers only
    // Not "完了", which would read as "identical".
    EXPECT_EQ(w->statusPanel->text(),
              QStringLiteral("中断しました     不一致行=0  左のみ存在=0  右のみ存在=0"));
    EXPECT_TRUE(w->tbBinary->isEnabled());
}

TEST_F(RunTransactionTest, EscapeStopsAWaitForAServerThatNeverAnswers) {
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    writeLongTexts();
    auto w = open();
    compare(*w, QStringLiteral("http://127.0.0.1:%1/page").arg(silent.serverPort()), right);
    // The request is out and waiting.
    ASSERT_TRUE(QTest::qWaitFor([&] { return silent.hasPendingConnections(); }, HangGuardMs));
    ASSERT_TRUE(w->isRunning());
    QTest::keyPress(w->cb[0], Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w->isRunning(); }, HangGuardMs));
    // Stopped, not given up for want of an answer.
    EXPECT_TRUE(w->statusPanel->text().startsWith(QStringLiteral("中断しました")))
        << w->statusPanel->text().toStdString();
}

TEST_F(RunTransactionTest, AFailureInsideARunIsNamedAndTheWindowStaysUsable) {
    writeLongTexts();
    auto w = open();
    // After a good run of 20,000 rows, the failed run's empty grid must reach the view too
    // (before, the grids were left with redrawing off and the view kept the old rows).
    compare(*w, left, right);
    w->waitForRun();
    // The view's own idea of its rows: what it was last told (the model reads the grid).
    QHeaderView *rowsShown = w->view(ResultView::Text)->verticalHeader();
    ASSERT_GT(rowsShown->count(), 20000);
    int polls = 0;
    w->runner().beforeRun = [&polls](Workspace &ws) {
        ws.processEventsHook = [&polls] {
            if (++polls == 3)
                throw std::runtime_error("injected fault");
        };
    };
    compare(*w, left, right);
    w->waitForRun();
    EXPECT_EQ(w->statusPanel->text(), QStringLiteral("比較できませんでした: injected fault"));
    EXPECT_EQ(w->workspace().fg.rows(), 2);
    for (ResultGrid *grid : {&w->workspace().fg, &w->workspace().fgB, &w->workspace().fgF})
        EXPECT_TRUE(grid->redraw());
    EXPECT_EQ(w->workspace().shownView(), ResultView::Text);
    EXPECT_EQ(rowsShown->count(), 1);
    EXPECT_EQ(w->workspace().DiffCount, 0);
    EXPECT_TRUE(w->tbBinary->isEnabled());

    w->runner().beforeRun = nullptr;
    w->runComparison();
    w->waitForRun();
    EXPECT_TRUE(w->statusPanel->text().startsWith(QStringLiteral("完了     不一致行=")));
}

} // namespace

TEST_F(RunTransactionTest, ALongCommandWorksLikeARunGreyedAndStoppedByEscape) {
    auto w = open();
    std::atomic<bool> started = false;
    QThread *workedOn = nullptr;
    QThread *doneOn = nullptr;
    Workspace &ws = w->workspace();
    ASSERT_TRUE(w->runInBackground(
        [&] {
            workedOn = QThread::currentThread();
            started = true;
            while (!ws.bAbort)
                QThread::msleep(1);
        },
        [&] { doneOn = QThread::currentThread(); }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return started.load(); }, HangGuardMs));
    EXPECT_TRUE(w->isRunning());
    EXPECT_FALSE(w->menuBar()->isEnabled());
    EXPECT_FALSE(w->tbBinary->isEnabled());
    EXPECT_FALSE(w->runInBackground([] {}, [] {})); // one at a time
    w->runComparison();                             // waits too
    EXPECT_FALSE(w->runner().isRunning());

    QTest::keyPress(w->cb[0], Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w->isRunning(); }, HangGuardMs));
    EXPECT_NE(workedOn, QThread::currentThread());
    EXPECT_EQ(doneOn, QThread::currentThread());
    EXPECT_FALSE(ws.bAbort); // cleared for the next command
    EXPECT_TRUE(w->menuBar()->isEnabled());
    EXPECT_TRUE(w->tbBinary->isEnabled());
}

TEST_F(RunTransactionTest, TheSaveCommandWritesOnAWorkerAndReportsTheOutcome) {
    writeLongTexts();
    auto w = open();
    compare(*w, left, right);
    w->waitForRun();
    QAction *save = nullptr;
    for (QAction *a : w->mnuFile->actions())
        if (a->shortcut() == QKeySequence(Qt::CTRL | Qt::Key_S))
            save = a;
    ASSERT_NE(save, nullptr);
    const QString csv = files.filePath("result.csv");
    QStringList types;
    w->saveQuestions.pickFile = [&](QWidget *, const QStringList &offered, int) {
        types = offered;
        return std::optional<SaveChoice>(SaveChoice{csv, 4}); // CSV (UTF-8)
    };
    save->trigger();
    w->waitForRun();
    ASSERT_EQ(types.size(), 6);
    EXPECT_EQ(types[4], QStringLiteral("CSV ファイル(UTF-8)(*.csv)"));
    EXPECT_EQ(w->statusPanel->text(), QStringLiteral("保存が完了しました"));
    const QByteArray written = TempFiles::read(csv);
    EXPECT_TRUE(written.contains("LINE 19999")) << written.right(200).toStdString();
    EXPECT_TRUE(w->menuBar()->isEnabled());

    // Again under the name without its extension: the type last used stands selected, the
    // extension is added, and the existing file is kept when the user says no.
    int selectedType = -1;
    w->saveQuestions.pickFile = [&](QWidget *, const QStringList &, int selected) {
        selectedType = selected;
        return std::optional<SaveChoice>(SaveChoice{files.filePath("result"), 4});
    };
    QStringList askedToOverwrite;
    w->saveQuestions.overwrite = [&](QWidget *, const QString &path) {
        askedToOverwrite << path;
        return false;
    };
    files.write("result.csv", "kept");
    save->trigger();
    w->waitForRun();
    EXPECT_EQ(selectedType, 4);
    EXPECT_EQ(askedToOverwrite, QStringList{csv});
    EXPECT_EQ(TempFiles::read(csv), QByteArray("kept"));
}

TEST_F(RunTransactionTest, AFolderRunThroughEveryLevelShowsItsTopLevelWhileItWorks) {
    // Enough entries below the top for the run to poll (and be held) after listing it.
    for (int k = 0; k < 300; ++k) {
        files.write(QStringLiteral("L/sub/f%1").arg(k), "x");
        files.write(QStringLiteral("R/sub/f%1").arg(k), "x");
    }
    files.write("L/size.txt", "a");
    files.write("R/size.txt", "abc");
    files.write("L/left.txt", "a");
    files.write("R/right/in.txt", "a");
    auto w = open("[Corvane]\nRecursive=1\n");
    QList<QAction *> available;
    for (QAction *action : w->findChildren<QAction *>())
        if (action->isEnabled())
            available << action;
    holdNextRun(*w);
    compare(*w, files.filePath("L"), files.filePath("R"));
    ASSERT_TRUE(w->isRunning());
    const ResultGrid &g = w->workspace().fgF;
    ASSERT_TRUE(QTest::qWaitFor([&] { return g.rows() == 5; }, HangGuardMs));
    EXPECT_EQ(w->workspace().shownView(), ResultView::Folder);
    EXPECT_EQ(w->view(ResultView::Folder)->gridModel()->rowCount(), 4);
    QHash<QString, int> rowOf;
    for (int r = 1; r < g.rows(); ++r)
        rowOf.insert(g.isEmpty(r, 0) ? g.text(r, 4) : g.text(r, 0), r);
    EXPECT_EQ(QStringList(rowOf.keys()).size(), 4);
    const auto &state = w->workspace().txtState;
    // Files with their states, folders (one-sided too) with none yet.
    EXPECT_EQ(g.backColor(rowOf["size.txt"], 1), state[0]);
    EXPECT_EQ(g.backColor(rowOf["left.txt"], 0), state[1]);
    for (const char *folder : {"sub", "right"})
        for (const int c : {0, 4})
            EXPECT_EQ(g.backColor(rowOf[folder], c), ResultGrid::DefaultColor) << folder;
    // Still a run: every command greyed, no summary yet.
    for (QAction *action : std::as_const(available))
        EXPECT_FALSE(action->isEnabled()) << action->text().toStdString();
    EXPECT_FALSE(w->menuBar()->isEnabled());
    EXPECT_FALSE(w->statusPanel->text().startsWith(QStringLiteral("完了")));

    release();
    w->waitForRun();
    EXPECT_TRUE(w->statusPanel->text().startsWith(QStringLiteral("完了")));
    EXPECT_EQ(g.rows(), 1 + 4 + 300); // the one-sided folder stays one row
    EXPECT_EQ(w->view(ResultView::Folder)->gridModel()->rowCount(), 4);

    // A preview still queued when its run has been handled is dropped, also when the next
    // run (here of the folders' "sub", 300 entries at the top) has started meanwhile.
    w->runComparison();
    w->waitForRun();
    holdNextRun(*w);
    compare(*w, files.filePath("L/sub"), files.filePath("R/sub"));
    QList<int> rowsShown;
    QObject::connect(&g, &ResultGrid::contentsChanged, [&] { rowsShown << g.rows(); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return g.rows() == 1 + 300; }, HangGuardMs));
    EXPECT_FALSE(rowsShown.contains(5));
    release();
    w->waitForRun();
}

TEST_F(RunTransactionTest, ALongCommandThatFailsSaysWhatWentWrong) {
    auto w = open();
    bool doneCalled = false;
    // The finishing step reports an outcome the failed work never made.
    ASSERT_TRUE(w->runInBackground([] { throw std::runtime_error("disk on fire"); },
                                   [&] {
                                       doneCalled = true;
                                       w->workspace().setStatus(
                                           QStringLiteral("保存が完了しました"));
                                   }));
    w->waitForRun();
    EXPECT_TRUE(doneCalled); // it puts its command's state back
    EXPECT_EQ(w->statusPanel->text(), QStringLiteral("処理できませんでした: disk on fire"));
    EXPECT_FALSE(w->isRunning());
    EXPECT_TRUE(w->menuBar()->isEnabled());
}
