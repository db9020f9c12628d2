// Prints the time of one page repaint of the text grid with every row a changed pair of code
// lines, with the inline marks off, on at first sight of each page (the rows' character diffs
// made during the paint), and on again (the diffs cached); then the diff of one pair of
// 100,000-character lines with scattered changes.
//   cmake --build build --target inline_repaint && build/inline_repaint [rows]
#include "engine/CharDiff.h"
#include "engine/Workspace.h"
#include "mainwindow/InlineDiffDelegate.h"
#include "mainwindow/ResultGridView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QScrollBar>

#include <cstdio>

namespace {

QString codeLine(int k, bool edited) {
    QString line =
        QStringLiteral("    const int value%1 = compute(first%1, second, \"label %1\");").arg(k);
    if (edited) {
        line.replace(QStringLiteral("second"), QStringLiteral("other"));
        line.replace(QStringLiteral("label"), QStringLiteral("title"));
    }
    return line;
}

// Average milliseconds of a repaint of each of `pages` pages, from the top.
double pageRepaints(ResultGridView &view, int pages) {
    QElapsedTimer t;
    t.start();
    for (int p = 0; p < pages; ++p) {
        view.setTopRow(1 + p * view.visibleRows());
        view.viewport()->repaint();
    }
    return double(t.nsecsElapsed()) / 1e6 / pages;
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 20000;

    Workspace ws;
    ResultGrid &g = ws.fg;
    g.setRedraw(false);
    g.setRows(rows + 1);
    for (int r = 1; r <= rows; ++r) {
        g.setNumber(r, 0, r);
        g.setText(r, 1, codeLine(r, false));
        g.setNumber(r, 2, r);
        g.setText(r, 3, codeLine(r, true));
        for (int c = 0; c < 4; ++c)
            g.setBackColor(r, c, ws.txtState[0]);
    }
    g.setRedraw(true);

    ResultGridView view(&g);
    view.setItemDelegate(new InlineDiffDelegate(ws, &view));
    view.resize(1200, 900);
    view.setColumnWidth(1, 520);
    view.setColumnWidth(3, 520);
    view.show();
    QApplication::processEvents();
    const int pages = std::min(200, rows / view.visibleRows() - 1);

    ws.inlineDiff = false;
    pageRepaints(view, 5); // warm-up: fonts and glyph caches
    const double off = pageRepaints(view, pages);
    ws.inlineDiff = true;
    const double cold = pageRepaints(view, pages);
    const double warm = pageRepaints(view, pages);
    std::printf("page of %d rows, %d pages: off %.2f ms, on (diffs made) %.2f ms (+%.2f), "
                "on (cached) %.2f ms (+%.2f)\n",
                view.visibleRows(), pages, off, cold, cold - off, warm, warm - off);

    QString left, right;
    QRandomGenerator random(1);
    for (int k = 0; k < 100000; ++k) {
        const QChar c(char16_t(u'a' + random.bounded(26)));
        left += c;
        right += random.bounded(50) == 0 ? QChar(u'#') : c;
    }
    QElapsedTimer t;
    t.start();
    const LineMarks marks = diffCharacters(left, right);
    std::printf("100,000-character pair with 2%% scattered changes: %.2f ms, %lld marked runs\n",
                double(t.nsecsElapsed()) / 1e6, qlonglong(marks.left.size()));
    return 0;
}
