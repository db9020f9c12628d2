// Opens the cell comparison of two generated sheets of 100,000 rows × 20 columns (numbers,
// texts, dates; one cell in 50 changed) in the sheet window, offscreen unless a display is
// given, and prints the time from the command until the window is painted, split into the
// background work (reading, comparing, writing the copies) and the window's own part.
//   cmake --build build --target sheet_window && build/sheet_window [rows] [cols]
#include "BenchWindow.h"
#include "mainwindow/SheetViewController.h"
#include "mainwindow/frmMain.h"
#include "sheet/CompareSheets.h"
#include "sheet/ui/SheetCompareWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QTableView>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <xlsxwriter.h>

#include <cstdio>
#include <ctime>

namespace {

void writeBook(const QString &path, int rows, int cols, bool edited) {
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    lxw_workbook *book = workbook_new_opt(QFile::encodeName(path).constData(), &options);
    lxw_worksheet *sheet = workbook_add_worksheet(book, "Data");
    lxw_format *date = workbook_add_format(book);
    format_set_num_format(date, "yyyy/mm/dd");
    lxw_format *money = workbook_add_format(book);
    format_set_num_format(money, "#,##0.00");
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            const bool change = edited && (r * cols + c) % 50 == 7;
            const double n = r * 31.0 + c + (change ? 1 : 0);
            switch (c % 4) {
            case 0:
                worksheet_write_number(sheet, lxw_row_t(r), lxw_col_t(c), n, nullptr);
                break;
            case 1:
                worksheet_write_number(sheet, lxw_row_t(r), lxw_col_t(c), n / 7, money);
                break;
            case 2:
                worksheet_write_number(sheet, lxw_row_t(r), lxw_col_t(c),
                                       40000 + (r + (change ? 1 : 0)) % 9000, date);
                break;
            default: {
                const QByteArray text = "item " + QByteArray::number(r % 977) +
                                        (change ? " changed" : "") + " c" + QByteArray::number(c);
                worksheet_write_string(sheet, lxw_row_t(r), lxw_col_t(c), text.constData(),
                                       nullptr);
            }
            }
        }
    }
    workbook_close(book);
}

// Processor time of the whole process, in ms: on a machine shared with other work, a truer
// figure than the elapsed time.
qint64 cpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int cols = argc > 2 ? std::atoi(argv[2]) : 20;
    QTemporaryDir dir;
    const QString a = dir.filePath("a.xlsx"), b = dir.filePath("b.xlsx");
    writeBook(a, rows, cols, false);
    writeBook(b, rows, cols, true);
    QFile settings(dir.filePath("setting.ini"));
    settings.open(QIODevice::WriteOnly);
    settings.write("[Corvane]\n");
    settings.close();

    // The steps of the background work one by one.
    QElapsedTimer step;
    step.start();
    qint64 cpu = cpuMs();
    QString error;
    std::optional<Workbook> books[2] = {readWorkbook(a, true, &error),
                                        readWorkbook(b, true, &error)};
    const qint64 readTime = step.restart();
    const qint64 readCpu = cpuMs() - cpu;
    cpu = cpuMs();
    const SheetComparison comparison =
        compareSheets(books[0]->sheets[0], books[1]->sheets[0], {0xFFFF, 0xFF0000, 0xFFFF00});
    const qint64 compareTime = step.restart();
    const qint64 compareCpu = cpuMs() - cpu;
    cpu = cpuMs();
    for (int side = 0; side < 2; ++side)
        writeColouredSheet(books[side]->sheets[0],
                           side == 0 ? comparison.leftColors : comparison.rightColors, 100,
                           dir.filePath(QStringLiteral("copy%1.xlsx").arg(side)));
    const qint64 writeTime = step.restart();
    const qint64 writeCpu = cpuMs() - cpu;
    cpu = cpuMs();
    books[0].reset();
    books[1].reset();
    const qint64 freeTime = step.restart();
    const qint64 freeCpu = cpuMs() - cpu;

    frmMain window({}, dir.filePath("setting.ini"));
    prepareBenchWindow(window, a, b);
    window.sheetView().openInSpreadsheet = [](const QStringList &) {};
    window.runComparison();
    window.waitForRun();
    SheetViewController &sheets = window.sheetView();
    for (QTreeWidget *list : sheets.lv)
        list->setCurrentItem(list->topLevelItem(0));

    QElapsedTimer t;
    t.start();
    const qint64 windowCpuStart = cpuMs();
    sheets.CompareSheets();
    // The window opens before the coloured copies are written.
    while (!sheets.sheetCompareWindow() && window.isRunning())
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    SheetCompareWindow *shown = sheets.sheetCompareWindow();
    if (!shown) {
        std::printf("no sheet window: %s\n", qPrintable(window.workspace().statusText()));
        return 1;
    }
    QApplication::processEvents();
    for (int side = 0; side < 2; ++side)
        shown->view(side)->viewport()->repaint();
    const qint64 total = t.elapsed();
    const qint64 totalCpu = cpuMs() - windowCpuStart;
    window.waitForRun();
    const qint64 copies = t.elapsed();

    t.restart();
    shown->moveToDifference(true);
    for (int k = 0; k < 100; ++k)
        shown->moveToDifference(true);
    QApplication::processEvents();
    const qint64 walk = t.elapsed();

    std::printf("sheet                      %d rows x %d columns\n", rows, cols);
    std::printf("(elapsed time; processor time of all threads in brackets)\n");
    std::printf("window painted after       %lld ms (%lld ms)\n", total, totalCpu);
    std::printf("copies written after       %lld ms\n", copies);
    std::printf("101 steps to a difference  %lld ms\n", walk);
    std::printf("  read both books          %lld ms (%lld ms)\n", readTime, readCpu);
    std::printf("  compare                  %lld ms (%lld ms)\n", compareTime, compareCpu);
    std::printf("  write both copies        %lld ms (%lld ms)\n", writeTime, writeCpu);
    std::printf("  free both books          %lld ms (%lld ms)\n", freeTime, freeCpu);
    std::printf("status                     %s\n", qPrintable(shown->statusText()));
    return 0;
}
