// Writes a 100,000-row text result (a change every 20 rows, one-sided rows between) as a
// workbook and prints the time the export takes and the size of the file.
//   cmake --build build --target excel_export && build/excel_export [rows]
#include "engine/Workspace.h"
#include "export/ExcelExport.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv) {
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    Workspace ws;
    ws.cb = {QStringLiteral("/data/left/records.txt"), QStringLiteral("/data/right/records.txt")};
    ResultGrid &g = ws.fg;
    g.setRows(rows + 1);
    g.setText(0, 0, QStringLiteral("行数"));
    g.setText(0, 1, QStringLiteral("records.txt [2024/01/02 03:04:05]"));
    g.setText(0, 2, QStringLiteral("行数"));
    g.setText(0, 3, QStringLiteral("records.txt [2024/01/03 04:05:06]"));
    for (int r = 1; r <= rows; ++r) {
        const QString text = QStringLiteral("RECORD %1 顧客番号 %2 の行").arg(r).arg(r * 7);
        if (r % 20 == 7) {
            // Left only.
            g.setNumber(r, 0, r);
            g.setText(r, 1, text);
            for (int c = 0; c < 4; ++c)
                g.setBackColor(r, c, c < 2 ? ws.txtState[1] : ws.txtState[2]);
            continue;
        }
        g.setNumber(r, 0, r);
        g.setText(r, 1, text);
        g.setNumber(r, 2, r);
        g.setText(r, 3, r % 20 == 0 ? text + QStringLiteral(" CHANGED") : text);
        if (r % 20 == 0) {
            for (int c = 0; c < 4; ++c)
                g.setBackColor(r, c, ws.txtState[0]);
        }
    }
    ws.sShowView(ResultView::Text);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("result.xlsx"));
    QElapsedTimer timer;
    timer.start();
    const bool ok = ExportExcel(ws, g, path).ok;
    const qint64 ms = timer.elapsed();
    std::printf("rows %d: %s in %lld ms, %lld bytes\n", rows, ok ? "written" : "FAILED",
                static_cast<long long>(ms), static_cast<long long>(QFileInfo(path).size()));
    return ok ? 0 : 1;
}
