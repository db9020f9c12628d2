#include "platform/ChildProcess.h"
#include "platform/AtomicFile.h"
#include "platform/DetachedProgram.h"
#include "platform/NativePath.h"
#include "support/HangGuard.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

namespace {

// A helper program that would outlast the test run (and ctest's timeout): a test that ends
// at all has seen it stopped before it would have finished.
QString hangingProgram(TempFiles &dir) {
    const QString script = dir.write("hang.sh", "#!/bin/sh\nexec sleep 3600\n");
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
    const ProgramRun run = runProgram(hangingProgram(dir), {}, QByteArray(), 1000, 100);
    EXPECT_EQ(run.outcome, ProgramRun::Outcome::Timeout);
}

// The stop check is asked while the program runs, and its first true ends the program.
TEST(ChildProcess, StopEndsAHangingProgramAtOnce) {
    TempFiles dir;
    int asked = 0;
    const ProgramRun run = runProgram(hangingProgram(dir), {}, QByteArray(), 3600 * 1000, 100,
                                      [&] { return ++asked == 3; });
    EXPECT_EQ(run.outcome, ProgramRun::Outcome::Stopped);
    EXPECT_EQ(asked, 3);
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
    EXPECT_TRUE(pollUntil([&] { return nativeStat(name, &st) && st.size > 0; }));
    EXPECT_FALSE(startDetachedProgram(QStringLiteral("/nonexistent/program"), {}));
    EXPECT_FALSE(startDetachedProgram(QStringLiteral("no-such-program-anywhere"), {}));
}
