#include "folder/DesktopTrash.h"
#include "folder/FileOperations.h"
#include "platform/NativePath.h"
#include "support/FolderNames.h"
#include "support/TempFiles.h"

#include <QDateTime>
#include <QDir>

#include <gtest/gtest.h>

#include <cctype>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void writeNative(const QString &path, const QByteArray &content) {
    const int fd = ::open(encodeNativeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0) << encodeNativeName(path).constData();
    ASSERT_EQ(::write(fd, content.constData(), size_t(content.size())), content.size());
    ::close(fd);
}

// A URI's %XX escapes undone, strictly as a desktop does it: a "%" without two hex digits
// after it makes the whole value unusable.
std::optional<QByteArray> uriUnescaped(const QByteArray &value) {
    QByteArray out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != '%') {
            out += value[i];
            continue;
        }
        if (i + 2 >= value.size() || !std::isxdigit(uchar(value[i + 1])) ||
            !std::isxdigit(uchar(value[i + 2])))
            return std::nullopt;
        out += char(value.mid(i + 1, 2).toInt(nullptr, 16));
        i += 2;
    }
    return out;
}

// The value of one key of an info file, read as a desktop's key-file reader reads it: one
// "key=value" per line, escapes \s \n \t \r \\ undone; a line that is neither a group, a
// comment nor a key makes the whole file unreadable.
std::optional<QByteArray> keyFileValue(const QByteArray &file, const QByteArray &group,
                                       const QByteArray &key) {
    QByteArray current;
    std::optional<QByteArray> found;
    for (const QByteArray &line : file.split('\n')) {
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (line.startsWith('[') && line.endsWith(']')) {
            current = line.mid(1, line.size() - 2);
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (eq <= 0)
            return std::nullopt;
        if (current != group || line.left(eq).trimmed() != key)
            continue;
        QByteArray value;
        const QByteArray raw = line.mid(eq + 1);
        for (qsizetype i = 0; i < raw.size(); ++i) {
            if (raw[i] != '\\' || i + 1 == raw.size()) {
                value += raw[i];
                continue;
            }
            const char e = raw[++i];
            value += e == 's' ? ' ' : e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e;
        }
        found = value;
    }
    return found;
}

class DesktopTrashTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir().mkpath(folder()));
        m_savedData = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(files.filePath("data"))); // never the real one
    }
    void TearDown() override { qputenv("XDG_DATA_HOME", m_savedData); }

    QString folder() const { return files.filePath("folder"); }
    QString trash() const { return files.filePath("data/Trash"); }

    TempFiles files;
    QByteArray m_savedData;
};

} // namespace

TEST_F(DesktopTrashTest, EveryNameIsRestoredToItsOwnPathByADesktop) {
    const QStringList names = {
        "x%41.txt",            // a valid escape in the name itself
        "100%.txt",            // a "%" that is no escape
        "two  spaces .txt",    // blanks, one at the end
        "line\nbreak.txt",     // a newline would end the Path= line
        "tab\there#1?.txt",    // URI delimiters and a tab
        "back\\slash=.txt",    // key-file escape and separator characters
        "日本語 ファイル.txt", // UTF-8
        decodeNativeName(QByteArray("caf\xe9 \x82\xa0.sjis")), // bytes that are not UTF-8
    };
    for (const QString &name : names)
        writeNative(fJoinPath(folder(), name), encodeNativeName(name));
    ASSERT_TRUE(QDir().mkpath(folder() + "/dir %20/inner"));

    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    const FileOperationResult r = moveEntriesToTrash(folder(), names + QStringList{"dir %20"}, {});
    const QDateTime after = QDateTime::currentDateTime().addSecs(1);
    ASSERT_TRUE(r.succeeded());
    EXPECT_TRUE(namesIn(folder()).isEmpty());

    const QString canonicalFolder = QDir(folder()).canonicalPath();
    for (const QString &name : names + QStringList{"dir %20"}) {
        SCOPED_TRACE(encodeNativeName(name).toStdString());
        const QByteArray info = readNative(fJoinPath(trash() + "/info", name + ".trashinfo"));
        const auto path = keyFileValue(info, "Trash Info", "Path");
        ASSERT_TRUE(path.has_value()) << info.toStdString();
        EXPECT_EQ(uriUnescaped(*path), encodeNativeName(fJoinPath(canonicalFolder, name)));
        const auto date = keyFileValue(info, "Trash Info", "DeletionDate");
        ASSERT_TRUE(date.has_value());
        const QDateTime when = QDateTime::fromString(QString::fromLatin1(*date),
                                                     QStringLiteral("yyyy-MM-dd'T'HH:mm:ss"));
        EXPECT_TRUE(when >= before.addMSecs(-before.time().msec()) && when <= after)
            << date->toStdString(); // local time, as a desktop shows it
        EXPECT_NE(readNative(fJoinPath(trash() + "/files", name)), "<missing>");
    }
}

TEST_F(DesktopTrashTest, MountTrashIsTheStickySharedFolderOrTheUsersOwn) {
    const QString top = files.filePath("mount");
    const QString uid = QString::number(::getuid());
    ASSERT_TRUE(QDir().mkpath(top + "/sub"));

    // No shared trash: TOP/.Trash-UID, private to the user.
    TrashPlace place = mountTrash(top);
    EXPECT_EQ(place.folder, top + "/.Trash-" + uid);
    EXPECT_EQ(place.topFolder, top);
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(place.folder).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // An entry in a mount's trash records its path relative to the mount point.
    writeNative(top + "/sub/a 100%.txt", "A");
    QString reason;
    ASSERT_TRUE(moveIntoTrash(top + "/sub/a 100%.txt", place, &reason)) << reason.toStdString();
    const QByteArray info = readNative(place.folder + "/info/a 100%.txt.trashinfo");
    EXPECT_EQ(keyFileValue(info, "Trash Info", "Path"), QByteArray("sub/a%20100%25.txt"));
    EXPECT_EQ(readNative(place.folder + "/files/a 100%.txt"), "A");

    // A shared .Trash without the sticky bit, or a link to a sticky one, is not used.
    ASSERT_TRUE(QDir().mkpath(files.filePath("elsewhere")));
    ASSERT_EQ(::chmod(QFile::encodeName(files.filePath("elsewhere")).constData(), 01777), 0);
    ASSERT_EQ(::symlink("../elsewhere", QFile::encodeName(top + "/.Trash").constData()), 0);
    EXPECT_EQ(mountTrash(top).folder, top + "/.Trash-" + uid);
    EXPECT_FALSE(QFileInfo::exists(files.filePath("elsewhere/") + uid));
    ASSERT_EQ(::unlink(QFile::encodeName(top + "/.Trash").constData()), 0);
    ASSERT_TRUE(QDir().mkpath(top + "/.Trash"));
    ASSERT_EQ(::chmod(QFile::encodeName(top + "/.Trash").constData(), 0777), 0);
    EXPECT_EQ(mountTrash(top).folder, top + "/.Trash-" + uid);

    // A sticky shared .Trash holds the user's own folder.
    ASSERT_EQ(::chmod(QFile::encodeName(top + "/.Trash").constData(), 01777), 0);
    place = mountTrash(top);
    EXPECT_EQ(place.folder, top + "/.Trash/" + uid);
    EXPECT_TRUE(QFileInfo(place.folder + "/info").isDir());

    // The user's trash must be a real folder: a link there is refused.
    const QString other = files.filePath("other");
    ASSERT_TRUE(QDir().mkpath(other));
    ASSERT_TRUE(QDir().mkpath(other + "/.Trash"));
    ASSERT_EQ(::symlink("../mount", QFile::encodeName(other + "/.Trash-" + uid).constData()), 0);
    EXPECT_FALSE(mountTrash(other).isValid());
}

TEST_F(DesktopTrashTest, OnlyTheOwnTrashAtAMountPointIsTheProgramsDoing) {
    const QString own = ".Trash-" + QString::number(::getuid());
    EXPECT_TRUE(isOwnMountTrash("/", own));
    EXPECT_FALSE(isOwnMountTrash("/", ".Trash-" + QString::number(::getuid() + 1)));
    EXPECT_FALSE(isOwnMountTrash("/", ".Trash"));
    ASSERT_TRUE(QDir().mkpath(folder() + "/" + own));
    EXPECT_FALSE(isOwnMountTrash(folder(), own)); // an ordinary folder may hold anything
}
