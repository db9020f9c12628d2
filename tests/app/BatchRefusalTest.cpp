// Batch runs that must not pass for "the same" (exit 0) or "different" (exit 1): sources that
// cannot be read or are never compared, and outputs that would replace an input.
#include "app/BatchProgram.h"
#include "support/HangGuard.h"

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace {

class BatchRefusalTest : public BatchProgramTest {
protected:
    // A run that ended in trouble: exit 2, one line on stderr holding `why`, nothing on stdout.
    static void expectTrouble(const RunResult &r, const QString &why, const char *what) {
        EXPECT_EQ(r.status, 2) << what << ": " << r.out.toStdString();
        EXPECT_EQ(r.err.count(u'\n'), 1) << what << ": " << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(why)) << what << ": " << r.err.toStdString();
        EXPECT_EQ(r.out, QString()) << what;
    }
};

// Root reads every folder whatever its mode: permission cases run as "nobody" then. Empty when
// they cannot run as someone the mode bits apply to.
QStringList unprivilegedWrapper(QString *whyNot) {
    if (::geteuid() != 0)
        return {QStringLiteral("env")};
    const QStringList setpriv = {QStringLiteral("setpriv"), QStringLiteral("--reuid=65534"),
                                 QStringLiteral("--regid=65534"), QStringLiteral("--clear-groups"),
                                 QStringLiteral("--")};
    QProcess probe;
    probe.start(setpriv.front(), setpriv.mid(1) + QStringList{QStringLiteral("true")});
    if (!probe.waitForFinished(HangGuardMs) || probe.exitStatus() != QProcess::NormalExit ||
        probe.exitCode() != 0) {
        *whyNot = QStringLiteral("running as root and setpriv cannot switch to nobody, which "
                                 "root's ignoring of mode bits would make pointless");
        return {};
    }
    return setpriv;
}

} // namespace

TEST_F(BatchRefusalTest, FolderThatCannotBeListedOrSearchedIsTrouble) {
    QString whyNot;
    const QStringList asNobody = unprivilegedWrapper(&whyNot);
    if (asNobody.isEmpty())
        GTEST_SKIP() << whyNot.toStdString();
    ::chmod(QFile::encodeName(dir.path()).constData(), 0777); // nobody writes the output here
    const QString left = dir.filePath("L"), right = dir.filePath("R");
    for (const QString &folder : {left, right}) {
        write(QFileInfo(folder).fileName() + "/same.txt", "SAME\n");
        write(QFileInfo(folder).fileName() + "/other.txt", "OTHER\n");
    }
    const QString out = dir.filePath("out.csv");
    // As it is, nobody compares the two folders: they are the same (but for the dates).
    EXPECT_LE(run({left, right, "/o", out}, asNobody).status, 1);

    // Not listable (---), or listable but not searchable (r--: every entry's status fails).
    for (const mode_t mode : {mode_t(0700), mode_t(0704)}) {
        for (const QString &folder : {left, right}) {
            ::chmod(QFile::encodeName(folder).constData(), mode);
            QFile::remove(out);
            const RunResult r = run({left, right, "/o", out}, asNobody);
            const std::string what =
                QStringLiteral("%1 mode %2").arg(folder).arg(mode, 0, 8).toStdString();
            expectTrouble(r, QStringLiteral("読み取れません: ") + folder, what.c_str());
            EXPECT_FALSE(r.err.contains(QStringLiteral("右のみ")) ||
                         r.err.contains(QStringLiteral("左のみ")))
                << what;
            EXPECT_FALSE(QFileInfo::exists(out)) << what;
            // One folder alone cannot pass for an empty one either.
            expectTrouble(run({folder, "/o", out}, asNobody),
                          QStringLiteral("読み取れません: ") + folder, what.c_str());
            ::chmod(QFile::encodeName(folder).constData(), 0755);
        }
    }
}

TEST_F(BatchRefusalTest, PairsThatAreNeverComparedAreTrouble) {
    const QString text = write("a.txt", "SOME TEXT\n");
    const QString csv = write("a.csv", "A,B\n");
    const QString book = write("b.xlsx", "not read: the pair is refused by its kinds");
    const QString folder = dir.filePath("folder");
    QDir().mkpath(folder);
    const QString out = dir.filePath("out.csv");
    const struct {
        QByteArray ini;
        QString left, right, why;
    } cases[] = {
        {"", text, book, "この組み合わせは比較できません: テキスト と ブック"},
        {"Csv=1\r\n", csv, book, "この組み合わせは比較できません: テキスト と ブック"},
        {"Csv=1\r\n", book, csv, "この組み合わせは比較できません: ブック と テキスト"},
        {"", text, folder, "この組み合わせは比較できません: テキスト と フォルダ"},
        {"", folder, text, "この組み合わせは比較できません: フォルダ と テキスト"},
        {"Binary=1\r\n", text, folder, "この組み合わせは比較できません: バイナリ と フォルダ"},
        {"", text, text, "パス１とパス２が同じです"},
    };
    for (const auto &c : cases) {
        write("setting.ini", "[Corvane]\r\n" + c.ini);
        const QString what = c.left + " / " + c.right + " " + QString::fromLatin1(c.ini);
        expectTrouble(run({c.left, c.right, "/o", out}), c.why, what.toUtf8().constData());
        EXPECT_FALSE(QFileInfo::exists(out)) << what.toStdString();
    }
}

TEST_F(BatchRefusalTest, OutputNamingAnInputIsRefusedAndTheInputKept) {
    const QByteArray bytes = "KEEP ME\n";
    const QString a = write("sub/a.txt", bytes), b = write("b.txt", "OTHER\n");
    const QString link = dir.filePath("link.csv"), hard = dir.filePath("hard.csv");
    ASSERT_TRUE(QFile::link(a, link));
    ASSERT_EQ(::link(QFile::encodeName(a).constData(), QFile::encodeName(hard).constData()), 0);
    const QString folder = dir.filePath("sub");
    for (const QString &output :
         {a, dir.filePath("sub/../sub/./a.txt"), link, hard, QStringLiteral("b.txt")}) {
        // A relative output is relative to the working folder.
        const RunResult r = [&] {
            const QString before = QDir::currentPath();
            QDir::setCurrent(dir.path());
            const RunResult result = run({a, b, "/o", output});
            QDir::setCurrent(before);
            return result;
        }();
        expectTrouble(r, QStringLiteral("出力先が比較するファイルと同じです: ") + output,
                      output.toUtf8().constData());
        EXPECT_EQ(read(a), bytes) << output.toStdString();
        EXPECT_EQ(read(b), QByteArray("OTHER\n")) << output.toStdString();
        EXPECT_TRUE(QFileInfo(link).isSymLink());
    }
    // A folder compared against another is not replaced by a report either.
    const QString other = dir.filePath("other");
    QDir().mkpath(other);
    expectTrouble(run({folder, other, "/o", folder}),
                  QStringLiteral("出力先が比較するファイルと同じです: "), "folder");
    EXPECT_TRUE(QFileInfo(folder).isDir());
}

TEST_F(BatchRefusalTest, EmptyArgumentIsAnEmptySide) {
    const QString b = write("b.txt", "FIRST LINE\nSECOND LINE\n");
    const QString out = dir.filePath("out.csv");
    // Shown alone, as one path given by itself is: nothing is counted.
    const RunResult rightAlone = run({b, "/o", out});
    EXPECT_EQ(rightAlone.status, 0);
    EXPECT_EQ(rightAlone.err, QString());
    EXPECT_TRUE(rightAlone.out.startsWith(QStringLiteral("完了"))) << rightAlone.out.toStdString();
    const QStringList rows = QString::fromUtf8(read(out)).split(QStringLiteral("\r\n"));
    ASSERT_GE(rows.size(), 3);
    EXPECT_TRUE(rows[1].contains(QStringLiteral("\"1\",\"FIRST LINE\""))) << rows[1].toStdString();

    // Beside a second source, though, an empty argument is a missing file, as the null device
    // is: every line is one-sided, so the files differ (before, exit 0 and "完了").
    const RunResult leftAlone = run({b, "/o", out});
    EXPECT_EQ(leftAlone.status, 0);
    EXPECT_EQ(leftAlone.out, QStringLiteral("完了\n"));
    const QString deletedSummary =
        QStringLiteral("完了     不一致行=0  左のみ存在=3  右のみ存在=0\n");
    const QString addedSummary =
        QStringLiteral("完了     不一致行=0  左のみ存在=0  右のみ存在=3\n");
    const RunResult deleted = run({b, "", "/o", out});
    EXPECT_EQ(deleted.status, 1);
    EXPECT_EQ(deleted.err, QString());
    EXPECT_EQ(deleted.out, deletedSummary);
    const RunResult addedByEmpty = run({"", b, "/o", out});
    EXPECT_EQ(addedByEmpty.status, 1);
    EXPECT_EQ(addedByEmpty.out, addedSummary);
    const QStringList addedRows = QString::fromUtf8(read(out)).split(QStringLiteral("\r\n"));
    EXPECT_TRUE(addedRows.value(1).startsWith(QStringLiteral("\"DEL\"")))
        << addedRows.value(1).toStdString();

    const RunResult nothing = run({"", "", "/o", out});
    EXPECT_EQ(nothing.status, 2);
    EXPECT_FALSE(nothing.err.contains(QStringLiteral("見つかりません")))
        << nothing.err.toStdString();

#ifndef Q_OS_WIN
    // The null device, which git's difftool passes for a file added or deleted, is an empty
    // side too, never "cannot be read".
    const RunResult added = run({"/dev/null", b, "/o", out});
    EXPECT_EQ(added.status, 1) << added.err.toStdString();
    EXPECT_EQ(added.err, QString());
    EXPECT_EQ(added.out, addedSummary);
    EXPECT_EQ(QString::fromUtf8(read(out)).split(QStringLiteral("\r\n")).value(1), addedRows[1]);
    EXPECT_EQ(run({b, "/dev/null", "/o", out}).out, deletedSummary);
#endif
}
