// An output named .diff or .patch is a unified diff: GNU patch applied to the left file gives
// the right one byte for byte (encodings, CR LF, lone CR and a missing last line end included),
// and where the alignment is the same as diff's, the output is what `diff -u` writes.
#include "BatchProgram.h"
#include "support/HangGuard.h"

#include <QProcess>

namespace {

QString revision(const QString &name) {
    return QStringLiteral(CORVANE_SOURCE_DIR "/tests/app/revisions/") + name;
}

struct ToolRun {
    int status = -1;
    QByteArray out;
    QString err;
};

class UnifiedDiffBatchTest : public BatchProgramTest {
protected:
    void SetUp() override {
        BatchProgramTest::SetUp();
        workingDirectory = dir.path();
    }

    // A committed revision copied into the test's folder.
    QString copy(const QString &name, const QString &as = QString()) {
        return write(as.isEmpty() ? name : as, read(revision(name)));
    }

    // A program run in the test's folder in the C locale (so diff sorts names by bytes).
    ToolRun tool(const QString &program, const QStringList &args) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(dir.path());
        p.start(program, args);
        EXPECT_TRUE(p.waitForFinished(HangGuardMs));
        return {p.exitCode(), p.readAllStandardOutput(),
                QString::fromLocal8Bit(p.readAllStandardError())};
    }

    // Compares left and right (names in the test's folder) into out.diff; its bytes.
    QByteArray unified(const QString &left, const QString &right, int expectedStatus = 1) {
        const RunResult r = run({left, right, QStringLiteral("/o"), QStringLiteral("out.diff")});
        EXPECT_EQ(r.status, expectedStatus) << r.err.toStdString();
        EXPECT_EQ(r.err, QString());
        return read(dir.filePath("out.diff"));
    }

    // What patch makes of `original` with out.diff.
    QByteArray patched(const QString &original) {
        QFile::remove(dir.filePath("patched"));
        const ToolRun p =
            tool(QStringLiteral("patch"), {"-s", "-o", "patched", original, "out.diff"});
        EXPECT_EQ(p.status, 0) << p.out.toStdString() << p.err.toStdString();
        return read(dir.filePath("patched"));
    }
};

const QStringList Revisions[] = {
    {"wordcount-1.c", "wordcount-2.c"},   {"memo-sjis-1.txt", "memo-sjis-2.txt"},
    {"memo-euc-1.txt", "memo-euc-2.txt"}, {"build-crlf-1.bat", "build-crlf-2.bat"},
    {"nofinal-1.txt", "nofinal-2.txt"},   {"nofinal-3.txt", "nofinal-4.txt"},
    {"lonecr-1.txt", "lonecr-2.txt"},     {"empty.txt", "two-lines.txt"},
};

} // namespace

TEST_F(UnifiedDiffBatchTest, PatchTurnsTheLeftRevisionIntoTheRightOneByteForByte) {
    for (const QByteArray &settings : {QByteArray(), QByteArray("Minimal=1\n")}) {
        write("setting.ini", "[Corvane]\n" + settings);
        for (const QStringList &pair : Revisions) {
            for (int from = 0; from < 2; ++from) {
                const QString &a = pair[from], &b = pair[1 - from];
                SCOPED_TRACE((settings + a + " -> " + b).toStdString());
                copy(a);
                copy(b);
                unified(a, b);
                EXPECT_EQ(patched(a), read(revision(b)));
            }
        }
    }
}

TEST_F(UnifiedDiffBatchTest, IsWhatDiffWritesWhereTheAlignmentIsTheSame) {
    // Both alignments agree with diff on these; on the C file they set blank lines elsewhere.
    for (const QStringList &pair : Revisions) {
        if (pair[0].endsWith(u".c"))
            continue;
        SCOPED_TRACE(pair.join(" -> ").toStdString());
        copy(pair[0]);
        copy(pair[1]);
        const ToolRun diff = tool(QStringLiteral("diff"), {"-u", pair[0], pair[1]});
        EXPECT_EQ(diff.status, 1);
        EXPECT_EQ(unified(pair[0], pair[1]), diff.out);
    }
}

TEST_F(UnifiedDiffBatchTest, AMissingSideIsCreatedOrDeleted) {
    copy("two-lines.txt");
    write("empty", "");
    // The null device (what git passes for an added or deleted file) and an empty argument.
    for (const QString &missing : {QStringLiteral("/dev/null"), QString()}) {
        // Every line is added or deleted: the files differ, as diff says (before, exit 0).
        const QByteArray created = unified(missing, "two-lines.txt", 1);
        EXPECT_TRUE(created.startsWith("--- /dev/null\t1970-01-01 ")) << created.constData();
        EXPECT_TRUE(created.contains("\n@@ -0,0 +1,2 @@\n+one line\n+and another\n"));
        EXPECT_EQ(patched("empty"), read(revision("two-lines.txt")));

        const QByteArray deleted = unified("two-lines.txt", missing, 1);
        EXPECT_TRUE(deleted.contains("\n+++ /dev/null\t1970-01-01 ")) << deleted.constData();
        EXPECT_TRUE(deleted.contains("\n@@ -1,2 +0,0 @@\n-one line\n-and another\n"));
        EXPECT_EQ(patched("two-lines.txt"), QByteArray());
    }
}

TEST_F(UnifiedDiffBatchTest, EqualFilesGiveAnEmptyDiffAndTheExtensionIsFoundInAnyCase) {
    copy("wordcount-1.c", "a.c");
    copy("wordcount-1.c", "b.c");
    EXPECT_EQ(unified("a.c", "b.c", 0), QByteArray());
    copy("wordcount-2.c", "b.c");
    const RunResult r = run({"a.c", "b.c", "/o", "OUT.Patch"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(read(dir.filePath("OUT.Patch")).startsWith("--- a.c\t"));
}

TEST_F(UnifiedDiffBatchTest, WhatTheComparisonIgnoresStillReachesThePatch) {
    // Equal for the comparison (exit 0), but patch must rebuild the right file exactly.
    write("setting.ini", "[Corvane]\nIgnoreSpace=2\nLetter=1\n");
    write("l.txt", "int  x = 1;\nreturn x;\n");
    write("r.txt", "int x=1;\nRETURN x;\n");
    const QByteArray out = unified("l.txt", "r.txt", 0);
    EXPECT_TRUE(out.contains("-int  x = 1;\n-return x;\n+int x=1;\n+RETURN x;\n")) << out.data();
    EXPECT_EQ(patched("l.txt"), read(dir.filePath("r.txt")));
    // The same text in another encoding: every line differs in its bytes.
    copy("memo-sjis-1.txt", "sjis.txt");
    copy("memo-euc-1.txt", "euc.txt");
    unified("sjis.txt", "euc.txt", 0);
    EXPECT_EQ(patched("sjis.txt"), read(revision("memo-euc-1.txt")));
}

TEST_F(UnifiedDiffBatchTest, TextThatPatchCannotTakeIsABinaryPair) {
    // UTF-16 (whose line ends are two bytes) holds NUL bytes; diff calls such files binary.
    write("u1.txt", QByteArray("\xFF\xFE"
                               "a\0\n\0",
                               6));
    write("u2.txt", QByteArray("\xFF\xFE"
                               "b\0\n\0",
                               6));
    EXPECT_EQ(unified("u1.txt", "u2.txt"), "Binary files u1.txt and u2.txt differ\n");
}

TEST_F(UnifiedDiffBatchTest, TwoFoldersGiveEveryChangedPairOneLevelDeepAsDiffDoes) {
    const char *sides[] = {"A", "B"};
    for (int k = 0; k < 2; ++k) {
        const QString side = QString::fromLatin1(sides[k]);
        const QString n = QString::number(k + 1);
        copy("nofinal-" + QString::number(k + 3) + ".txt", side + "/lines.txt");
        copy("memo-sjis-" + n + ".txt", side + "/memo.txt");
        copy("build-crlf-" + n + ".bat", side + "/build.bat");
        copy("nofinal-1.txt", side + "/same.txt");
        write(side + "/data.bin", QByteArray("\0\1\2", 3) + side.toLatin1());
        write(side + "/sub/deeper.txt", side.toLatin1()); // not compared: one level only
    }
    copy("two-lines.txt", "A/only-left.txt");
    copy("two-lines.txt", "B/only-right.txt");
    write("A/kind", "a file here\n");
    write("B/kind/inside.txt", "a folder there\n");

    const QByteArray out = unified("A", "B");
    const ToolRun diff = tool(QStringLiteral("diff"), {"-u", "A", "B"});
    EXPECT_EQ(out, diff.out);
    EXPECT_TRUE(out.contains("Only in A: only-left.txt\n"));
    EXPECT_TRUE(out.contains("Binary files A/data.bin and B/data.bin differ\n"));

    // Applied to a copy of A, the text pairs become B's.
    copy("nofinal-3.txt", "W/lines.txt");
    copy("memo-sjis-1.txt", "W/memo.txt");
    copy("build-crlf-1.bat", "W/build.bat");
    const ToolRun p = tool(QStringLiteral("patch"),
                           {"-s", "-f", "-d", "W", "-p1", "-i", dir.filePath("out.diff")});
    EXPECT_EQ(read(dir.filePath("W/lines.txt")), read(revision("nofinal-4.txt")))
        << p.err.toStdString();
    EXPECT_EQ(read(dir.filePath("W/memo.txt")), read(revision("memo-sjis-2.txt")));
    EXPECT_EQ(read(dir.filePath("W/build.bat")), read(revision("build-crlf-2.bat")));
}
