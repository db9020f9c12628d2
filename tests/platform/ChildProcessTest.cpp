#include "platform/ChildProcess.h"
#include "platform/AtomicFile.h"
#include "platform/DetachedProgram.h"
#include "platform/NativePath.h"
#include "support/TempFiles.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

namespace {

// A helper program that never ends by itself.
QString hangingProgram(TempFiles &dir) {
    const QString script = dir.write("hang.sh", "#!/bin/sh\nexec sleep 30\n");
    QFile::setPermissions(script, QFile::ReadOwner | QFile::ExeOwner);
    return script;
}

TEST(ChildProcess, InputGoesInAndOutputComesBack) {
    const ProgramRun run = runProgram(QStringLiteral("cat"), {}, "bytes\xff\n", 5000, 100);
    EXPECT_TRUE(run.succeeded());
    EXPECT_EQ(run.output, QByteArray("bytes\xff\n"));

    const ProgramRun failed =
        runProgram(QStringLiteral("sh"), {"-c", "echo why >&2; exit 3"}, QByteArray(), 5000, 100);
    EXPECT_EQ(failed.outcome, ProgramRun::Outcome::Exited);
    EXPECT_EQ(failed.exitCode, 3);
    EXPECT_EQ(failed.errorOut, QByteArray("why\n"));

    const ProgramRun crashed =
        runProgram(QStringLiteral("sh"), {"-c", "kill -SEGV $$"}, QByteArray(), 5000, 100);
    EXPECT_EQ(crashed.outcome, ProgramRun::Outcome::Crashed);

    EXPECT_EQ(
        runProgram(QStringLiteral("/nonexistent/helper"), {}, QByteArray(), 5000, 100).outcome,
        ProgramRun::Outcome::CannotStart);
}

TEST(ChildProcess, DeadlineEndsAHangingProgram) {
    TempFiles dir;
    QElapsedTimer timer;
    timer.start();
    const ProgramRun run = runProgram(hangingProgram(dir), {}, QByteArray(), 300, 100);
    EXPECT_EQ(run.outcome, ProgramRun::Outcome::Timeout);
    EXPECT_LT(timer.elapsed(), 3000);
}

TEST(ChildProcess, StopEndsAHangingProgramAtOnce) {
    TempFiles dir;
    QElapsedTimer timer;
    timer.start();
    qint64 askedAt = -1;
    const ProgramRun run = runProgram(hangingProgram(dir), {}, QByteArray(), 60000, 100, [&] {
        if (timer.elapsed() < 200)
            return false;
        if (askedAt < 0)
            askedAt = timer.elapsed();
        return true;
    });
    EXPECT_EQ(run.outcome, ProgramRun::Outcome::Stopped);
    ASSERT_GE(askedAt, 0);
    EXPECT_LT(askedAt, 200 + 50); // asked at least every 50 ms
    EXPECT_LT(timer.elapsed(), 2000);
}

} // namespace

// A name that is not UTF-8 cannot be an argument (the text would be re-encoded): the program
// gets the file we opened by its descriptor's name, and only the program we mean to get it.
TEST(ChildProcess, SharedFileReachesTheProgramWhateverItsName) {
    TempFiles dir;
    const QString name = fJoinPath(dir.path(), decodeNativeName("caf\xe9.txt"));
    ASSERT_TRUE(writeWholeFile(name, "exact content\n"));
    NativeFile file;
    ASSERT_TRUE(file.open(name));
    const QString shared = sharedFilePath(file.descriptor());
    const ProgramRun run =
        runProgram(QStringLiteral("cat"), {shared}, QByteArray(), 5000, 100, {}, file.descriptor());
    EXPECT_TRUE(run.succeeded()) << run.errorOut.constData();
    EXPECT_EQ(run.output, QByteArray("exact content\n"));
    const ProgramRun notShared =
        runProgram(QStringLiteral("cat"), {shared}, QByteArray(), 5000, 100);
    EXPECT_FALSE(notShared.succeeded());
    EXPECT_TRUE(notShared.output.isEmpty());
}

TEST(DetachedProgram, ArgumentsArriveAsTheExactBytes) {
    TempFiles dir;
    const QString name = fJoinPath(dir.path(), decodeNativeName("caf\xe9 \x82\xa0.txt"));
    ASSERT_TRUE(startDetachedProgram(
        QStringLiteral("sh"),
        {QStringLiteral("-c"), QStringLiteral("echo started > \"$0\""), name}));
    // Nobody waits for the program: look for its file for a while.
    NativeStat st;
    QDeadlineTimer deadline(10000);
    while (!(nativeStat(name, &st) && st.size > 0) && !deadline.hasExpired())
        QThread::msleep(10);
    EXPECT_GT(st.size, 0u);
    EXPECT_FALSE(startDetachedProgram(QStringLiteral("/nonexistent/program"), {}));
    EXPECT_FALSE(startDetachedProgram(QStringLiteral("no-such-program-anywhere"), {}));
}
