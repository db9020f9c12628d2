// Times each phase of a text comparison and its CSV export on two given files:
//   build/bench/text_pipeline LEFT RIGHT
// Prints seconds per phase (wall clock, and the CPU time of all threads beside it), so a
// regression shows where it happened. Both sides load at the same time, as a run loads them.
#include "encoding/Charset.h"
#include "engine/GuardedMatching.h"
#include "export/CsvExport.h"
#include "platform/FreedMemory.h"
#include "run/GridFill.h"
#include "run/SideSources.h"
#include "run/TextDiff.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>
#include <ctime>

namespace {

// CPU seconds of all threads, or of this thread alone: on a machine that other work keeps
// busy, the wall clock says little, and this thread's share shows what went to the other core.
double cpuSeconds(clockid_t clock = CLOCK_PROCESS_CPUTIME_ID) {
    timespec t{};
    clock_gettime(clock, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// The largest resident size so far, in MB: which phase sets the peak.
double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

// The resident size now, in MB.
double residentMegabytes() {
    QFile status(QStringLiteral("/proc/self/statm"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = status.readAll().split(' ');
    return fields.size() > 1 ? double(fields[1].toLongLong()) * 4096.0 / 1048576.0 : 0;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: text_pipeline LEFT RIGHT\n");
        return 2;
    }
    QElapsedTimer total, t;
    total.start();
    double cpu = cpuSeconds(), own = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
    auto lap = [&](const char *what) {
        const double now = cpuSeconds(), ownNow = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
        std::printf("%-22s %7.3f s  (cpu %.3f s, main thread %.3f s)  peak %.0f MB, now %.0f MB\n",
                    what, double(t.nsecsElapsed()) / 1e9, now - cpu, ownNow - own, peakMegabytes(),
                    residentMegabytes());
        cpu = now;
        own = ownNow;
        t.restart();
    };
    t.start();
    Workspace ws;
    // The right side is read, decoded and split on a second thread, as a run does it, the two
    // sides taking turns to decode.
    std::mutex decodeTurn;
    Background::Half<LoadedText> pendingRight =
        readTextInBackground(ws, QString::fromLocal8Bit(argv[2]), &decodeTurn);
    const QString leftText = LoadNormalizedText(QString::fromLocal8Bit(argv[1]), {}, &decodeTurn);
    lap("read + decode (left)");
    const LineViews left = LineViews::splitText(leftText);
    lap("split (left)");
    LoadedText loadedRight = pendingRight.get();
    const QString &rightText = loadedRight.decoded.text;
    const LineViews &right = loadedRight.lines;
    lap("wait for the right");
    PairTable table;
    matchLinesGuarded(left, right, MatchParams{}, table);
    releaseFreedMemory(); // as a run does, before the grid takes its memory
    lap("match");
    resetGridHeaders(ws);
    ws.fg.keepAlive(leftText);
    ws.fg.keepAlive(rightText);
    ws.fg.setRedraw(false); // a run tells no view of each cell it writes
    fillTextGrid(ws, table, left, right);
    ws.fg.setRedraw(true);
    lap("fill grid");
    QTemporaryDir dir;
    ExportCsvUtf8(ws, ws.fg, dir.filePath("out.csv"), QStringLiteral(","));
    lap("export CSV (UTF-8)");
    std::printf("%-22s %7.3f s  (cpu %.3f s, %d rows)\n", "total",
                double(total.nsecsElapsed()) / 1e9, cpuSeconds(), ws.fg.rows() - 1);
    return 0;
}
