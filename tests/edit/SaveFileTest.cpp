// Saving a side to its file: atomically, keeping what the file was (permissions, link, owner),
// never over a file changed meanwhile without asking, never losing the old file on a failure.
#include "edit/ReadEditableText.h"
#include "edit/SaveEditableText.h"
#include "encoding/DetectEncoding.h"
#include "support/FileFaults.h"
#include "support/TempFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray Original = "alpha\r\n\x93\xFA\x96\x7B\x8C\xEA\r\ngamma\r\n"; // 日本語 in SJIS

// Replaces line k's text, keeping its end.
void edit(EditableText &side, qsizetype k, const QString &text) {
    side.replace(k, 1, {EditLine{text, side.line(k).end}});
}

mode_t modeOf(const QString &path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 07777;
}

// Files left in the folder besides the named ones (a temporary file left behind).
QStringList othersIn(const QString &folder, const QStringList &known) {
    QStringList names =
        QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : known)
        names.removeAll(name);
    return names;
}

} // namespace

// A saved side writes the edit, keeps the file's mode and a link at the path, and a second
// save after it is not taken for a change made by someone else.
TEST(SaveFile, WritesThroughLinksKeepingPermissions) {
    TempFiles dir;
    const QString target = dir.write("target.txt", Original);
    const QByteArray targetName = QFile::encodeName(target);
    ::chmod(targetName.constData(), 0640);
    // Only the super-user can give a file away: the owner is then kept too.
    const bool giveAway = ::geteuid() == 0 && ::chown(targetName.constData(), 1234, 1234) == 0;
    const QString link = dir.filePath("link.txt");
    ASSERT_TRUE(QFile::link(target, link));

    EditableText side = readEditableText(link);
    EXPECT_EQ(side.encoding(), EncodingName::Sjis);
    edit(side, 2, QStringLiteral("ガンマ"));
    ASSERT_EQ(saveEditableText(side, link).status, SaveResult::Status::Saved);
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), QFileInfo(target).absoluteFilePath());
    EXPECT_EQ(TempFiles::read(target),
              QByteArray(Original).replace("gamma", "\x83\x4B\x83\x93\x83\x7D"));
    EXPECT_EQ(modeOf(target), mode_t(0640));
    struct stat st {};
    ::stat(targetName.constData(), &st);
    if (giveAway) {
        EXPECT_EQ(st.st_uid, uid_t(1234));
        EXPECT_EQ(st.st_gid, gid_t(1234));
    }

    edit(side, 0, QStringLiteral("ALPHA"));
    ASSERT_EQ(saveEditableText(side, link).status, SaveResult::Status::Saved);
    EXPECT_TRUE(TempFiles::read(target).startsWith("ALPHA\r\n"));
    EXPECT_EQ(othersIn(dir.path(), {"target.txt", "link.txt"}), QStringList());
}

// A file changed since it was read (other bytes, even of the same size and time; a longer
// file; a removed one) is not overwritten unless the caller says so.
TEST(SaveFile, FileChangedOnDiskIsNotOverwrittenBlindly) {
    TempFiles dir;
    const QString path = dir.write("a.txt", Original);
    const QByteArray encoded = QFile::encodeName(path);
    struct stat before {};
    ::stat(encoded.constData(), &before);

    EditableText side = readEditableText(path);
    edit(side, 0, QStringLiteral("mine"));

    // Same size, same modification time, other content.
    dir.write("a.txt", QByteArray(Original).replace("alpha", "ALPHA"));
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ::utimensat(AT_FDCWD, encoded.constData(), times, 0);
    EXPECT_EQ(saveEditableText(side, path).status, SaveResult::Status::ChangedOnDisk);
    EXPECT_TRUE(TempFiles::read(path).startsWith("ALPHA"));

    dir.write("a.txt", Original + "more\r\n");
    EXPECT_EQ(saveEditableText(side, path).status, SaveResult::Status::ChangedOnDisk);
    QFile::remove(path);
    EXPECT_EQ(saveEditableText(side, path).status, SaveResult::Status::ChangedOnDisk);

    SaveOptions overwrite;
    overwrite.overwriteChanged = true;
    ASSERT_EQ(saveEditableText(side, path, overwrite).status, SaveResult::Status::Saved);
    EXPECT_TRUE(TempFiles::read(path).startsWith("mine\r\n"));
}

// A read-only file, a read-only folder and a full disk give a message naming the file and
// the cause, and leave the old file whole.
TEST(SaveFile, FailureSaysWhyAndKeepsTheOldFile) {
    TempFiles dir;
    const QString path = dir.write("sub/a.txt", Original);
    EditableText side = readEditableText(path);
    edit(side, 0, QStringLiteral("changed"));

    ::chmod(QFile::encodeName(path).constData(), 0444);
    SaveResult result = saveEditableText(side, path);
    EXPECT_EQ(result.status, SaveResult::Status::Failed);
    EXPECT_TRUE(result.message.contains(path)) << result.message.toStdString();
    EXPECT_TRUE(result.message.contains(QStringLiteral("読み取り専用のファイル")))
        << result.message.toStdString();
    EXPECT_EQ(TempFiles::read(path), Original);
    ::chmod(QFile::encodeName(path).constData(), 0644);

    const QByteArray folder = QFile::encodeName(dir.filePath("sub"));
    ::chmod(folder.constData(), 0555);
    result = saveEditableText(side, path);
    ::chmod(folder.constData(), 0755);
    EXPECT_EQ(result.status, SaveResult::Status::Failed);
    EXPECT_TRUE(result.message.contains(QStringLiteral("フォルダに書き込めません")))
        << result.message.toStdString();
    EXPECT_EQ(TempFiles::read(path), Original);

    FileFaults full;
    full.failingWrite = 1;
    SaveOptions options;
    options.access = &full;
    result = saveEditableText(side, path, options);
    EXPECT_EQ(result.status, SaveResult::Status::Failed);
    EXPECT_TRUE(result.message.contains(QStringLiteral("ディスクの空き容量")))
        << result.message.toStdString();
    EXPECT_EQ(TempFiles::read(path), Original);
    EXPECT_EQ(othersIn(dir.filePath("sub"), {"a.txt"}), QStringList());

    // Nothing went wrong for good: the same side saves once the cause is gone.
    EXPECT_EQ(saveEditableText(side, path).status, SaveResult::Status::Saved);
}

// With the backup option the file replaced stays beside it as NAME.bak (beside the link's
// target for a link), one generation deep.
TEST(SaveFile, BackupKeepsThePreviousFile) {
    TempFiles dir;
    const QString target = dir.write("data/t.txt", Original);
    const QString link = dir.filePath("l.txt");
    ASSERT_TRUE(QFile::link(target, link));
    EditableText side = readEditableText(link);
    SaveOptions options;
    options.backup = true;

    edit(side, 0, QStringLiteral("first"));
    ASSERT_EQ(saveEditableText(side, link, options).status, SaveResult::Status::Saved);
    EXPECT_EQ(TempFiles::read(target + ".bak"), Original);
    const QByteArray firstSave = TempFiles::read(target);
    EXPECT_TRUE(firstSave.startsWith("first\r\n"));

    edit(side, 0, QStringLiteral("second"));
    ASSERT_EQ(saveEditableText(side, link, options).status, SaveResult::Status::Saved);
    EXPECT_EQ(TempFiles::read(target + ".bak"), firstSave);
    EXPECT_FALSE(QFileInfo::exists(link + ".bak"));
    EXPECT_EQ(othersIn(dir.filePath("data"), {"t.txt", "t.txt.bak"}), QStringList());
}

// A character Shift_JIS cannot hold stops the save with nothing written; saving as UTF-8
// writes every line, and the side stays UTF-8 for its next save.
TEST(SaveFile, SaveAsUtf8WhenTheEncodingCannotHoldACharacter) {
    TempFiles dir;
    const QString path = dir.write("a.txt", Original);
    EditableText side = readEditableText(path);
    edit(side, 2, QStringLiteral("한국어"));
    const SaveResult refused = saveEditableText(side, path);
    EXPECT_EQ(refused.status, SaveResult::Status::CannotEncode);
    EXPECT_EQ(refused.line, 2);
    EXPECT_EQ(TempFiles::read(path), Original);

    ASSERT_EQ(saveEditableText(side, path, SaveOptions::utf8()).status, SaveResult::Status::Saved);
    EXPECT_EQ(TempFiles::read(path), "\xEF\xBB\xBF"
                                     "alpha\r\n日本語\r\n한국어\r\n");
    edit(side, 0, QStringLiteral("a"));
    ASSERT_EQ(saveEditableText(side, path).status, SaveResult::Status::Saved);
    EXPECT_EQ(readEditableText(path).texts(), side.texts());
    EXPECT_EQ(readEditableText(path).encoding(), EncodingName::Utf8);
}

// "名前を付けて保存": another path gets all the lines, the file read stays as it was.
TEST(SaveFile, SaveAsAnotherFileLeavesTheFirst) {
    TempFiles dir;
    const QString path = dir.write("a.txt", Original);
    EditableText side = readEditableText(path);
    const QString other = dir.filePath("b.txt");
    ASSERT_EQ(saveEditableText(side, other).status, SaveResult::Status::Saved);
    EXPECT_EQ(TempFiles::read(other), Original);
    edit(side, 0, QStringLiteral("b"));
    ASSERT_EQ(saveEditableText(side, other).status, SaveResult::Status::Saved);
    EXPECT_EQ(TempFiles::read(path), Original);
    EXPECT_EQ(side.file().path, QFileInfo(other).absoluteFilePath());
}
