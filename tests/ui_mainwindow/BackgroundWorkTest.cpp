// The window's background work ends with the window: closing it stops what runs and waits for
// it, and a failure inside a job is a message, never the end of the program.
#include "mainwindow/frmMain.h"
#include "run/ComparisonRunner.h"
#include "support/HangGuard.h"
#include "support/TempFiles.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QSemaphore>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <new>

namespace {

class BackgroundWorkTest : public ::testing::Test {
protected:
    std::unique_ptr<frmMain> open() {
        files.write("setting.ini", "[Corvane]\n");
        auto w = std::make_unique<frmMain>(QStringList(), files.filePath("setting.ini"));
        w->show();
        QApplication::processEvents();
        w->waitForRun();
        return w;
    }
    TempFiles files;
};

} // namespace

// The window goes while a command works: its end waits for the work, which stops at the abort
// flag; the finishing step, whose window is gone, does not run.
TEST_F(BackgroundWorkTest, AWindowClosedWhileACommandWorksWaitsForItsEnd) {
    auto w = open();
    QSemaphore started;
    std::atomic<bool> ended = false;
    bool doneCalled = false;
    Workspace &ws = w->workspace();
    ASSERT_TRUE(w->runInBackground(
        [&] {
            started.release();
            while (!ws.bAbort)
                QThread::yieldCurrentThread();
            ended = true;
        },
        [&] { doneCalled = true; }));
    started.acquire();
    w.reset();
    EXPECT_TRUE(ended.load());
    QCoreApplication::processEvents();
    EXPECT_FALSE(doneCalled);
}

// The same for a comparison held at its first poll.
TEST_F(BackgroundWorkTest, AWindowClosedWhileARunWorksWaitsForItsEnd) {
    auto w = open();
    QSemaphore polled;
    std::atomic<bool> stopped = false;
    w->runner().beforeRun = [&](Workspace &ws) {
        ws.processEventsHook = [&] {
            if (!stopped) {
                polled.release();
                while (!ws.bAbort)
                    QThread::yieldCurrentThread();
                stopped = true;
            }
        };
    };
    files.write("a.txt", "a\nb\n");
    files.write("b.txt", "a\nc\n");
    w->cb[0]->setEditText(files.filePath("a.txt"));
    w->cb[1]->setEditText(files.filePath("b.txt"));
    w->runComparison();
    polled.acquire();
    EXPECT_TRUE(w->isRunning());
    w.reset();
    EXPECT_TRUE(stopped.load());
}

// Running out of memory inside a command is said as such, and the window is usable after it.
TEST_F(BackgroundWorkTest, ACommandOutOfMemorySaysSo) {
    auto w = open();
    ASSERT_TRUE(w->runInBackground([] { throw std::bad_alloc(); }, [] {}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w->isRunning(); }, HangGuardMs));
    EXPECT_EQ(w->statusPanel->text(), QStringLiteral("処理できませんでした: メモリが足りません"));
    EXPECT_TRUE(w->menuBar()->isEnabled());
}
