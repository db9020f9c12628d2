// Times taking a difference block across in the main window (Alt+→) on two generated files of
// 100,000 and 1,000,000 lines (1 % of the lines changed): from the command until the view,
// counters, overview bar and status show the re-compared texts. The first change also reads
// both files for editing; it is printed apart from the ones after it, and so is an undo.
//   cmake --build build --target edit_copy_block && build/edit_copy_block [lines...]
#include "BenchWindow.h"
#include "edit/EditSources.h"
#include "mainwindow/ResultGridView.h"
#include "mainwindow/TextEditController.h"
#include "mainwindow/frmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

void writeLines(const QString &path, int lines, bool changed) {
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    QByteArray text;
    for (int k = 0; k < lines; ++k) {
        text += "RECORD " + QByteArray::number(k) + " of the generated text";
        if (changed && k % 100 == 50)
            text += " CHANGED";
        text += '\n';
    }
    f.write(text);
}

double millisecondsOf(const std::function<void()> &command) {
    QElapsedTimer clock;
    clock.start();
    command();
    QApplication::processEvents(); // the view repaints
    return double(clock.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QList<int> sizes;
    for (int k = 1; k < argc; ++k)
        sizes << QByteArray(argv[k]).toInt();
    if (sizes.isEmpty())
        sizes = {100000, 1000000};
    for (const int lines : sizes) {
        QTemporaryDir dir;
        const QString left = dir.filePath(QStringLiteral("left.txt"));
        const QString right = dir.filePath(QStringLiteral("right.txt"));
        writeLines(left, lines, false);
        writeLines(right, lines, true);
        frmMain window({}, dir.filePath(QStringLiteral("setting.ini")));
        prepareBenchWindow(window, left, right);
        window.runComparison();
        window.waitForRun();
        ResultGridView *view = window.view(ResultView::Text);
        TextEditController &edit = window.textEdit();
        auto copyAt = [&](int row) {
            view->setCurrentCell(row, 1);
            return millisecondsOf([&] { edit.copyToSide(1); });
        };
        const double first = copyAt(51);
        double later = 0;
        const int repeats = 5;
        for (int k = 1; k <= repeats; ++k)
            later += copyAt(51 + 100 * k);
        const double undo = millisecondsOf([&] { edit.undo(); });
        std::printf("%d lines: first Alt+→ (reads both files) %.0f ms, later Alt+→ %.0f ms, "
                    "undo %.0f ms; status \"%s\"\n",
                    lines, first, later / repeats, undo,
                    window.workspace().statusText().toUtf8().constData());
        edit.ask = [](const QString &, const QStringList &) { return 1; }; // dropped

        // The same change without the window: the session's re-comparison alone.
        QString problem;
        EditSession session(*readSideForEditing(left, QString(), &problem),
                            *readSideForEditing(right, QString(), &problem), CompareSettings());
        const double core = millisecondsOf(
            [&] { session.copyBlocks(0, {session.blockAt(session.rowOfLine(1, 150))}); });
        std::printf("%d lines: the session's re-comparison alone %.0f ms\n", lines, core);
    }
    return 0;
}
