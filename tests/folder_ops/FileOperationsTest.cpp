#include "folder/FileOperations.h"
#include "platform/NativePath.h"
#include "support/FileFaults.h"
#include "support/FolderNames.h"
#include "support/TempFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray bytesOf(const QString &path) {
    return encodeNativeName(path);
}

// Writes a file whose path may hold bytes that are not UTF-8.
void writeNative(const QString &path, const QByteArray &content) {
    const int fd = ::open(bytesOf(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0) << bytesOf(path).constData();
    ASSERT_EQ(::write(fd, content.constData(), size_t(content.size())), content.size());
    ::close(fd);
}

bool existsNative(const QString &path) {
    struct stat st {};
    return ::lstat(bytesOf(path).constData(), &st) == 0;
}

QStringList failedNames(const FileOperationResult &r) {
    QStringList names;
    for (const FileOperationFailure &f : r.failures)
        names << f.name;
    return names;
}

class FileOperationsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir().mkpath(left()));
        ASSERT_TRUE(QDir().mkpath(right()));
        m_savedData = qgetenv("XDG_DATA_HOME");
        // Never the real trash of whoever runs the tests.
        qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome()));
    }
    void TearDown() override {
        qputenv("XDG_DATA_HOME", m_savedData);
        removeTree(files.path()); // QTemporaryDir cannot spell names that are not UTF-8
    }

    static void removeTree(const QString &path) {
        struct stat st {};
        if (::lstat(bytesOf(path).constData(), &st) != 0)
            return;
        if (S_ISDIR(st.st_mode)) {
            for (const QString &name : namesIn(path))
                removeTree(fJoinPath(path, name));
            ::rmdir(bytesOf(path).constData());
        } else {
            ::unlink(bytesOf(path).constData());
        }
    }

    QString left() const { return files.filePath("left"); }
    QString right() const { return files.filePath("right"); }
    QString dataHome() const { return files.filePath("data"); }
    QString trash() const { return dataHome() + "/Trash"; }

    TempFiles files;
    QByteArray m_savedData;
};

} // namespace

TEST_F(FileOperationsTest, CopyReplacesFilesAndFoldersAndKeepsTheirTimes) {
    writeNative(left() + "/a.txt", "NEW CONTENT");
    writeNative(right() + "/a.txt", "OLD CONTENT THAT IS LONGER");
    ASSERT_TRUE(QDir().mkpath(left() + "/sub/deeper"));
    writeNative(left() + "/sub/deeper/x.bin", QByteArray(3 << 20, 'x')); // several chunks
    ASSERT_TRUE(QDir().mkpath(right() + "/sub"));
    writeNative(right() + "/sub/kept.txt", "only on the right");
    const QDateTime old = QDateTime::fromString("2020-01-02T03:04:05", Qt::ISODate);
    QFile stamp(left() + "/a.txt");
    ASSERT_TRUE(stamp.open(QIODevice::ReadWrite));
    ASSERT_TRUE(stamp.setFileTime(old, QFileDevice::FileModificationTime));
    stamp.close();

    const FileOperationResult r = copyEntries(left(), right(), {"a.txt", "sub"});
    EXPECT_TRUE(r.succeeded()) << failedNames(r).join(',').toStdString();
    EXPECT_EQ(r.done, QStringList({"a.txt", "sub"}));
    EXPECT_EQ(readNative(right() + "/a.txt"), "NEW CONTENT");
    EXPECT_EQ(QFileInfo(right() + "/a.txt").lastModified(), old); // compares equal afterwards
    EXPECT_EQ(readNative(right() + "/sub/deeper/x.bin"), QByteArray(3 << 20, 'x'));
    EXPECT_EQ(readNative(right() + "/sub/kept.txt"), "only on the right"); // merged, not wiped
    // No temporary file is left behind.
    EXPECT_EQ(namesIn(right()), QStringList({"a.txt", "sub"}));
}

// Sets a folder's (or file's) mode and modification time.
void setModeAndTime(const QString &path, mode_t mode, time_t seconds) {
    ASSERT_EQ(::chmod(bytesOf(path).constData(), mode), 0);
    const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, bytesOf(path).constData(), times, 0), 0);
}

struct stat statOf(const QString &path) {
    struct stat st {};
    EXPECT_EQ(::lstat(bytesOf(path).constData(), &st), 0);
    return st;
}

TEST_F(FileOperationsTest, OnlyACompleteNewFolderLooksLikeItsSource) {
    constexpr time_t Old = 1577934245, Older = 1546300800;
    // Copied whole into a new folder: the source's mode and time.
    ASSERT_TRUE(QDir().mkpath(left() + "/whole"));
    writeNative(left() + "/whole/x.txt", "X");
    setModeAndTime(left() + "/whole", 0750, Old);
    // Copied in part: the disk fills up in its second file.
    ASSERT_TRUE(QDir().mkpath(left() + "/part"));
    writeNative(left() + "/part/a.txt", "A");
    writeNative(left() + "/part/b.txt", "B");
    setModeAndTime(left() + "/part", 0755, Old);
    // Merged into a folder that was there: it keeps its own mode and time.
    ASSERT_TRUE(QDir().mkpath(left() + "/merge"));
    writeNative(left() + "/merge/y.txt", "Y");
    setModeAndTime(left() + "/merge", 0700, Old);
    ASSERT_TRUE(QDir().mkpath(right() + "/merge"));
    setModeAndTime(right() + "/merge", 0755, Older);

    FileOperationResult r = copyEntries(left(), right(), {"whole", "merge"});
    EXPECT_TRUE(r.succeeded());
    EXPECT_EQ(statOf(right() + "/whole").st_mode & 07777, 0750u);
    EXPECT_EQ(statOf(right() + "/whole").st_mtim.tv_sec, Old);
    EXPECT_EQ(statOf(right() + "/merge").st_mode & 07777, 0755u);
    EXPECT_NE(statOf(right() + "/merge").st_mtim.tv_sec, Old);
    EXPECT_EQ(readNative(right() + "/merge/y.txt"), "Y");

    FileFaults disk;
    disk.failingWrite = 2;
    r = copyEntries(left(), right(), {"part"}, {}, disk);
    ASSERT_EQ(r.failures.size(), 1);
    EXPECT_TRUE(r.failures[0].name.startsWith("part/"));
    EXPECT_EQ(statOf(right() + "/part").st_mode & 07777, 0755u);
    EXPECT_NE(statOf(right() + "/part").st_mtim.tv_sec, Old);

    // Cancelled part way: the same.
    ASSERT_TRUE(QDir().mkpath(left() + "/stopped"));
    writeNative(left() + "/stopped/1.txt", "1");
    writeNative(left() + "/stopped/2.txt", "2");
    setModeAndTime(left() + "/stopped", 0755, Old);
    int files = 0;
    r = copyEntries(left(), right(), {"stopped"},
                    [&](quint64, quint64, const QString &) { return ++files < 2; });
    EXPECT_TRUE(r.cancelled);
    EXPECT_NE(statOf(right() + "/stopped").st_mtim.tv_sec, Old);
}

TEST_F(FileOperationsTest, FailedWriteLeavesTheOldFileWholeAndTheRestGoesOn) {
    writeNative(left() + "/big.dat", QByteArray(3 << 20, 'n'));
    writeNative(left() + "/small.txt", "SMALL");
    writeNative(right() + "/big.dat", "THE OLD FILE");
    FileFaults disk;
    disk.failingWrite = 2; // the disk fills up in the middle of big.dat

    const FileOperationResult r = copyEntries(left(), right(), {"big.dat", "small.txt"}, {}, disk);
    EXPECT_EQ(failedNames(r), QStringList({"big.dat"}));
    EXPECT_TRUE(r.failures.value(0).reason.contains(QString::fromLocal8Bit(strerror(ENOSPC))));
    EXPECT_EQ(r.done, QStringList({"small.txt"}));
    EXPECT_EQ(readNative(right() + "/big.dat"), "THE OLD FILE");
    EXPECT_EQ(readNative(right() + "/small.txt"), "SMALL");
    EXPECT_EQ(namesIn(right()), QStringList({"big.dat", "small.txt"}));
}

TEST_F(FileOperationsTest, CancelStopsBetweenFilesAndLeavesNoPartialFile) {
    writeNative(left() + "/1.txt", "ONE");
    writeNative(left() + "/2.txt", "TWO");
    writeNative(right() + "/2.txt", "OLD TWO");
    int calls = 0;
    const FileOperationResult r = copyEntries(left(), right(), {"1.txt", "2.txt"},
                                              [&](quint64, quint64 total, const QString &name) {
                                                  EXPECT_EQ(total, 6u);
                                                  ++calls;
                                                  return name != "2.txt";
                                              });
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.done, QStringList({"1.txt"}));
    EXPECT_EQ(readNative(right() + "/2.txt"), "OLD TWO");
    EXPECT_GE(calls, 2);
    EXPECT_EQ(namesIn(right()), QStringList({"1.txt", "2.txt"}));
}

TEST_F(FileOperationsTest, FolderIsNeverCopiedIntoItself) {
    // The right folder lies inside the left one's entry "sub".
    const QString inner = left() + "/sub/inner";
    ASSERT_TRUE(QDir().mkpath(inner));
    writeNative(left() + "/sub/f.txt", "F");
    FileOperationResult r = copyEntries(left(), inner, {"sub"});
    EXPECT_EQ(failedNames(r), QStringList({"sub"}));
    EXPECT_TRUE(namesIn(inner).isEmpty());

    // The other way round: the destination entry would be the source's own ancestor.
    ASSERT_TRUE(QDir().mkpath(left() + "/sub/sub"));
    r = copyEntries(left() + "/sub", left(), {"sub"});
    EXPECT_EQ(failedNames(r), QStringList({"sub"}));

    // And a folder onto itself.
    r = copyEntries(left(), left() + "/../left", {"sub"});
    EXPECT_EQ(failedNames(r), QStringList({"sub"}));
    EXPECT_EQ(namesIn(left() + "/sub"), QStringList({"f.txt", "inner", "sub"}));
}

TEST_F(FileOperationsTest, NamesAndLinksNeverLeadOutsideTheFolders) {
    const QString outside = files.filePath("outside");
    ASSERT_TRUE(QDir().mkpath(outside));
    writeNative(outside + "/secret.txt", "SECRET");
    writeNative(left() + "/f.txt", "F");
    writeNative(files.filePath("x.txt"), "X");

    const FileOperationResult r =
        copyEntries(left(), right(), {"../x.txt", "..", ".", "", "a/b", "f.txt"});
    EXPECT_EQ(failedNames(r), QStringList({"../x.txt", "..", ".", "", "a/b"}));
    EXPECT_EQ(namesIn(right()), QStringList({"f.txt"}));
    EXPECT_EQ(namesIn(files.path()), QStringList({"left", "outside", "right", "x.txt"}));

    // A link at the destination is replaced by the file, its target is left alone; a linked
    // folder at the destination is not entered.
    writeNative(left() + "/secret.txt", "MINE");
    ASSERT_EQ(::symlink(bytesOf(outside + "/secret.txt").constData(),
                        bytesOf(right() + "/secret.txt").constData()),
              0);
    ASSERT_TRUE(QDir().mkpath(left() + "/dir"));
    writeNative(left() + "/dir/secret.txt", "MINE TOO");
    ASSERT_EQ(::symlink(bytesOf(outside).constData(), bytesOf(right() + "/dir").constData()), 0);
    const FileOperationResult links = copyEntries(left(), right(), {"secret.txt", "dir"});
    EXPECT_EQ(failedNames(links), QStringList({"dir"}));
    EXPECT_EQ(readNative(outside + "/secret.txt"), "SECRET");
    EXPECT_FALSE(QFileInfo(right() + "/secret.txt").isSymLink());
    EXPECT_EQ(readNative(right() + "/secret.txt"), "MINE");

    // Trashing never takes a name that leaves the folder either.
    const FileOperationResult t = moveEntriesToTrash(right(), {"../outside", ".."}, {});
    EXPECT_EQ(failedNames(t), QStringList({"../outside", ".."}));
    EXPECT_TRUE(existsNative(outside + "/secret.txt"));
}

TEST_F(FileOperationsTest, LinksAreCopiedAsLinksSoALoopEndsAtOnce) {
    ASSERT_TRUE(QDir().mkpath(left() + "/loop"));
    ASSERT_EQ(::symlink("..", bytesOf(left() + "/loop/up").constData()), 0);
    ASSERT_EQ(::symlink("self", bytesOf(left() + "/loop/self").constData()), 0);
    const FileOperationResult r = copyEntries(left(), right(), {"loop"});
    EXPECT_TRUE(r.succeeded());
    char up[64] = {};
    ASSERT_EQ(::readlink(bytesOf(right() + "/loop/up").constData(), up, sizeof up), 2);
    EXPECT_STREQ(up, "..");
    char self[64] = {};
    ASSERT_EQ(::readlink(bytesOf(right() + "/loop/self").constData(), self, sizeof self), 4);
    EXPECT_STREQ(self, "self");
}

TEST_F(FileOperationsTest, SpecialFilesAreReportedNotRead) {
    ASSERT_EQ(::mkfifo(bytesOf(left() + "/pipe").constData(), 0600), 0);
    writeNative(left() + "/ok.txt", "OK");
    const FileOperationResult r = copyEntries(left(), right(), {"pipe", "ok.txt"});
    EXPECT_EQ(failedNames(r), QStringList({"pipe"}));
    EXPECT_EQ(r.done, QStringList({"ok.txt"}));
}

TEST_F(FileOperationsTest, NamesThatAreNotUtf8AreCopiedAndTrashedByTheirBytes) {
    const QString name = decodeNativeName(QByteArray("caf\xe9 %.txt"));
    ASSERT_TRUE(name.contains(QChar(0xDCE9)));
    writeNative(fJoinPath(left(), name), "LATIN-1 NAME");

    FileOperationResult r = copyEntries(left(), right(), {name});
    EXPECT_TRUE(r.succeeded());
    EXPECT_EQ(readNative(fJoinPath(right(), name)), "LATIN-1 NAME");

    r = moveEntriesToTrash(right(), {name}, {});
    EXPECT_TRUE(r.succeeded());
    EXPECT_FALSE(existsNative(fJoinPath(right(), name)));
    EXPECT_EQ(readNative(fJoinPath(trash() + "/files", name)), "LATIN-1 NAME");
    const QByteArray info = readNative(fJoinPath(trash() + "/info", name + ".trashinfo"));
    const QByteArray expectedPath =
        encodeNativeName(QDir(right()).canonicalPath()).toPercentEncoding("/") +
        "/caf%E9%20%25.txt";
    EXPECT_TRUE(info.startsWith("[Trash Info]\nPath=" + expectedPath + "\nDeletionDate=20"))
        << info.constData();

    // A second entry of the same name gets a name of its own in the trash.
    writeNative(fJoinPath(right(), name), "SECOND");
    r = moveEntriesToTrash(right(), {name}, {});
    EXPECT_TRUE(r.succeeded());
    EXPECT_EQ(readNative(fJoinPath(trash() + "/files", name)), "LATIN-1 NAME");
    EXPECT_EQ(readNative(fJoinPath(trash() + "/files", name + ".2")), "SECOND");
}

TEST_F(FileOperationsTest, OrdinaryNamesAndFoldersGoToTheTrash) {
    writeNative(left() + "/plain.txt", "PLAIN");
    ASSERT_TRUE(QDir().mkpath(left() + "/folder/inner"));
    bool asked = false;
    const FileOperationResult r =
        moveEntriesToTrash(left(), {"plain.txt", "folder", "missing"}, [&](const QStringList &) {
            asked = true;
            return true;
        });
    EXPECT_FALSE(asked);
    EXPECT_EQ(r.done, QStringList({"plain.txt", "folder"}));
    EXPECT_EQ(failedNames(r), QStringList({"missing"}));
    EXPECT_TRUE(namesIn(left()).isEmpty());
    EXPECT_EQ(readNative(trash() + "/files/plain.txt"), "PLAIN");
    EXPECT_TRUE(QFileInfo(trash() + "/files/folder/inner").isDir());
}

TEST_F(FileOperationsTest, WithoutATrashNothingIsDeletedUnlessTheCallerAgrees) {
    // The trash cannot be made: its parent is a file.
    writeNative(files.filePath("blocker"), "");
    qputenv("XDG_DATA_HOME", QFile::encodeName(files.filePath("blocker/data")));
    const QString odd = decodeNativeName(QByteArray("\xff\xfe.bin"));
    writeNative(fJoinPath(left(), odd), "ODD");
    writeNative(left() + "/plain.txt", "PLAIN");
    ASSERT_TRUE(QDir().mkpath(left() + "/tree"));
    const QString outside = files.filePath("outside.txt");
    writeNative(outside, "KEEP ME");
    ASSERT_EQ(::symlink(bytesOf(outside).constData(), bytesOf(left() + "/tree/link").constData()),
              0);

    QStringList askedFor;
    FileOperationResult r =
        moveEntriesToTrash(left(), {odd, "plain.txt", "tree"}, [&](const QStringList &names) {
            askedFor = names;
            return false;
        });
    EXPECT_EQ(askedFor, QStringList({odd, "plain.txt", "tree"}));
    EXPECT_EQ(failedNames(r), QStringList({odd, "plain.txt", "tree"}));
    EXPECT_TRUE(r.done.isEmpty());
    EXPECT_EQ(namesIn(left()).size(), 3);

    // No question to ask: the same, never a silent deletion.
    r = moveEntriesToTrash(left(), {"plain.txt"}, {});
    EXPECT_EQ(failedNames(r), QStringList({"plain.txt"}));
    EXPECT_TRUE(existsNative(left() + "/plain.txt"));

    r = moveEntriesToTrash(left(), {odd, "plain.txt", "tree"},
                           [](const QStringList &) { return true; });
    EXPECT_TRUE(r.succeeded());
    EXPECT_EQ(r.deletedForGood, QStringList({odd, "plain.txt", "tree"}));
    EXPECT_TRUE(namesIn(left()).isEmpty());
    EXPECT_EQ(readNative(outside), "KEEP ME"); // the link went, not its target
}
