#include "platform/FileReader.h"
#include "platform/AtomicFile.h"
#include "platform/NativePath.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace {

TEST(FileReader, ReadsUpToTheLimitAndRefusesBeyondIt) {
    TempFiles dir;
    const QString file = dir.write("ten.bin", "0123456789");
    EXPECT_EQ(readWholeFile(file, 10).bytes, QByteArray("0123456789"));
    EXPECT_TRUE(readWholeFile(file, 10).ok());

    const WholeFile tooLarge = readWholeFile(file, 9);
    EXPECT_EQ(tooLarge.problem, FileProblem::TooLarge);
    EXPECT_TRUE(tooLarge.bytes.isEmpty());
    EXPECT_EQ(tooLarge.problemText(file),
              QStringLiteral("読み込めません: %1 (1 GB を超えています)").arg(file));

    const QString empty = dir.write("empty.txt", QByteArray());
    EXPECT_TRUE(readWholeFile(empty, 0).ok());
    EXPECT_TRUE(readWholeFile(empty, 0).bytes.isEmpty());

    // Several blocks, and a name that is not UTF-8.
    const QString odd = fJoinPath(dir.path(), decodeNativeName("\xff\xfe.bin"));
    const QByteArray big(3 * 1024 * 1024 + 5, 'b');
    ASSERT_TRUE(writeWholeFile(odd, big));
    EXPECT_EQ(readWholeFile(odd, big.size()).bytes, big);
    ::unlink(encodeNativeName(odd).constData()); // QTemporaryDir cannot spell it
}

TEST(FileReader, RefusesWhatIsNoRegularFileWithTheSystemsReason) {
    TempFiles dir;
    EXPECT_EQ(readWholeFile(QString(), 100).problem, FileProblem::NoName);
    EXPECT_EQ(readWholeFile(dir.path(), 100).problem, FileProblem::Folder);

    const WholeFile missing = readWholeFile(dir.filePath("missing"), 100);
    EXPECT_EQ(missing.problem, FileProblem::Open);
    EXPECT_EQ(missing.problemText(dir.filePath("missing")),
              QStringLiteral("読み込めません: %1 (%2)")
                  .arg(dir.filePath("missing"), QString::fromLocal8Bit(strerror(ENOENT))));

    // A pipe without a writer would block an open for good, a device may never end.
    const QString fifo = dir.filePath("fifo");
    ASSERT_EQ(::mkfifo(encodeNativeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(readWholeFile(fifo, 100).problem, FileProblem::NotRegular);
    EXPECT_EQ(readWholeFile(QStringLiteral("/dev/zero"), 100).problem, FileProblem::NotRegular);

    if (::geteuid() != 0) { // root reads everything
        const QString locked = dir.write("locked.txt", "secret");
        ASSERT_EQ(::chmod(encodeNativeName(locked).constData(), 0), 0);
        const WholeFile denied = readWholeFile(locked, 100);
        EXPECT_EQ(denied.problem, FileProblem::Open);
        EXPECT_EQ(denied.errorNumber, EACCES);
    }
}

// A stop asked for inside one large file ends the read within a block, whatever the file's
// size; nothing read is passed on.
TEST(FileReader, StopEndsTheReadInsideAFile) {
    TempFiles dir;
    const QString sparse = dir.write("sparse.bin", QByteArray());
    const qint64 size = qint64(1) << 30;
    ASSERT_EQ(::truncate(encodeNativeName(sparse).constData(), size), 0);
    int asked = 0;
    const WholeFile stopped = readWholeFile(sparse, size, [&] { return ++asked >= 1; });
    EXPECT_EQ(stopped.problem, FileProblem::Stopped);
    EXPECT_TRUE(stopped.bytes.isEmpty());
    EXPECT_EQ(asked, 1);
}

} // namespace
