// Three files and an output merge, whatever the output's extension: 0 clean, 1 conflicts,
// 2 trouble, as diff3 -m exits.
#include "app/BatchProgram.h"
#include "app/BatchRun.h"

namespace {

class MergeBatchTest : public BatchProgramTest {
protected:
    void SetUp() override {
        BatchProgramTest::SetUp();
        older = write("o.txt", "a\nb\nc\nd\n");
        mine = write("m.txt", "a\nB\nc\nd\n");
    }
    QString older, mine;
};

TEST(MergeBatchArgs, AThirdSourceMakesAMergeAndTwoStayAComparison) {
    TempFiles dir;
    const QString a = dir.write("a", "x\n"), b = dir.write("b", "y\n"), c = dir.write("c", "z\n");
    const auto two = parseBatchArgs({"corvane", a, b, "/o", "out.html"});
    ASSERT_TRUE(two);
    EXPECT_FALSE(two->threeTexts);
    EXPECT_EQ(two->path3, QString());
    const auto three = parseBatchArgs({"corvane", a, b, c, "/o", "out.html"});
    ASSERT_TRUE(three);
    EXPECT_TRUE(three->threeTexts);
    EXPECT_EQ(three->path1, a);
    EXPECT_EQ(three->path2, b);
    EXPECT_EQ(three->path3, c);
    EXPECT_FALSE(parseBatchArgs({"corvane", a, b, c}));
}

TEST_F(MergeBatchTest, CleanMergeExitsZeroAndConflictsExitOne) {
    const QString yours = write("y.txt", "a\nb\nc\nD\n");
    const QString out = dir.filePath("merged.html"); // an extension of a report, still a merge
    RunResult r = run({mine, older, yours, "/o", out});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("完了     競合=0\n"));
    EXPECT_EQ(r.err, QString());
    EXPECT_EQ(read(out), "a\nB\nc\nD\n");

    const QString other = write("y2.txt", "a\nX\nc\nd\n");
    r = run({mine, older, other, "/o", out});
    EXPECT_EQ(r.status, 1) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("完了     競合=1\n"));
    EXPECT_EQ(read(out), ("a\n<<<<<<< " + mine + "\nB\n||||||| " + older +
                          "\nb\n=======\nX\n>>>>>>> " + other + "\nc\nd\n")
                             .toUtf8());
}

TEST_F(MergeBatchTest, TroubleExitsTwoAndNeverWritesOverAnInput) {
    const QString yours = write("y.txt", "a\nb\nc\nD\n");
    RunResult r = run({mine, older, yours, "/o", mine});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("出力先が併合するファイルと同じです")))
        << r.err.toStdString();
    EXPECT_EQ(r.out, QString());
    EXPECT_EQ(read(mine), "a\nB\nc\nd\n");

    const QString out = dir.filePath("out.txt");
    r = run({mine, dir.path(), yours, "/o", out});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err.count(u'\n'), 1) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(out));

    // A character Shift_JIS lacks, into a Shift_JIS MINE.
    const QByteArray sjisText =
        "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x95\xb6\x8f\xcd\x82\xc5\x82\xb7\n"
        "\x93\xf1\x8d\x73\x96\xda\x82\xcc\x95\xb6\x8f\xcd\x82\xc5\x82\xb7\n";
    const QString s = write("s.txt", sjisText);
    const QString u = write("u.txt", "日本語の文章です\n絵文字😀です\n");
    r = run({s, s, u, "/o", out});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("書けない文字"))) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(out));
}

} // namespace
