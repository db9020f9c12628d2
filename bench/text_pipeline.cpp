// Times each phase of a text comparison and its CSV export on two given files:
//   build/bench/text_pipeline LEFT RIGHT
// Prints seconds per phase, so a regression shows where it happened.
#include "encoding/Charset.h"
#include "engine/LineMatching.h"
#include "export/CsvExport.h"
#include "run/GridFill.h"
#include "run/TextDiff.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char **argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: text_pipeline LEFT RIGHT\n");
        return 2;
    }
    QElapsedTimer total, t;
    total.start();
    auto lap = [&](const char *what) {
        std::printf("%-22s %7.3f s\n", what, double(t.nsecsElapsed()) / 1e9);
        t.restart();
    };
    t.start();
    const QString leftText = LoadNormalizedText(QString::fromLocal8Bit(argv[1]));
    const QString rightText = LoadNormalizedText(QString::fromLocal8Bit(argv[2]));
    lap("read + decode");
    const QStringList left = splitLinesShared(leftText), right = splitLinesShared(rightText);
    lap("split");
    PairTable table;
    matchLines(left, right, MatchParams{}, table);
    lap("match");
    Workspace ws;
    resetGridHeaders(ws);
    ws.fg.keepAlive(leftText);
    ws.fg.keepAlive(rightText);
    fillTextGrid(ws, table, left, right);
    lap("fill grid");
    QTemporaryDir dir;
    ExportCsvUtf8(ws, ws.fg, dir.filePath("out.csv"), QStringLiteral(","));
    lap("export CSV (UTF-8)");
    std::printf("%-22s %7.3f s  (%d rows)\n", "total", double(total.nsecsElapsed()) / 1e9,
                ws.fg.rows() - 1);
    return 0;
}
