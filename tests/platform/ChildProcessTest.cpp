#include "platform/ChildProcess.h"
#include "support/TempFiles.h"

#include <QElapsedTimer>

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
