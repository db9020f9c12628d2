// How a comparison run on the worker thread costs and how free it leaves the window's thread.
//   build/run_responsiveness [BINARY_MB] [TEXT_LINES]   (defaults 200 and 1000000)
// For a binary pair and a text pair it prints: the run alone on this thread with no polling
// hooks at all, the same run on the worker as the window starts it (abort checks and progress
// reports included) and the difference as the polling overhead, and the longest time the
// window's event loop went without turning (a 5 ms timer) while the run worked.
#include "run/ComparisonRunner.h"
#include "run/TextDiff.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace {

bool writeBinary(const QString &left, const QString &right, qint64 size) {
    QFile a(left), b(right);
    if (!a.open(QIODevice::WriteOnly) || !b.open(QIODevice::WriteOnly))
        return false;
    std::mt19937 random(7);
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    for (qint64 done = 0; done < size; done += chunk.size()) {
        for (char &c : chunk)
            c = char(random());
        a.write(chunk);
        chunk[int(random() % chunk.size())] ^= 1;
        b.write(chunk);
    }
    return true;
}

bool writeText(const QString &left, const QString &right, int lines) {
    QFile a(left), b(right);
    if (!a.open(QIODevice::WriteOnly) || !b.open(QIODevice::WriteOnly))
        return false;
    std::mt19937 random(11);
    for (int k = 0; k < lines; ++k) {
        const QByteArray line = "    value_" + QByteArray::number(k) + " = compute(" +
                                QByteArray::number(int(random() % 100000)) + ");\n";
        a.write(line);
        b.write(random() % 100 == 0 ? "    changed " + line : line);
    }
    return true;
}

double directSeconds(const QString &left, const QString &right, bool binary) {
    Workspace ws;
    ws.Binary = binary;
    QElapsedTimer t;
    t.start();
    fTextDiff(ws, left, right);
    return t.nsecsElapsed() / 1e9;
}

struct OnWorker {
    double seconds = 0;
    double longestGapMs = 0;
    int progressTexts = 0;
};

OnWorker workerRun(const QString &left, const QString &right, bool binary) {
    Workspace shown;
    shown.Binary = binary;
    shown.cb = {left, right};
    auto run = std::make_unique<Workspace>();
    shown.copyRunInputsTo(*run);
    ComparisonRunner runner;
    OnWorker result;
    QObject::connect(&runner, &ComparisonRunner::progress, [&] { ++result.progressTexts; });
    QElapsedTimer sinceTurn;
    QTimer tick;
    tick.setInterval(5);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        result.longestGapMs = std::max(result.longestGapMs, sinceTurn.nsecsElapsed() / 1e6);
        sinceTurn.start();
    });
    bool done = false;
    QObject::connect(&runner, &ComparisonRunner::finished, [&] {
        shown.adoptResult(*runner.takeResult());
        done = true;
    });
    QElapsedTimer t;
    t.start();
    sinceTurn.start();
    tick.start();
    runner.start(std::move(run));
    while (!done)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    result.seconds = t.nsecsElapsed() / 1e9;
    return result;
}

void report(const char *what, const QString &left, const QString &right, bool binary) {
    const double direct = directSeconds(left, right, binary);
    const OnWorker worker = workerRun(left, right, binary);
    std::printf("%s: direct %.3f s, on the worker %.3f s, polling overhead %+.1f %%, longest "
                "gap of the window's loop %.1f ms, %d progress texts\n",
                what, direct, worker.seconds, (worker.seconds / direct - 1) * 100,
                worker.longestGapMs, worker.progressTexts);
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const qint64 megabytes = argc > 1 ? std::atoll(argv[1]) : 200;
    const int lines = argc > 2 ? std::atoi(argv[2]) : 1000000;
    QTemporaryDir dir;
    const QString a = dir.filePath("a.bin"), b = dir.filePath("b.bin");
    const QString ta = dir.filePath("a.txt"), tb = dir.filePath("b.txt");
    if (!writeBinary(a, b, megabytes << 20) || !writeText(ta, tb, lines)) {
        std::fprintf(stderr, "cannot write the inputs\n");
        return 2;
    }
    report("binary pair", a, b, true);
    report("text pair", ta, tb, false);
    return 0;
}
