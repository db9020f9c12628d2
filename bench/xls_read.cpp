// Reads a legacy .xls of 65,535 rows × 20 columns (numbers, shared strings, formulas with
// their results) and prints the time for the sheet list (names and used ranges) and for all
// cells.
//   cmake --build build --target xls_read && build/xls_read [rows]
#include "../tests/support/XlsBuilder.h"
#include "sheet/Workbook.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv) {
    using namespace XlsBuilder;
    const int rows = argc > 1 ? std::clamp(std::atoi(argv[1]), 1, 65535) : 65535;
    QStringList strings;
    for (int k = 0; k < 300; ++k)
        strings << QStringLiteral("品目%1").arg(k);
    Book book;
    book.sharedStrings = sst(strings);
    QByteArray cells;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < 10; ++c)
            cells += number(r, c, r * 0.5 + c);
        for (int c = 10; c < 15; ++c)
            cells += labelSst(r, c, quint32((r + c) % strings.size()));
        for (int c = 15; c < 20; ++c)
            cells += formulaNumber(r, c, r + c);
    }
    book.sheets = {{QStringLiteral("Data"), cells}};
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.xls"));
    if (!write(path, book)) {
        std::printf("could not write the workbook\n");
        return 1;
    }
    for (const bool withCells : {false, true}) {
        QElapsedTimer timer;
        timer.start();
        QString error;
        const auto read = readWorkbook(path, withCells, &error);
        const qint64 ms = timer.elapsed();
        std::printf("%d rows × 20, %lld bytes, %s: %s in %lld ms\n", rows,
                    static_cast<long long>(QFileInfo(path).size()),
                    withCells ? "all cells" : "sheet list",
                    read ? qPrintable(read->sheets[0].usedRangeAddress()) : qPrintable(error),
                    static_cast<long long>(ms));
    }
    return 0;
}
