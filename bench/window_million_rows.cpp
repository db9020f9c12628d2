// Shows a comparison of two generated 1,000,000-line files in the main window (offscreen
// unless a display is given) and prints: the time from the end of the comparison until the
// result is painted, the overview bar's drawing time, the time of page scrolls through the
// whole result, and the memory the views add. With "wrap" the window is in wrap mode
// (setting Return=1) and every 10th line is long enough to wrap several times.
//   cmake --build build --target window_million_rows && build/window_million_rows [lines] [wrap]
//   build/window_million_rows LEFT RIGHT [wrap]     (two files of your own)
#include "BenchWindow.h"
#include "mainwindow/DiffOverviewBar.h"
#include "mainwindow/ResultGridView.h"
#include "mainwindow/frmMain.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

namespace {

long residentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

void writeLines(const QString &path, int lines, int editEvery, bool longLines) {
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    QByteArray text;
    const QByteArray filler = QByteArray("some words to wrap ").repeated(20);
    for (int k = 0; k < lines; ++k) {
        text += "RECORD " + QByteArray::number(k);
        if (longLines && k % 10 == 0)
            text += ' ' + filler;
        if (editEvery > 0 && k % editEvery == 0)
            text += " CHANGED";
        text += '\n';
    }
    f.write(text);
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Two existing files are compared as they are (e.g. the pair bench/compare_with_diff.sh
    // times in batch); otherwise a pair of the given length is made.
    const bool given = argc > 2 && QFileInfo(QString::fromLocal8Bit(argv[1])).isFile() &&
                       QFileInfo(QString::fromLocal8Bit(argv[2])).isFile();
    const int lines = argc > 1 && !given ? std::atoi(argv[1]) : 1000000;
    const bool wrap = argc > 2 && QByteArray(argv[argc - 1]) == "wrap";
    QTemporaryDir dir;
    QString a = dir.filePath("a.txt"), b = dir.filePath("b.txt");
    if (given) {
        a = QString::fromLocal8Bit(argv[1]);
        b = QString::fromLocal8Bit(argv[2]);
    } else {
        writeLines(a, lines, 0, wrap);
        writeLines(b, lines, 100, wrap);
    }
    QFile settings(dir.filePath("setting.ini"));
    settings.open(QIODevice::WriteOnly);
    settings.write(wrap ? "[Corvane]\nReturn=1\n" : "[Corvane]\n");
    settings.close();

    frmMain window({}, dir.filePath("setting.ini"));
    prepareBenchWindow(window, a, b);
    QElapsedTimer t;
    t.start();
    window.runComparison();
    window.waitForRun();
    const qint64 compared = t.elapsed();
    const long rssBeforePaint = residentKb();
    ResultGridView *view = window.view(ResultView::Text);
    t.restart();
    view->viewport()->repaint();
    QApplication::processEvents();
    const qint64 shown = t.elapsed();

    t.restart();
    window.sDiffbarPrint();
    const qint64 bar = t.elapsed();

    t.restart();
    const int pages = 200;
    const int rows = window.workspace().fg.rows();
    for (int k = 0; k < pages; ++k) {
        view->setTopRow(1 + int(qint64(rows - 1) * k / pages));
        view->viewport()->repaint();
    }
    const double perPage = double(t.elapsed()) / pages;

    std::printf("rows                     %d%s\n", rows - 1, wrap ? " (wrap mode)" : "");
    std::printf("comparison run           %lld ms\n", compared);
    std::printf("result on screen after   %lld ms\n", shown);
    std::printf("overview bar drawn in    %lld ms\n", bar);
    std::printf("scroll + repaint a page  %.2f ms\n", perPage);
    std::printf("memory added by painting %ld KB (resident %ld KB)\n",
                residentKb() - rssBeforePaint, residentKb());
    return 0;
}
