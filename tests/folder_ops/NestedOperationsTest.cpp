// Copying and trashing entries named by their path below the compared folders, as a comparison
// through every level lists them.
#include "folder/FileOperations.h"
#include "folder/NestedEntries.h"
#include "platform/NativePath.h"
#include "support/FileFaults.h"
#include "support/FolderNames.h"
#include "support/TempFiles.h"

#include <QDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr time_t Old = 1577934245, Older = 1546300800;

void setModeAndTime(const QString &path, mode_t mode, time_t seconds) {
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
    const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

struct stat statOf(const QString &path) {
    struct stat st {};
    EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &st), 0) << path.toStdString();
    return st;
}

void link(const QString &target, const QString &at) {
    ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(at).constData()),
              0);
}

QString failures(const FileOperationResult &r) {
    QStringList texts;
    for (const FileOperationFailure &f : r.failures)
        texts << f.name + " (" + f.reason + ")";
    return texts.join(", ");
}

class NestedOperationsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir().mkpath(left()));
        ASSERT_TRUE(QDir().mkpath(right()));
        m_savedData = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(files.filePath("data"))); // never the real one
    }
    void TearDown() override { qputenv("XDG_DATA_HOME", m_savedData); }

    QString left() const { return files.filePath("left"); }
    QString right() const { return files.filePath("right"); }
    QString trash() const { return files.filePath("data/Trash"); }

    TempFiles files;
    QByteArray m_savedData;
};

} // namespace

TEST(NestedEntries, PathsStayInsideAndListedFoldersCoverTheirEntries) {
    for (const char *good : {"f.txt", "a/b/f.txt", "..a/b.", "a b/%/c"})
        EXPECT_TRUE(isRelativeEntryPath(good)) << good;
    for (const char *bad : {"", ".", "..", "a/../../x", "a//b", "/a", "a/", "./a", "a/."})
        EXPECT_FALSE(isRelativeEntryPath(bad)) << bad;
    EXPECT_EQ(relativeParentOf("a/b/f.txt"), "a/b");
    EXPECT_EQ(relativeParentOf("f.txt"), "");

    // A folder and entries inside it, at any depth and in any order: the folder only. A name
    // that merely starts like the folder ("ab", "a.txt") is an entry of its own.
    EXPECT_EQ(outermostEntries({"a/b/c.txt", "a", "ab", "a/x", "a.txt", "ab", "q/r", "q/r/s"}),
              QStringList({"a", "ab", "a.txt", "q/r"}));
    // A path that leaves its folder is kept, to be refused by name.
    EXPECT_EQ(outermostEntries({"a", "a/../x"}), QStringList({"a", "a/../x"}));
}

TEST_F(NestedOperationsTest, CopyMakesMissingFoldersAsACopiedFolderIsMade) {
    files.write("left/a/b/c/f.txt", "F");
    files.write("left/a/b/c/other.txt", "NOT SELECTED");
    setModeAndTime(left() + "/a/b/c", 0750, Old);
    setModeAndTime(left() + "/a/b", 0705, Old);
    setModeAndTime(left() + "/a", 0700, Old);
    ASSERT_TRUE(QDir().mkpath(right() + "/a"));
    setModeAndTime(right() + "/a", 0755, Older);

    FileOperationResult r = copyEntries(left(), right(), {"a/b/c/f.txt"});
    EXPECT_TRUE(r.succeeded()) << failures(r).toStdString();
    EXPECT_EQ(r.done, QStringList({"a/b/c/f.txt"}));
    EXPECT_EQ(readNative(right() + "/a/b/c/f.txt"), "F");
    EXPECT_EQ(namesIn(right() + "/a/b/c"), QStringList({"f.txt"}));
    // The two folders made: the source's mode, and its time, the copy being complete.
    EXPECT_EQ(statOf(right() + "/a/b").st_mode & 07777, 0705u | S_IRWXU);
    EXPECT_EQ(statOf(right() + "/a/b").st_mtim.tv_sec, Old);
    EXPECT_EQ(statOf(right() + "/a/b/c").st_mode & 07777, 0750u);
    EXPECT_EQ(statOf(right() + "/a/b/c").st_mtim.tv_sec, Old);
    // The folder that was there keeps its mode.
    EXPECT_EQ(statOf(right() + "/a").st_mode & 07777, 0755u);

    // A copy that fails below new folders: their mode, never the source's time.
    files.write("left/x/y/big.dat", QByteArray(3 << 20, 'b'));
    setModeAndTime(left() + "/x/y", 0750, Old);
    setModeAndTime(left() + "/x", 0750, Old);
    FileFaults disk;
    disk.failingWrite = 2;
    r = copyEntries(left(), right(), {"x/y/big.dat"}, {}, disk);
    EXPECT_EQ(r.failures.size(), 1);
    EXPECT_TRUE(r.done.isEmpty());
    EXPECT_TRUE(namesIn(right() + "/x/y").isEmpty());
    for (const char *made : {"/x", "/x/y"}) {
        EXPECT_EQ(statOf(right() + made).st_mode & 07777, 0750u) << made;
        EXPECT_NE(statOf(right() + made).st_mtim.tv_sec, Old) << made;
    }
}

TEST_F(NestedOperationsTest, OneSidedNestedFolderIsCopiedWhole) {
    files.write("left/p/q/new/one.txt", "ONE");
    files.write("left/p/q/new/deeper/two.txt", "TWO");
    ASSERT_TRUE(QDir().mkpath(left() + "/p/q/new/empty"));
    link("one.txt", left() + "/p/q/new/link");
    setModeAndTime(left() + "/p/q/new", 0750, Old);
    files.write("right/p/q/kept.txt", "KEPT");

    const FileOperationResult r = copyEntries(left(), right(), {"p/q/new"});
    EXPECT_TRUE(r.succeeded()) << failures(r).toStdString();
    EXPECT_EQ(namesIn(right() + "/p/q"), QStringList({"kept.txt", "new"}));
    EXPECT_EQ(namesIn(right() + "/p/q/new"), QStringList({"deeper", "empty", "link", "one.txt"}));
    EXPECT_EQ(readNative(right() + "/p/q/new/deeper/two.txt"), "TWO");
    EXPECT_TRUE(S_ISLNK(statOf(right() + "/p/q/new/link").st_mode));
    EXPECT_EQ(statOf(right() + "/p/q/new").st_mtim.tv_sec, Old);
}

TEST_F(NestedOperationsTest, LinksOnTheWayAreRefusedAndNothingLeavesTheFolders) {
    const QString outside = files.filePath("outside");
    ASSERT_TRUE(QDir().mkpath(outside));
    files.write("left/a/f.txt", "MINE");
    files.write("left/d/e/g.txt", "G");
    // The destination's "a" leads outside; its "d" is a link to a folder inside the tree.
    link(outside, right() + "/a");
    ASSERT_TRUE(QDir().mkpath(right() + "/real"));
    link("real", right() + "/d");
    // A file stands where the destination needs a folder.
    files.write("left/h/i.txt", "I");
    files.write("right/h", "A FILE");

    FileOperationResult r = copyEntries(left(), right(), {"a/f.txt", "d/e/g.txt", "h/i.txt"});
    ASSERT_EQ(r.failures.size(), 3) << failures(r).toStdString();
    EXPECT_EQ(r.failures[0].reason, "コピー先の途中のフォルダがシンボリックリンクです: a");
    EXPECT_EQ(r.failures[1].reason, "コピー先の途中のフォルダがシンボリックリンクです: d");
    EXPECT_EQ(r.failures[2].reason, "コピー先に同じ名前のファイルがあります: h");
    EXPECT_TRUE(namesIn(outside).isEmpty());
    EXPECT_TRUE(namesIn(right() + "/real").isEmpty());
    EXPECT_EQ(readNative(right() + "/h"), "A FILE");

    // A path that climbs out, and a link on the source side, are refused as well.
    files.write("secret.txt", "SECRET");
    link(outside, left() + "/via");
    files.write("outside/s.txt", "S");
    r = copyEntries(left(), right(), {"a/../../secret.txt", "via/s.txt"});
    ASSERT_EQ(r.failures.size(), 2);
    EXPECT_EQ(r.failures[0].reason, "名前が正しくありません");
    EXPECT_EQ(r.failures[1].reason, "コピー元の途中のフォルダがシンボリックリンクです: via");
    EXPECT_EQ(namesIn(right()), QStringList({"a", "d", "h", "real"}));

    // Trashing never reaches through a link either.
    link(outside, right() + "/to");
    r = moveEntriesToTrash(right(), {"to/s.txt", "a/../h"}, {});
    ASSERT_EQ(r.failures.size(), 2);
    EXPECT_EQ(r.failures[0].reason, "途中のフォルダがシンボリックリンクです: to");
    EXPECT_EQ(readNative(outside + "/s.txt"), "S");
    EXPECT_EQ(readNative(right() + "/h"), "A FILE");
}

TEST_F(NestedOperationsTest, NestedFilesAndFoldersGoToTheTrashUnderTheirWholePath) {
    files.write("right/a/b/f 100%.txt", "F");
    files.write("right/a/c/inner.txt", "INNER");
    files.write("right/a/stays.txt", "STAYS");

    const FileOperationResult r = moveEntriesToTrash(right(), {"a/b/f 100%.txt", "a/c"}, {});
    EXPECT_TRUE(r.succeeded()) << failures(r).toStdString();
    EXPECT_EQ(r.done, QStringList({"a/b/f 100%.txt", "a/c"}));
    EXPECT_EQ(namesIn(right() + "/a"), QStringList({"b", "stays.txt"}));
    EXPECT_TRUE(namesIn(right() + "/a/b").isEmpty());
    EXPECT_EQ(readNative(trash() + "/files/f 100%.txt"), "F");
    EXPECT_EQ(readNative(trash() + "/files/c/inner.txt"), "INNER");
    const QByteArray root = QFile::encodeName(QDir(right()).canonicalPath()).toPercentEncoding("/");
    const QByteArray file = readNative(trash() + "/info/f 100%.txt.trashinfo");
    EXPECT_TRUE(file.startsWith("[Trash Info]\nPath=" + root + "/a/b/f%20100%25.txt\n"))
        << file.constData();
    const QByteArray folder = readNative(trash() + "/info/c.trashinfo");
    EXPECT_TRUE(folder.startsWith("[Trash Info]\nPath=" + root + "/a/c\n")) << folder.constData();
}

TEST_F(NestedOperationsTest, FolderAndAnEntryInsideItSelectedTogetherAreHandledOnce) {
    files.write("left/a/f.txt", "F");
    files.write("left/a/b/g.txt", "G");
    quint64 total = 0;
    const auto progress = [&](quint64, quint64 all, const QString &) {
        total = all;
        return true;
    };
    FileOperationResult r = copyEntries(left(), right(), {"a/f.txt", "a", "a/b/g.txt"}, progress);
    EXPECT_TRUE(r.succeeded()) << failures(r).toStdString();
    EXPECT_EQ(r.done, QStringList({"a"}));
    EXPECT_EQ(total, 2u); // each file counted once
    EXPECT_EQ(readNative(right() + "/a/b/g.txt"), "G");

    // Trashed once, as the folder: no second trash entry, no failure for the inner one.
    r = moveEntriesToTrash(right(), {"a/b", "a/b/g.txt", "a/f.txt"}, {});
    EXPECT_TRUE(r.succeeded()) << failures(r).toStdString();
    EXPECT_EQ(r.done, QStringList({"a/b", "a/f.txt"}));
    EXPECT_EQ(namesIn(trash() + "/files"), QStringList({"b", "f.txt"}));
    EXPECT_EQ(namesIn(trash() + "/info"), QStringList({"b.trashinfo", "f.txt.trashinfo"}));
    EXPECT_TRUE(namesIn(right() + "/a").isEmpty());
}

TEST_F(NestedOperationsTest, NestedFolderIsNeverCopiedIntoItselfWhenOneFolderHoldsTheOther) {
    // The right folder is "p" inside the left one: the left's "p/p" is copied to the right's
    // "p/p", which lies inside it. Neither side's path lies inside the other entry's path as
    // a plain name would show it; the copy must still be refused, not fed its own output.
    files.write("left/p/p/f.txt", "F");
    const QString inner = left() + "/p";
    FileOperationResult r = copyEntries(left(), inner, {"p/p"});
    ASSERT_EQ(r.failures.size(), 1) << failures(r).toStdString();
    EXPECT_EQ(r.failures[0].name, "p/p");
    EXPECT_EQ(r.failures[0].reason, "フォルダをそれ自身の中にはコピーできません");
    EXPECT_EQ(namesIn(inner + "/p"), QStringList({"f.txt"}));

    // A file there is copied as any file is.
    files.write("left/p/q/g.txt", "G");
    r = copyEntries(left(), inner, {"p/q/g.txt"});
    EXPECT_TRUE(r.succeeded()) << failures(r).toStdString();
    EXPECT_EQ(readNative(inner + "/p/q/g.txt"), "G");
}

TEST_F(NestedOperationsTest, RefusedOrVanishedEntryLeavesNoFoldersOnTheOtherSide) {
    // The row was listed, then the file went away before the copy: nothing is made for it.
    ASSERT_TRUE(QDir().mkpath(left() + "/gone/deeper"));
    FileOperationResult r = copyEntries(left(), right(), {"gone/deeper/f.txt"});
    ASSERT_EQ(r.failures.size(), 1) << failures(r).toStdString();
    EXPECT_TRUE(r.failures[0].reason.startsWith("見つかりません"))
        << r.failures[0].reason.toStdString();
    EXPECT_TRUE(namesIn(right()).isEmpty());

    // A folder refused as a copy into itself makes none either (here its copy would be made
    // in a new folder "a" inside the folder itself).
    files.write("left/a/b/a/b/f.txt", "F");
    const QString inner = left() + "/a/b";
    r = copyEntries(left(), inner, {"a/b/a/b"});
    ASSERT_EQ(r.failures.size(), 1) << failures(r).toStdString();
    EXPECT_EQ(r.failures[0].reason, "フォルダをそれ自身の中にはコピーできません");
    EXPECT_EQ(namesIn(left() + "/a/b/a/b"), QStringList({"f.txt"}));
}
