// Times reading a large side for editing and saving it with a few lines edited, beside `cp`
// of the same file (and `cp` followed by `sync` of the copy, as saving flushes its file):
//   build/bench/edit_save [lines]        (default 1,000,000)
// Prints the best of three runs of each, in seconds, for a UTF-8 and a Shift_JIS side.
#include "edit/ReadEditableText.h"
#include "edit/SaveEditableText.h"
#include "encoding/Charset.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>

namespace {

// Source-like lines, a tenth of them blank and some with Japanese text, CR LF ends.
QByteArray generated(int lines, bool shiftJis) {
    QByteArray bytes;
    bytes.reserve(qsizetype(lines) * 56);
    for (int k = 1; k <= lines; ++k) {
        QString line;
        if (k % 10 == 0)
            line = QString();
        else if (k % 7 == 0)
            line = QStringLiteral("    // 第%1項目の値を計算する").arg(k);
        else
            line = QStringLiteral("    value_%1 = compute(%2, \"record %1 of the text\");")
                       .arg(k)
                       .arg(k * 7);
        bytes += shiftJis ? EncodeAnsi(line) : line.toUtf8();
        bytes += "\r\n";
    }
    return bytes;
}

// CPU seconds of this process: on a busy machine the wall clock says little.
double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

struct Timing {
    double wall = 1e9;
    double cpu = 1e9;
};

// The best wall and CPU times of three runs of work; before each, setUp (when given) off the
// clock.
Timing bestOfThree(const std::function<void()> &work, const std::function<void()> &setUp = {}) {
    Timing best;
    for (int run = 0; run < 3; ++run) {
        if (setUp)
            setUp();
        QElapsedTimer t;
        const double cpu = cpuSeconds();
        t.start();
        work();
        best.wall = std::min(best.wall, double(t.nsecsElapsed()) / 1e9);
        best.cpu = std::min(best.cpu, cpuSeconds() - cpu);
    }
    return best;
}

void print(const char *what, const Timing &timing) {
    std::printf("  %-34s %7.3f s  (cpu %.3f s)\n", what, timing.wall, timing.cpu);
}

void shell(const QString &command) {
    if (std::system(command.toLocal8Bit().constData()) != 0)
        std::fprintf(stderr, "failed: %s\n", qPrintable(command));
}

void measure(const QTemporaryDir &dir, int lines, bool shiftJis) {
    const QString path = dir.filePath(shiftJis ? "sjis.txt" : "utf8.txt");
    const QString copy = dir.filePath("copy.txt");
    const QByteArray bytes = generated(lines, shiftJis);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return;
    file.close();
    shell(QStringLiteral("sync"));

    // What a read leaves is let go outside the clock.
    QString text;
    const Timing compared =
        bestOfThree([&] { text = LoadNormalizedText(path); }, [&] { text = QString(); });
    EditableText side;
    const Timing read =
        bestOfThree([&] { side = readEditableText(path); }, [&] { side = EditableText(); });
    qsizetype kept = 0;
    for (const EditLine &line : side.lines())
        kept += line.isOriginal() ? 1 : 0;
    // Five lines edited, spread over the file.
    for (qsizetype k = 1; k <= 5; ++k) {
        const qsizetype at = side.lineCount() * k / 6;
        side.replace(at, 1, {EditLine{QStringLiteral("編集した行 %1").arg(k), side.line(at).end}});
    }
    const Timing made = bestOfThree([&] { (void)editableTextBytes(side, QString()); });
    const Timing save = bestOfThree([&] {
        if (!saveEditableText(side, path).saved())
            std::fprintf(stderr, "save failed\n");
    });
    // Another encoding: every line is encoded and read back.
    const Timing other = bestOfThree([&] {
        if (!editableTextBytes(side, shiftJis ? QStringLiteral("UTF8") : QStringLiteral("SJIS"))
                 .problem.saved())
            std::fprintf(stderr, "encoding failed\n");
    });
    const Timing cp = bestOfThree([&] { shell("cp " + path + " " + copy); });
    const Timing cpSync =
        bestOfThree([&] { shell("cp " + path + " " + copy + " && sync " + copy); });

    std::printf("%s side: %d lines, %.1f MB, %lld of %lld lines keep their bytes\n",
                shiftJis ? "Shift_JIS" : "UTF-8", lines, double(bytes.size()) / 1048576.0,
                qint64(kept), qint64(side.lineCount()));
    print("compared read (LoadNormalizedText)", compared);
    print("read for editing", read);
    print("bytes of the edited side", made);
    print("save (5 lines edited, flushed)", save);
    print(shiftJis ? "bytes as UTF-8 (all lines encoded)" : "bytes as Shift_JIS (all encoded)",
          other);
    print("cp (child process: wall only)", cp);
    print("cp + sync of the copy", cpSync);
}

} // namespace

int main(int argc, char **argv) {
    const int lines = argc > 1 ? std::atoi(argv[1]) : 1000000;
    QTemporaryDir dir;
    measure(dir, lines, false);
    measure(dir, lines, true);
    return 0;
}
