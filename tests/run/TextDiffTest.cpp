#include "run/TextDiff.h"
#include "encoding/Charset.h"
#include "engine/EngineTexts.h"
#include "run/GridFill.h"
#include "support/TempFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class TextDiffTest : public ::testing::Test {
protected:
    QString write(const QString &name, const QByteArray &bytes) { return dir.write(name, bytes); }

    // Grid rows as "n text | n text" (empty sides stay empty).
    QStringList rows() const {
        QStringList out;
        for (int r = 1; r < ws.fg.rows(); ++r)
            out << ws.fg.text(r, 0) + ' ' + ws.fg.text(r, 1) + " | " + ws.fg.text(r, 2) + ' ' +
                       ws.fg.text(r, 3);
        return out;
    }

    TempFiles dir;
    Workspace ws;
};

const QString Summary = EngineTexts::Done;

} // namespace

TEST_F(TextDiffTest, BothPathsEmptyOnlyResetsTheViews) {
    ws.DiffCount = 3;
    ws.workbookInfo[0] = "old";
    ws.lv[1].append({"1", "Sheet1", "A1:B2"});
    fTextDiff(ws, "", "");
    EXPECT_EQ(ws.DiffCount, 0);
    EXPECT_TRUE(ws.lv[1].isEmpty());
    EXPECT_TRUE(ws.workbookInfo[0].isEmpty());
    EXPECT_EQ(ws.fg.rows(), 2);
    EXPECT_EQ(ws.fg.text(0, 1), QStringLiteral("本文"));
    EXPECT_EQ(ws.fgB.rows(), 3);
    EXPECT_EQ(ws.fgB.text(1, 0), QStringLiteral("アドレス"));
    EXPECT_EQ(ws.fgF.text(0, 7), QStringLiteral("更新日付"));
}

TEST_F(TextDiffTest, SamePathTwiceOnlySaysSo) {
    const QString a = write("a.txt", "x\n");
    fTextDiff(ws, a, a);
    EXPECT_EQ(ws.statusText(), QStringLiteral("パス１とパス２が同じです"));
    EXPECT_EQ(ws.fg.rows(), 2);
    EXPECT_TRUE(ws.fg.isEmpty(1, 0));
}

TEST_F(TextDiffTest, TrailingLineBreakGivesOneLeftOnlyRow) {
    const QString a = write("a.txt", "first line\nsecond line\n");
    const QString b = write("b.txt", "first line\nsecond line");
    fTextDiff(ws, a, b);
    EXPECT_EQ(rows(), QStringList({"1 first line | 1 first line", "2 second line | 2 second line",
                                   "3  |  "}));
    EXPECT_EQ(ws.statusText(), QStringLiteral("完了     不一致行=0  左のみ存在=1  右のみ存在=0"));
    // The side that has the line shows "added", the other "deleted".
    EXPECT_EQ(ws.fg.backColor(3, 0), ws.txtState[1]);
    EXPECT_EQ(ws.fg.backColor(3, 3), ws.txtState[2]);
    EXPECT_EQ(ws.fg.backColor(1, 0), ResultGrid::DefaultColor);
    EXPECT_TRUE(ws.fg.text(0, 1).startsWith(QStringLiteral("a.txt [")));
    EXPECT_EQ(ws.cb[0], a);
    EXPECT_EQ(ws.cb[1], b);
}

TEST_F(TextDiffTest, RightOnlyAndChangedRowsAreColouredAndCounted) {
    const QString a = write("a.txt", "same\nold text\n");
    const QString b = write("b.txt", "same\nnew text\nadded line\n");
    fTextDiff(ws, a, b);
    EXPECT_EQ(ws.DiffCount, 1);
    EXPECT_EQ(ws.RightOnlyCount, 1);
    EXPECT_EQ(ws.fg.backColor(2, 1), ws.txtState[0]);
    EXPECT_EQ(ws.fg.backColor(2, 2), ws.txtState[0]);
    EXPECT_EQ(ws.fg.backColor(3, 0), ws.txtState[2]);
    EXPECT_EQ(ws.fg.backColor(3, 3), ws.txtState[1]);
}

TEST_F(TextDiffTest, EmptySecondPathShowsTheFirstFileAloneUncoloured) {
    const QString a = write("a.txt", "one\ntwo");
    fTextDiff(ws, a, "");
    EXPECT_EQ(rows(), QStringList({"1 one |  ", "2 two |  "}));
    EXPECT_EQ(ws.fg.backColor(1, 1), ResultGrid::DefaultColor);
    EXPECT_EQ(ws.statusText(), Summary);
}

TEST_F(TextDiffTest, MissingFirstPathShowsTheSecondFileInTheRightColumns) {
    const QString b = write("b.txt", "ONLY RIGHT");
    fTextDiff(ws, dir.filePath("missing.txt"), b);
    EXPECT_EQ(rows(), QStringList({"  | 1 ONLY RIGHT"}));
}

TEST_F(TextDiffTest, IgnoreCaseHidesCaseOnlyChangesExceptInOnlyDifferencesMode) {
    const QString a = write("a.txt", "HELLO WORLD\nSAME LINE 45\n");
    const QString b = write("b.txt", "hello world\nSAME LINE 45\n");
    ws.ignoreCase = true;
    fTextDiff(ws, a, b);
    EXPECT_EQ(ws.DiffCount, 0);
    EXPECT_EQ(ws.fg.backColor(1, 1), ResultGrid::DefaultColor);

    ws.OnlyDF = true;
    fTextDiff(ws, a, b);
    EXPECT_EQ(ws.DiffCount, 1);
    EXPECT_EQ(rows(), QStringList({"1 HELLO WORLD | 1 hello world"}));
    EXPECT_EQ(ws.fg.backColor(1, 0), ws.txtState[0]);
}

TEST_F(TextDiffTest, OnlyDifferencesKeepsSourceLineNumbers) {
    const QString a = write("a.txt", "l1\nl2\nl3\nl4\n");
    const QString b = write("b.txt", "l1\nXX\nl3\nl4\nl5\n");
    ws.OnlyDF = true;
    fTextDiff(ws, a, b);
    // The short lines of the gap lie side by side; l3/l3 and l4/l4 are equal rows, left out.
    EXPECT_EQ(rows(), QStringList({"2 l2 | 2 XX", "  | 5 l5"}));
    EXPECT_EQ(ws.DiffCount, 1);
    EXPECT_EQ(ws.RightOnlyCount, 1);

    // Identical texts leave the single empty data row.
    fTextDiff(ws, a, write("c.txt", "l1\nl2\nl3\nl4\n"));
    EXPECT_EQ(ws.fg.rows(), 2);
    EXPECT_TRUE(ws.fg.isEmpty(1, 0));
    EXPECT_EQ(ws.statusText(), Summary);
}

TEST_F(TextDiffTest, ShiftJisWithCrLfEqualsUtf8WithLf) {
    // "日本語のテキスト" / "二行目" in Shift_JIS with CR LF, and in UTF-8 with LF.
    const QByteArray sjis = QByteArray::fromHex("93fa967b8cea82cc8365834c835883670d0a93f18d7396da");
    const QByteArray utf8 = QStringLiteral("日本語のテキスト\n二行目").toUtf8();
    fTextDiff(ws, write("s.txt", sjis), write("u.txt", utf8));
    // Equal texts; the summary says why the files differ all the same.
    EXPECT_EQ(ws.statusText(),
              Summary + QStringLiteral("  文字コードと改行コードのみ異なります (CRLF / LF)"));
    EXPECT_EQ(ws.DiffCount + ws.LeftOnlyCount + ws.RightOnlyCount, 0);
    EXPECT_EQ(ws.shownEncoding[0], QStringLiteral("SJIS"));
    EXPECT_EQ(ws.shownEncoding[1], QStringLiteral("UTF8"));
    EXPECT_EQ(ws.fg.text(1, 1), QStringLiteral("日本語のテキスト"));
    EXPECT_EQ(ws.fg.text(2, 3), QStringLiteral("二行目"));
}

TEST_F(TextDiffTest, ClipboardOnBothSidesIsCompared) {
    ws.clipboardSlot[0] = "a\r\nb\rc\nd";
    ws.clipboardSlot[1] = "a\r\nb\rX\nd";
    fTextDiff(ws, ClipboardWord, ClipboardWord);
    EXPECT_EQ(rows(), QStringList({"1 a | 1 a", "2 b\rc | 2 b\rX", "3 d | 3 d"}));
    EXPECT_EQ(ws.DiffCount, 1);
}

TEST_F(TextDiffTest, HoldingEscapeStopsTheMatchingWithHeadersOnly) {
    QByteArray a, b;
    for (int k = 0; k < 500; ++k) {
        a += "line " + QByteArray::number(k) + "\n";
        b += "line " + QByteArray::number(k % 7 == 0 ? -k : k) + "\n";
    }
    int polls = 0;
    ws.processEventsHook = [&] {
        if (++polls == 2)
            ws.bAbort = true;
    };
    fTextDiff(ws, write("a.txt", a), write("b.txt", b));
    EXPECT_EQ(ws.fg.rows(), 2);
    EXPECT_TRUE(ws.fg.isEmpty(1, 0));
    EXPECT_FALSE(ws.bAbort); // cleared when the run ends
    // Not "完了", the word for a finished run: the counts are only of what it reached.
    EXPECT_EQ(ws.statusText(),
              QStringLiteral("中断しました     不一致行=0  左のみ存在=0  右のみ存在=0"));
    EXPECT_TRUE(ws.runAborted);
    EXPECT_EQ(ws.runSummary, ws.statusText());

    // A stop during a one-sided display, too, with the rows shown so far.
    polls = 0;
    QByteArray many;
    for (int k = 0; k < 3000; ++k)
        many += "x\n";
    ws.processEventsHook = [&] {
        if (++polls == 2)
            ws.bAbort = true;
    };
    fTextDiff(ws, write("many.txt", many), "");
    EXPECT_TRUE(ws.statusText().startsWith(QStringLiteral("中断しました")));
    ws.processEventsHook = nullptr;
    fTextDiff(ws, dir.filePath("many.txt"), "");
    EXPECT_EQ(ws.statusText(), Summary);
    EXPECT_FALSE(ws.runAborted);
}

// The null device names a file that does not exist (git passes it for an added or deleted
// file): the other file is compared against no lines, as diff does and as an empty file is.
// Before, its lines were shown alone, uncounted, and the run said "完了" as for equal files.
TEST_F(TextDiffTest, TheNullDeviceBesideAFileMakesEveryLineOneSided) {
    const QString b = write("b.txt", "one\ntwo\n");
    const QString empty = write("empty", "");
    fTextDiff(ws, empty, b);
    const QStringList againstEmpty = rows();
    const Color addedColour = ws.fg.backColor(1, 3);
    ASSERT_EQ(ws.RightOnlyCount, 3);

    fTextDiff(ws, QStringLiteral("/dev/null"), b);
    EXPECT_EQ(rows(), againstEmpty);
    EXPECT_EQ(ws.fg.backColor(1, 3), addedColour);
    EXPECT_EQ(ws.RightOnlyCount, 3);
    EXPECT_EQ(ws.statusText(),
              Summary + QStringLiteral("     不一致行=0  左のみ存在=0  右のみ存在=3"));

    fTextDiff(ws, b, QStringLiteral("/dev/null"));
    EXPECT_EQ(ws.LeftOnlyCount, 3);
    EXPECT_EQ(ws.RightOnlyCount, 0);

    ws.Binary = true;
    fTextDiff(ws, QStringLiteral("/dev/null"), b);
    EXPECT_EQ(ws.shownView(), ResultView::Binary);
    EXPECT_EQ(ws.RightOnlyCount, 1);
}

// Both text files are read at the same time; what went wrong is still told left side first,
// and a stop while they load ends both reads without passing for a problem.
TEST_F(TextDiffTest, SidesReadTogetherReportProblemsInOrderAndStopTogether) {
    auto tooLarge = [&](const QString &name) {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.resize(MaxComparedFileBytes + 1));
        return path;
    };
    const QString big1 = tooLarge("big1.txt"), big2 = tooLarge("big2.txt");
    const QString small = write("small.txt", "text\n");
    const QString tooLargeText = EngineTexts::TooLargeToRead;

    fTextDiff(ws, big1, big2);
    EXPECT_EQ(ws.runProblems, QStringList({tooLargeText + big1, tooLargeText + big2}));
    fTextDiff(ws, small, big2);
    EXPECT_EQ(ws.runProblems, QStringList({tooLargeText + big2}));
    EXPECT_EQ(rows(), QStringList({"1 text |  ", "2  |  "}));

    // Files of several blocks: a read asks about a stop between blocks.
    const QByteArray lines = QByteArray("line\n").repeated(1 << 20);
    const QString left = write("left.txt", lines), right = write("right.txt", lines + "more\n");
    ws.bAbort = true; // Esc held as the run starts
    fTextDiff(ws, left, right);
    EXPECT_TRUE(ws.runProblems.isEmpty());
    EXPECT_EQ(ws.fg.rows(), 2);
    EXPECT_TRUE(ws.fg.isEmpty(1, 1));
    EXPECT_FALSE(ws.bAbort);

    // A read long enough to hear the stop beside one too short to: the short side is never
    // shown compared with an empty one.
    const QString longer = write("longer.txt", QByteArray("line\n").repeated(24 << 20));
    ws.bAbort = true;
    fTextDiff(ws, longer, small);
    EXPECT_TRUE(ws.runProblems.isEmpty());
    EXPECT_EQ(ws.fg.rows(), 2);
    EXPECT_TRUE(ws.fg.isEmpty(1, 3));
}

// A real source file and its revision before, which lacked a function of 36 lines: the
// counters show those lines added, whichever way the lines are matched (the anchor matching
// alone counted 140 changed, 147 deleted and 183 added lines).
TEST_F(TextDiffTest, AnAddedFunctionCountsItsLinesOnly) {
    QFile source(QStringLiteral(CORVANE_SOURCE_DIR "/tests/engine/files/grid-source.txt"));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QByteArray after = source.readAll();
    QList<QByteArray> lines = after.split('\n');
    lines.remove(156, 36);
    const QString a = write("before.cpp", lines.join('\n')), b = write("after.cpp", after);
    for (int variant = 0; variant < 3; ++variant) {
        ws.minimalMatching = variant == 1;
        ws.folding.space = variant == 2 ? LineFolding::SpaceAmount : LineFolding::KeepSpace;
        fTextDiff(ws, a, b);
        EXPECT_EQ(ws.DiffCount, 0) << variant;
        EXPECT_EQ(ws.LeftOnlyCount, 0) << variant;
        EXPECT_EQ(ws.RightOnlyCount, 36) << variant;
    }
}

TEST_F(TextDiffTest, HostileFilesLoadWithoutCrashing) {
    QByteArray garbage;
    for (int k = 0; k < 100000; ++k)
        garbage += char((k * 2654435761u) >> 13);
    const QByteArray nuls(4096, '\0');
    const QByteArray longLine(3 * 1024 * 1024, 'x');
    const QString paths[] = {write("g.bin", garbage), write("n.bin", nuls),
                             write("e.txt", QByteArray()), write("l.txt", longLine)};
    for (const QString &a : paths) {
        for (const QString &b : paths) {
            if (a == b)
                continue;
            fTextDiff(ws, a, b);
            EXPECT_TRUE(ws.statusText().startsWith(Summary)) << a.toStdString();
            EXPECT_TRUE(ws.runProblems.isEmpty());
        }
    }
    // An empty file compared with nothing shows one empty row and "完了".
    fTextDiff(ws, paths[2], "");
    EXPECT_EQ(ws.fg.rows(), 2);
    EXPECT_EQ(ws.statusText(), Summary);
}

TEST_F(TextDiffTest, FolderBesideAFileIsListedAlone) {
    const QString a = write("a.txt", "TEXT\n");
    fTextDiff(ws, a, dir.path());
    EXPECT_EQ(ws.shownView(), ResultView::Folder);
    EXPECT_EQ(ws.fgF.text(1, 4), QStringLiteral("a.txt"));
    EXPECT_TRUE(ws.fgF.isEmpty(1, 0));
    EXPECT_EQ(ws.statusText(), Summary);
}

TEST_F(TextDiffTest, TwoFoldersAreComparedEntryByEntry) {
    dir.write("l/same.txt", "SAME");
    dir.write("l/only-left.txt", "X");
    dir.write("r/same.txt", "SAME");
    int recent = 0;
    ws.addRecentHook = [&](const QString &, const QString &) { ++recent; };
    fTextDiff(ws, dir.filePath("l"), dir.filePath("r"));
    EXPECT_EQ(ws.shownView(), ResultView::Folder);
    EXPECT_EQ(ws.LeftOnlyCount, 1);
    EXPECT_EQ(recent, 1);
    EXPECT_TRUE(ws.statusText().startsWith(QStringLiteral("完了     不一致行=")));
}

TEST_F(TextDiffTest, BinaryModeDumpsFilesAndClipboardTextAndComparesRows) {
    ws.Binary = true;
    const QString a = write("a.bin", QByteArray(32, 'x'));
    const QString b = write("b.bin", QByteArray(32, 'x') + "yz");
    fTextDiff(ws, a, b);
    EXPECT_EQ(ws.shownView(), ResultView::Binary);
    EXPECT_EQ(ws.fgB.text(4, 2), QStringLiteral("00000020"));
    EXPECT_EQ(ws.fgB.text(4, 3), QStringLiteral("79 7A"));
    EXPECT_EQ(ws.DiffCount, 1);
    EXPECT_TRUE(ws.fgB.text(0, 1).startsWith(QStringLiteral("a.bin [")));

    ws.clipboardSlot[1] = QStringLiteral("AB");
    fTextDiff(ws, "", ClipboardWord);
    EXPECT_EQ(ws.fgB.text(2, 3), QStringLiteral("41 00 42 00"));
    EXPECT_EQ(ws.statusText(), Summary);
}

TEST(SplitLines, BreaksAtLfOrClipboardBreaksAndPointsIntoTheText) {
    EXPECT_TRUE(splitLinesShared(QString()).isEmpty());
    EXPECT_TRUE(splitClipboardLinesShared(QString()).isEmpty());
    // A trailing break gives a last, empty line; a CR stays in normalised text.
    EXPECT_EQ(splitLinesShared("a\r\nb\n"), QStringList({"a\r", "b", ""}));
    // The clipboard breaks at CR LF and at a lone LF, never at a lone CR.
    EXPECT_EQ(splitClipboardLinesShared("a\r\nb\rc\nd\r\n"), QStringList({"a", "b\rc", "d", ""}));
    EXPECT_EQ(splitClipboardLinesShared("\r\n"), QStringList({"", ""}));

    const QString text = QStringLiteral("first\nsecond");
    const QStringList lines = splitLinesShared(text);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[1].constData(), text.constData() + 6);
}
