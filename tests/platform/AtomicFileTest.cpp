#include "platform/AtomicFile.h"
#include "platform/NativePath.h"
#include "support/FileFaults.h"
#include "support/FolderNames.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

TEST(AtomicFile, ReplacesTheFileKeepingItsPermissionsAndLinks) {
    TempFiles dir;
    const QString target = dir.write("out.txt", "OLD");
    ASSERT_EQ(::chmod(encodeNativeName(target).constData(), 0640), 0);
    const QString link = dir.filePath("link.txt");
    ASSERT_EQ(::symlink("out.txt", encodeNativeName(link).constData()), 0);

    EXPECT_TRUE(writeWholeFile(link, "NEW"));
    EXPECT_EQ(TempFiles::read(target), QByteArray("NEW"));
    NativeStat st;
    ASSERT_TRUE(nativeStat(link, &st, false));
    EXPECT_TRUE(st.isSymLink); // the link stays, its file is replaced
    struct stat mode {};
    ASSERT_EQ(::stat(encodeNativeName(target).constData(), &mode), 0);
    EXPECT_EQ(mode.st_mode & 0777, 0640u);
    EXPECT_EQ(namesIn(dir.path()), QStringList({"link.txt", "out.txt"}));
}

// Whichever step fails, the earlier file stays whole, no temporary file is left behind and the
// caller learns why.
TEST(AtomicFile, FailedStepKeepsTheOldFileAndSaysWhy) {
    struct Case {
        const char *what;
        void (*arm)(FileFaults &);
        int error;
        AtomicFile::Step step;
    };
    const Case cases[] = {
        {"full disk", [](FileFaults &f) { f.failingWrite = 2; }, ENOSPC, AtomicFile::Step::Write},
        {"flush", [](FileFaults &f) { f.failSync = true; }, EIO, AtomicFile::Step::Flush},
        {"rename", [](FileFaults &f) { f.failRename = true; }, EACCES, AtomicFile::Step::Rename},
    };
    for (const Case &c : cases) {
        TempFiles dir;
        const QString target = dir.write("keep.txt", "THE OLD FILE");
        FileFaults faults;
        c.arm(faults);
        AtomicFile file(target, AtomicFile::Links::Follow, faults);
        ASSERT_TRUE(file.open()) << c.what;
        const bool written = file.write("first ") && file.write("second");
        EXPECT_FALSE(written && file.commit()) << c.what;
        EXPECT_EQ(file.failedStep(), c.step) << c.what;
        EXPECT_EQ(file.result().cause, systemText(c.error)) << c.what;
        EXPECT_FALSE(file.result()) << c.what;
        EXPECT_EQ(TempFiles::read(target), QByteArray("THE OLD FILE")) << c.what;
        EXPECT_EQ(namesIn(dir.path()), QStringList({"keep.txt"})) << c.what;
    }
}

TEST(AtomicFile, MissingFolderOrAFolderInTheWayIsReported) {
    TempFiles dir;
    const WriteResult missing = writeWholeFile(dir.filePath("no/such/file.txt"), "x");
    EXPECT_FALSE(missing);
    EXPECT_EQ(missing.cause, systemText(ENOENT));
    const WriteResult folder = writeWholeFile(dir.path(), "x");
    EXPECT_EQ(folder.cause, systemText(EISDIR));

    // Given up before commit: nothing appears.
    {
        AtomicFile file(dir.filePath("never.txt"));
        ASSERT_TRUE(file.open());
        ASSERT_TRUE(file.write("content"));
    }
    EXPECT_TRUE(namesIn(dir.path()).isEmpty());
}

} // namespace
