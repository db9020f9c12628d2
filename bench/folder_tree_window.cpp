// Shows a folder comparison through every level in the main window (offscreen unless a display
// is given) and prints: the time from the start of the run until its top level is painted (the
// preview the run sends before it scans the folders below), the time of the comparison run,
// the time from its end until the result is painted, the time of expanding a folder (the first
// at the top, then a folder at the bottom of the tree with every folder above it) and of
// collapsing it again, and a sort by name, each until the view is painted again.
// With ESC, an Esc press ESC milliseconds after the preview (or, with "compare", as the
// comparison pass after the listing starts) stops the run instead, and the time from the press
// until the result the run has is painted and the window usable is printed.
// Each line ends with the resident memory at that point and its peak so far (for the last
// line, the peak since the run started again).
//   cmake --build build --target folder_tree_window && build/folder_tree_window LEFT RIGHT [ESC]
// FFILE=1 or 2 in the environment compares contents too.
// (DATA=dir bench/folder_tree_vs_diff.sh leaves its two trees in dir/L and dir/R.)
#include "BenchWindow.h"
#include "mainwindow/FolderTreeController.h"
#include "mainwindow/FolderViewController.h"
#include "mainwindow/ResultGridModel.h"
#include "mainwindow/ResultGridView.h"
#include "mainwindow/frmMain.h"
#include "run/ComparisonRunner.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: folder_tree_window LEFT RIGHT\n");
        return 2;
    }
    QTemporaryDir dir;
    frmMain window({}, dir.filePath("setting.ini"));
    prepareBenchWindow(window, QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
    window.workspace().recursiveFolders = true;
    window.workspace().folderContentMode = qEnvironmentVariableIntValue("FFILE"); // 0, 1, 2
    ResultGridView *view = window.view(ResultView::Folder);
    auto paint = [&] {
        view->viewport()->repaint();
        QApplication::processEvents();
    };
    QElapsedTimer t;
    qint64 previewed = -1;
    // Connected after the window's own handler: the preview is in the grid when this runs.
    QObject::connect(&window.runner(), &ComparisonRunner::folderPreview, [&] {
        view->viewport()->repaint();
        previewed = t.elapsed();
    });
    t.start();
    window.runComparison();
    while (window.isRunning() && previewed < 0)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    auto memory = [] {
        const BenchMemory m = benchMemory();
        std::printf("   [rss %.0f MB, peak %.0f MB]\n", m.now, m.peak);
    };
    std::printf("top level preview after    %lld ms", previewed);
    memory();
    if (argc > 3) {
        // "compare": at the first progress of the comparison pass (a percentage; the listing
        // counts entries).
        const bool atCompare = qstrcmp(argv[3], "compare") == 0;
        bool comparing = false;
        QObject::connect(&window.runner(), &ComparisonRunner::progress,
                         [&](const QString &text) { comparing = text.endsWith(QLatin1Char('%')); });
        QElapsedTimer wait;
        wait.start();
        while (window.isRunning() &&
               (atCompare ? !comparing : wait.elapsed() < std::atoll(argv[3])))
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        const bool stopped = window.isRunning();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        t.restart();
        QApplication::sendEvent(view, &press);
        while (window.isRunning())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        paint();
        std::printf("Esc at %s%s: run over, result painted after %lld ms (%d entries)", argv[3],
                    stopped ? "" : " (after the run had ended)", t.elapsed(),
                    window.workspace().fgF.rows() - 1);
        memory();
        return 0;
    }
    window.waitForRun();
    const qint64 compared = t.elapsed();
    t.restart();
    paint();
    const qint64 shown = t.elapsed();
    ResultGridModel *model = view->gridModel();
    auto *tree = view->findChild<FolderTreeController *>();
    std::printf("entries                    %d\n", window.workspace().fgF.rows() - 1);
    std::printf("rows shown                 %d\n", model->rowCount());
    std::printf("comparison run             %lld ms\n", compared);
    std::printf("top level on screen after  %lld ms", shown);
    memory();

    auto timed = [&](const char *what, auto step) {
        t.restart();
        step();
        paint();
        std::printf("%-26s %lld ms  (%d rows shown)", what, t.elapsed(), model->rowCount());
        memory();
    };
    const int first = model->gridRow(0);
    timed("expand a top folder", [&] { tree->setExpanded(first, true); });
    timed("collapse it", [&] { tree->setExpanded(first, false); });
    // The last entry of the grid: every folder above it opens.
    const int last = window.workspace().fgF.rows() - 1;
    timed("open down to the last row", [&] { view->setCurrentCell(last, 0); });
    timed("sort by name", [&] { window.folderView().fgF_HeaderClick(0); });
    // The same comparison again, with the first result on screen until the new one replaces
    // it; its peak is measured on its own.
    resetPeakMemory();
    timed("the same run again", [&] {
        window.runComparison();
        while (window.isRunning()) // as the window's loop runs: the preview replaces the result
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    });
    return 0;
}
