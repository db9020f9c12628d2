// Two workbooks of 20 sheets × 10,000 rows × 10 columns (numbers and texts), one changed cell
// in every other sheet of the right one. Prints the time of the sheet lists (names and used
// ranges), and of the marks that tell which sheet pairs differ (both books read whole, 20
// pairs compared), cell by cell and with rows aligned.
//   cmake --build build --target sheet_marks && build/sheet_marks [sheets] [rows]
#include "sheet/SheetPairMarks.h"
#include "sheet/Workbook.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

bool writeBook(const QString &path, int sheets, int rows, bool changed) {
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    lxw_workbook *book = workbook_new_opt(QFile::encodeName(path).constData(), &options);
    if (!book)
        return false;
    for (int s = 0; s < sheets; ++s) {
        const QByteArray name = "Sheet" + QByteArray::number(s + 1);
        lxw_worksheet *sheet = workbook_add_worksheet(book, name.constData());
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < 10; ++c) {
                if (c % 2 == 0) {
                    double value = r * 10.0 + c + s * 0.25;
                    if (changed && s % 2 == 0 && r == rows / 2 && c == 4)
                        value += 1;
                    worksheet_write_number(sheet, lxw_row_t(r), lxw_col_t(c), value, nullptr);
                } else {
                    const QByteArray text = "品目" + QByteArray::number((r * 7 + c) % 500);
                    worksheet_write_string(sheet, lxw_row_t(r), lxw_col_t(c), text.constData(),
                                           nullptr);
                }
            }
        }
    }
    return workbook_close(book) == LXW_NO_ERROR;
}

// Processor time of the whole process (all threads), in ms: on a shared machine a truer figure
// than the elapsed time.
long long cpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return (long long)(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

} // namespace

int main(int argc, char **argv) {
    const int sheets = argc > 1 ? std::clamp(std::atoi(argv[1]), 1, 200) : 20;
    const int rows = argc > 2 ? std::clamp(std::atoi(argv[2]), 1, 1000000) : 10000;
    QTemporaryDir dir;
    const std::array<QString, 2> paths = {dir.filePath(QStringLiteral("left.xlsx")),
                                          dir.filePath(QStringLiteral("right.xlsx"))};
    if (!writeBook(paths[0], sheets, rows, false) || !writeBook(paths[1], sheets, rows, true)) {
        std::printf("could not write the workbooks\n");
        return 1;
    }
    std::printf("%d sheets × %d rows × 10 columns, %lld and %lld bytes\n", sheets, rows,
                static_cast<long long>(QFileInfo(paths[0]).size()),
                static_cast<long long>(QFileInfo(paths[1]).size()));

    QElapsedTimer timer;
    timer.start();
    long long cpu = cpuMs();
    QString error;
    for (const QString &path : paths) {
        if (!readWorkbook(path, false, &error)) {
            std::printf("sheet list: %s\n", qPrintable(error));
            return 1;
        }
    }
    std::printf("sheet lists of both: %lld ms (processor %lld ms)\n",
                static_cast<long long>(timer.elapsed()), cpuMs() - cpu);

    QList<SheetNamePair> pairs;
    for (int s = 0; s < sheets; ++s) {
        const QString name = QStringLiteral("Sheet%1").arg(s + 1);
        pairs << SheetNamePair{name, name};
    }
    for (const bool align : {false, true}) {
        timer.restart();
        cpu = cpuMs();
        const auto marks = markSheetPairs(paths, pairs, align, &error);
        const qint64 ms = timer.elapsed();
        if (!marks) {
            std::printf("marks: %s\n", qPrintable(error));
            return 1;
        }
        const qsizetype differing =
            std::count(marks->begin(), marks->end(), SheetPairMark::Differs);
        std::printf("marks of %d pairs%s: %lld differ, %lld ms (processor %lld ms)\n", sheets,
                    align ? " (rows aligned)" : "", static_cast<long long>(differing),
                    static_cast<long long>(ms), cpuMs() - cpu);
    }
    return 0;
}
