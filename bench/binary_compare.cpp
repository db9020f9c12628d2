// Binary comparison of two large files: dump both sides into the binary grid and compare the
// rows, then the same with only the differences kept.
//   build/binary_compare [MEGABYTES]   (default 100)
// Writes two files of that size with scattered differences into a temporary folder, prints
// seconds per phase and the peak resident memory against the two files' size.
#include "run/BinaryDump.h"
#include "run/GridFill.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Peak resident set size in kB (VmHWM), or -1 when /proc is not there.
long peakKb() {
    FILE *f = std::fopen("/proc/self/status", "r");
    if (!f)
        return -1;
    char line[256];
    long kb = -1;
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, "VmHWM:", 6) == 0)
            kb = std::atol(line + 6);
    std::fclose(f);
    return kb;
}

// Pseudo-random bytes written a megabyte at a time, so generating costs no memory. The right
// file differs in one byte every ~64 kB, and is 100 bytes longer.
bool writeFiles(const QString &left, const QString &right, qint64 size) {
    QFile a(left), b(right);
    if (!a.open(QIODevice::WriteOnly) || !b.open(QIODevice::WriteOnly))
        return false;
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    quint32 state = 12345;
    for (qint64 done = 0; done < size; done += chunk.size()) {
        const qint64 n = std::min<qint64>(chunk.size(), size - done);
        for (qint64 i = 0; i < n; ++i) {
            state = state * 1664525u + 1013904223u;
            chunk[i] = char(state >> 24);
        }
        a.write(chunk.constData(), n);
        for (qint64 i = 4099; i < n; i += 65536)
            chunk[i] = char(~chunk[i]);
        b.write(chunk.constData(), n);
    }
    b.write(QByteArray(100, 'x'));
    return a.error() == QFile::NoError && b.error() == QFile::NoError;
}

} // namespace

int main(int argc, char **argv) {
    const qint64 megabytes = argc > 1 ? std::atoll(argv[1]) : 100;
    const qint64 size = megabytes * 1024 * 1024;
    QTemporaryDir dir;
    const QString left = dir.filePath(QStringLiteral("left.bin"));
    const QString right = dir.filePath(QStringLiteral("right.bin"));
    if (!dir.isValid() || !writeFiles(left, right, size)) {
        std::fprintf(stderr, "cannot write the test files in %s\n", qPrintable(dir.path()));
        return 1;
    }
    const long before = peakKb();

    QElapsedTimer t;
    for (bool onlyDifferences : {false, true}) {
        Workspace ws;
        ws.OnlyDF = onlyDifferences;
        resetGridHeaders(ws);
        t.start();
        dumpFile(ws, 0, left);
        dumpFile(ws, 1, right);
        const double dumped = double(t.nsecsElapsed()) / 1e9;
        compareBinaryRows(ws);
        const double total = double(t.nsecsElapsed()) / 1e9;
        std::printf("%s: dump %.3f s, compare %.3f s, total %.3f s; %d rows, %d changed, "
                    "%d right only\n",
                    onlyDifferences ? "only differences" : "all rows        ", dumped,
                    total - dumped, total, ws.fgB.rows(), ws.DiffCount, ws.RightOnlyCount);
        // Reading every text of a few rows, as the view does for what it shows.
        t.start();
        qsizetype chars = 0;
        for (int r = 2; r < std::min(ws.fgB.rows(), 100002); ++r)
            for (int c = 0; c < 4; ++c)
                chars += ws.fgB.text(r, c).size();
        std::printf("  texts of 100000 rows: %.3f s (%lld characters)\n",
                    double(t.nsecsElapsed()) / 1e9, static_cast<long long>(chars));
    }
    const long peak = peakKb();
    const double files = 2.0 * double(size) / 1024.0;
    std::printf("peak RSS %.1f MB (%.1f MB before the runs) = %.2f x the two files' %.1f MB "
                "(target < 2.5 x)\n",
                double(peak) / 1024.0, double(before) / 1024.0, double(peak) / files,
                files / 1024.0);
    return 0;
}
