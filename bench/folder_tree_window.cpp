// Shows a folder comparison through every level in the main window (offscreen unless a display
// is given) and prints: the time of the comparison run, the time from its end until the top
// level is painted, the time of expanding a folder (the first at the top, then a folder at the
// bottom of the tree with every folder above it) and of collapsing it again, and a sort by
// name, each until the view is painted again.
//   cmake --build build --target folder_tree_window && build/folder_tree_window LEFT RIGHT
// (DATA=dir bench/folder_tree_vs_diff.sh leaves its two trees in dir/L and dir/R.)
#include "mainwindow/FolderTreeController.h"
#include "mainwindow/FolderViewController.h"
#include "mainwindow/ResultGridModel.h"
#include "mainwindow/ResultGridView.h"
#include "mainwindow/frmMain.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

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
    window.resize(1200, 900);
    window.show();
    QApplication::processEvents();
    window.waitForRun();
    window.workspace().recursiveFolders = true;

    window.cb[0]->setEditText(QString::fromLocal8Bit(argv[1]));
    window.cb[1]->setEditText(QString::fromLocal8Bit(argv[2]));
    QElapsedTimer t;
    t.start();
    window.runComparison();
    window.waitForRun();
    const qint64 compared = t.elapsed();
    ResultGridView *view = window.view(ResultView::Folder);
    auto paint = [&] {
        view->viewport()->repaint();
        QApplication::processEvents();
    };
    t.restart();
    paint();
    const qint64 shown = t.elapsed();
    ResultGridModel *model = view->gridModel();
    auto *tree = view->findChild<FolderTreeController *>();
    std::printf("entries                    %d\n", window.workspace().fgF.rows() - 1);
    std::printf("rows shown                 %d\n", model->rowCount());
    std::printf("comparison run             %lld ms\n", compared);
    std::printf("top level on screen after  %lld ms\n", shown);

    auto timed = [&](const char *what, auto step) {
        t.restart();
        step();
        paint();
        std::printf("%-26s %lld ms  (%d rows shown)\n", what, t.elapsed(), model->rowCount());
    };
    const int first = model->gridRow(0);
    timed("expand a top folder", [&] { tree->setExpanded(first, true); });
    timed("collapse it", [&] { tree->setExpanded(first, false); });
    // The last entry of the grid: every folder above it opens.
    const int last = window.workspace().fgF.rows() - 1;
    timed("open down to the last row", [&] { view->setCurrentCell(last, 0); });
    timed("sort by name", [&] { window.folderView().fgF_HeaderClick(0); });
    return 0;
}
