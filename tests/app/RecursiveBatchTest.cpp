// Folder reports with the setting Recursive=1: one row per entry of both trees, named by its
// path below the compared folders, in every report format; exit statuses as for one level.
#include "app/BatchProgram.h"
#include "support/XlsxPackage.h"

#include <QDir>
#include <QDirIterator>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

class RecursiveBatchTest : public BatchProgramTest {
protected:
    void SetUp() override {
        BatchProgramTest::SetUp();
        write("setting.ini", "[Corvane]\r\nRecursive=1\r\n");
        for (const char *side : {"left", "right"}) {
            ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("%1/a/b").arg(side)));
            write(QStringLiteral("%1/a/b/deep.txt").arg(side), "same");
            write(QStringLiteral("%1/top.txt").arg(side), "same");
        }
        left = dir.filePath("left");
        right = dir.filePath("right");
    }

    // Every entry of both trees gets one modification time, so that files written a second
    // apart do not differ by their dates.
    RunResult runSettled(const QStringList &args) {
        const struct timespec times[2] = {{1700000000, 0}, {1700000000, 0}};
        for (const QString &root : {left, right}) {
            QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                            QDirIterator::Subdirectories);
            while (it.hasNext())
                ::utimensat(AT_FDCWD, QFile::encodeName(it.next()).constData(), times,
                            AT_SYMLINK_NOFOLLOW);
        }
        return run(args);
    }

    QString left;
    QString right;
};

} // namespace

TEST_F(RecursiveBatchTest, EqualTreesEndWithStatusZero) {
    const QString out = dir.filePath("out.csv");
    const RunResult r = runSettled({left, right, "/o", out});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, QString());
    EXPECT_EQ(r.out, QStringLiteral("完了\n"));
    EXPECT_TRUE(read(out).contains("\"a/b/deep.txt\""));
}

TEST_F(RecursiveBatchTest, ReportsNameNestedEntriesByTheirRelativePaths) {
    write("right/a/b/deep.txt", "changed");
    QDir(dir.path()).mkpath(QStringLiteral("left/gone"));
    write("left/gone/x", "x");
    write("left/gone/y", "y");

    const QString csv = dir.filePath("out.csv");
    const RunResult r = runSettled({left, right, "/o", csv});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, QString());
    EXPECT_EQ(r.out, QStringLiteral("完了     不一致行=1  左のみ存在=2  右のみ存在=0\n"));
    const QString text = QString::fromUtf8(read(csv));
    EXPECT_TRUE(text.contains(QStringLiteral("\"a/b/deep.txt\""))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("\"2 項目\""))) << text.toStdString();
    // Tree order: a folder's row comes before its contents.
    EXPECT_LT(text.indexOf(QStringLiteral("\"a/b\"")), text.indexOf(QStringLiteral("a/b/deep")));

    const QString htm = dir.filePath("out.htm");
    EXPECT_EQ(runSettled({left, right, "/o", htm}).status, 1);
    EXPECT_TRUE(read(htm).contains("a/b/deep.txt</td>"));

    const QString xlsx = dir.filePath("out.xlsx");
    EXPECT_EQ(runSettled({left, right, "/o", xlsx}).status, 1);
    const XlsxPackage::Sheet sheet = XlsxPackage::read(xlsx);
    ASSERT_TRUE(sheet.ok);
    QStringList values;
    for (const auto &cell : sheet.cells)
        values.append(cell.value);
    EXPECT_TRUE(values.contains(QStringLiteral("a/b/deep.txt")));
    EXPECT_TRUE(values.contains(QStringLiteral("gone")));
}

TEST_F(RecursiveBatchTest, UnifiedDiffGoesThroughEveryLevel) {
    write("right/a/b/deep.txt", "changed\n");
    write("left/a/b/deep.txt", "same\n");
    const RunResult r = runSettled({left, right, "/o", dir.filePath("out.diff")});
    EXPECT_EQ(r.status, 1);
    const QByteArray diff = read(dir.filePath("out.diff"));
    EXPECT_TRUE(diff.contains("+++ " + right.toUtf8() + "/a/b/deep.txt")) << diff.toStdString();
    EXPECT_FALSE(diff.contains("Common subdirectories"));

    // Off, the folders are named as diff names them without -r.
    write("setting.ini", "[Corvane]\r\nRecursive=0\r\n");
    runSettled({left, right, "/o", dir.filePath("out.diff")});
    EXPECT_TRUE(read(dir.filePath("out.diff")).contains("Common subdirectories"));
}

// Names the filter lists are left out at every level, in both modes: what differs only there
// compares as equal, and nothing of it reaches the report.
TEST_F(RecursiveBatchTest, ExcludedNamesAreLeftOutAtEveryLevelInBothModes) {
    for (const char *side : {"left", "right"}) {
        QDir(dir.path()).mkpath(QStringLiteral("%1/.git/objects").arg(side));
        QDir(dir.path()).mkpath(QStringLiteral("%1/a/b/node_modules").arg(side));
    }
    write("left/.git/objects/x", "one");
    write("right/.git/objects/x", "two");
    write("left/main.o", "left only");
    write("right/a/b/deep.o", "right only");
    write("right/a/b/node_modules/m.js", "m");
    write("left/~$book.xlsx", "lock");
    write("left/Main.O", "case counts");

    for (const char *recursive : {"1", "0"}) {
        write("setting.ini", QByteArray("[Corvane]\r\nRecursive=") + recursive +
                                 "\r\nExcludeNames= .git ; *.o;;node_modules;~$*\r\n");
        const QString csv = dir.filePath("out.csv");
        const RunResult r = runSettled({left, right, "/o", csv});
        EXPECT_EQ(r.status, 1) << recursive; // Main.O: patterns keep letter case
        const QString text = QString::fromUtf8(read(csv));
        EXPECT_TRUE(text.contains(QStringLiteral("\"Main.O\""))) << text.toStdString();
        for (const char *gone : {".git", "main.o", "deep.o", "node_modules", "~$book"})
            EXPECT_FALSE(text.contains(QString::fromLatin1(gone))) << gone << " " << recursive;
    }
    QFile::remove(dir.filePath("left/Main.O"));
    const RunResult equal = runSettled({left, right, "/o", dir.filePath("out.csv")});
    EXPECT_EQ(equal.status, 0) << equal.out.toStdString();
}
