// The folder content check (mode 1, bytes) over two folders that each hold a few large files and
// many small ones: prints the run's time, the longest stall seen by a separate process that
// wakes every 20 ms, and how much the page cache grew, with the files' pages cached and not
// cached beforehand; then the same for `cmp` over the same pairs.
//   cmake --build build --target large_files_content
//   build/large_files_content [FOLDER] [--dense MB]
// FOLDER (default: a temporary folder) receives L/ and R/: two 1.5 GB sparse files each (holes
// cost no disk space) and 300 small files; --dense writes the large files as MB megabytes of
// real bytes instead, to see the disk itself. Everything written is removed at the end.
#include "engine/Workspace.h"
#include "folder/SearchFile.h"
#include "platform/NativePath.h"
#include "run/GridFill.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <functional>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace {

constexpr int LargeFiles = 2;
constexpr int SmallFiles = 300;
constexpr qint64 SparseBytes = qint64(1536) << 20;

qint64 nowMicros() {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

// A process of its own that wakes every 20 ms and keeps the longest delay past a tick, as a
// desktop's animation would feel it. stop() returns that delay in milliseconds.
class StallSampler {
public:
    StallSampler() {
        int control[2], result[2];
        if (::pipe(control) != 0 || ::pipe(result) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(control[1]);
            ::close(result[0]);
            qint64 worst = 0;
            qint64 last = nowMicros();
            pollfd fd{control[0], POLLIN, 0};
            while (::poll(&fd, 1, 20) == 0) {
                const qint64 now = nowMicros();
                worst = std::max(worst, now - last - 20000);
                last = now;
            }
            (void)!::write(result[1], &worst, sizeof worst);
            ::_exit(0);
        }
        ::close(control[0]);
        ::close(result[1]);
        m_control = control[1];
        m_result = result[0];
    }
    double stop() {
        qint64 worst = -1000;
        ::close(m_control);
        (void)!::read(m_result, &worst, sizeof worst);
        ::close(m_result);
        ::waitpid(m_pid, nullptr, 0);
        return double(worst) / 1000.0;
    }

private:
    pid_t m_pid = -1;
    int m_control = -1;
    int m_result = -1;
};

qint64 cachedKiB() {
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    if (!meminfo.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : meminfo.readAll().split('\n'))
        if (line.startsWith("Cached:"))
            return line.mid(7).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

QStringList filesOf(const QString &folder) {
    QStringList out;
    for (const QString &name : QDir(folder).entryList(QDir::Files, QDir::Name))
        out << folder + QLatin1Char('/') + name;
    return out;
}

// Takes the files' pages out of the page cache (the kernel drops clean pages on request).
void uncache(const QStringList &files) {
    for (const QString &f : files) {
        const int fd = ::open(QFile::encodeName(f).constData(), O_RDONLY);
        if (fd < 0)
            continue;
        ::fdatasync(fd);
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
}

void readAll(const QStringList &files) {
    static char block[1 << 20];
    for (const QString &f : files) {
        const int fd = ::open(QFile::encodeName(f).constData(), O_RDONLY);
        while (fd >= 0 && ::read(fd, block, sizeof block) > 0) {
        }
        if (fd >= 0)
            ::close(fd);
    }
}

void measure(const char *what, const QStringList &files, bool cached,
             const std::function<void()> &run) {
    if (cached)
        readAll(files);
    else
        uncache(files);
    const qint64 before = cachedKiB();
    StallSampler sampler;
    QElapsedTimer t;
    t.start();
    run();
    const qint64 ms = t.elapsed();
    const double stall = sampler.stop();
    std::printf("%-28s %-7s %8lld ms   longest stall %7.1f ms   page cache %+7lld MB\n", what,
                cached ? "warm" : "cold", ms, stall, (cachedKiB() - before) / 1024);
    std::fflush(stdout);
}

void writeFile(const QString &path, const QByteArray &bytes, qint64 size) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return;
    if (bytes.isEmpty()) {
        f.resize(size);
        return;
    }
    for (qint64 at = 0; at < size; at += bytes.size())
        f.write(bytes.constData(), std::min<qint64>(bytes.size(), size - at));
}

} // namespace

int main(int argc, char **argv) {
    QString base;
    qint64 denseBytes = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--dense") == 0 && i + 1 < argc)
            denseBytes = QByteArray(argv[++i]).toLongLong() << 20;
        else
            base = QString::fromLocal8Bit(argv[i]);
    }
    QTemporaryDir temp(base.isEmpty() ? QDir::tempPath() + QStringLiteral("/large-XXXXXX")
                                      : base + QStringLiteral("/large-XXXXXX"));
    const QString left = temp.filePath(QStringLiteral("L"));
    const QString right = temp.filePath(QStringLiteral("R"));
    QDir().mkpath(left);
    QDir().mkpath(right);
    QByteArray dense;
    if (denseBytes > 0) {
        dense.resize(1 << 20);
        QRandomGenerator rng(27);
        rng.fillRange(reinterpret_cast<quint32 *>(dense.data()), dense.size() / 4);
    }
    for (const QString &side : {left, right}) {
        for (int k = 0; k < LargeFiles; ++k)
            writeFile(side + QStringLiteral("/large%1.bin").arg(k), dense,
                      denseBytes > 0 ? denseBytes : SparseBytes);
        for (int k = 0; k < SmallFiles; ++k)
            writeFile(side + QStringLiteral("/small%1.txt").arg(k),
                      QByteArray(1000 + k, char('a' + k % 26)), 1000 + k);
    }
    ::sync();
    const QStringList files = filesOf(left) + filesOf(right);
    // One time for all, so that the pairs differ in nothing the listing shows.
    const timespec times[2] = {{1700000000, 0}, {1700000000, 0}};
    for (const QString &f : files)
        ::utimensat(AT_FDCWD, QFile::encodeName(f).constData(), times, 0);
    std::printf("%d large files of %lld MB (%s) and %d small ones a side\n", LargeFiles,
                (denseBytes > 0 ? denseBytes : SparseBytes) >> 20,
                denseBytes > 0 ? "written" : "sparse", SmallFiles);

    const auto contentCheck = [&] {
        Workspace ws;
        resetGridHeaders(ws);
        ws.folderContentMode = 1;
        SearchFile(ws, left, QStringLiteral("*.*"), 0, right);
        if (ws.DiffCount != 0 || !ws.runProblems.isEmpty()) {
            std::printf("unexpected: %d differences\n", ws.DiffCount);
            for (int r = 1, shown = 0; r < ws.fgF.rows() && shown < 3; ++r) {
                if (ws.fgF.backColor(r, 0) == ResultGrid::DefaultColor &&
                    ws.fgF.backColor(r, 3) == ResultGrid::DefaultColor)
                    continue;
                ++shown;
                std::printf("  %s | %s %s | %s %s\n", qPrintable(ws.fgF.text(r, 0)),
                            qPrintable(ws.fgF.text(r, 1)), qPrintable(ws.fgF.text(r, 3)),
                            qPrintable(ws.fgF.text(r, 5)), qPrintable(ws.fgF.text(r, 7)));
            }
        }
    };
    const auto cmpPairs = [&] {
        for (const QString &f : filesOf(left)) {
            const QString other = right + f.mid(left.size());
            if (QProcess::execute(QStringLiteral("cmp"), {QStringLiteral("-s"), f, other}) != 0)
                std::printf("cmp: %s differs\n", qPrintable(f));
        }
    };
    for (const bool cached : {false, true}) {
        measure("folder content check", files, cached, contentCheck);
        measure("cmp on the same pairs", files, cached, cmpPairs);
    }
    uncache(files);
    return 0;
}
