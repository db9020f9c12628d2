// A folder comparison never calls a pair equal that it did not compare: pairs of different
// kinds differ, a stopped comparison leaves its unreached rows marked as not compared, and a
// one-sided folder that cannot be read is named.
#include "FolderFixtures.h"

#include "export/CsvExport.h"
#include "export/HtmlExport.h"
#include "folder/SearchFolderTree.h"
#include "run/TextDiff.h"

#include <QSet>

#include <sys/stat.h>
#include <unistd.h>

namespace {

void compareTrees(Workspace &ws, const FolderPair &pair, int contentMode = 0) {
    prepareFolders(ws, contentMode);
    searchFolderTree(ws, pair.dir(0), pair.dir(1));
}

// Stops the run at its nth poll, as a held Esc key would.
void stopAtPoll(Workspace &ws, int n) {
    auto polls = std::make_shared<int>(0);
    ws.processEventsHook = [&ws, polls, n] {
        if (++*polls == n)
            ws.bAbort = true;
    };
}

int rowsIn(const Workspace &ws, Color color) {
    int rows = 0;
    for (int r = 1; r < ws.fgF.rows(); ++r)
        rows += ws.fgF.backColor(r, 0) == color && ws.fgF.backColor(r, 4) == color ? 1 : 0;
    return rows;
}

} // namespace

// diff -r --no-dereference: a link is a kind of its own, two links compare by their targets.
TEST(FolderVerdict, PairsOfDifferentKindsDifferThoughTheirDatesAgree) {
    FolderPair pair;
    pair.folder(0, "dir");
    pair.file(0, "dir/inside", "left");
    pair.folder(1, "elsewhere");
    pair.file(1, "elsewhere/inside", "right");
    pair.link(1, "dir", "elsewhere");
    pair.folder(0, "elsewhere");
    pair.file(0, "elsewhere/inside", "right");
    for (int side = 0; side < 2; ++side) {
        pair.link(side, "same-target", "elsewhere");
        pair.link(side, "other-target", side == 0 ? "dir" : "elsewhere");
        pair.link(side, "broken-same", "nowhere");
        pair.link(side, "broken-other", side == 0 ? "nowhere" : "nowhere-else");
    }
    pair.file(0, "pipe", "");
    ASSERT_EQ(::mkfifo(encodeNativeName(pair.path(1, "pipe")).constData(), 0644), 0);
    FolderPair::setTime(pair.path(1, "pipe"), FolderPair::defaultTime());
    for (const char *dated : {"dir", "elsewhere"})
        for (int side = 0; side < 2; ++side)
            FolderPair::setTime(pair.path(side, dated), FolderPair::defaultTime());

    Workspace ws;
    compareTrees(ws, pair);
    EXPECT_EQ(ws.runProblems, QStringList());
    // The link is not entered: its insides were not compared, a difference of kind.
    EXPECT_EQ(colouredCells(ws, rowOf(ws, "dir")), QStringLiteral("2,6"));
    EXPECT_EQ(rowOf(ws, "dir/inside"), 0);
    EXPECT_EQ(colouredCells(ws, rowOf(ws, "other-target")), QStringLiteral("2,6"));
    EXPECT_EQ(colouredCells(ws, rowOf(ws, "same-target")), QString());
    EXPECT_EQ(colouredCells(ws, rowOf(ws, "broken-other")), QStringLiteral("2,6"));
    EXPECT_EQ(colouredCells(ws, rowOf(ws, "broken-same")), QString());
    EXPECT_EQ(colouredCells(ws, rowOf(ws, "pipe")), QStringLiteral("2,6"));
    EXPECT_EQ(ws.DiffCount, 4);

    // One level deep no folder is entered: a link to a folder is a folder there. A pipe is
    // still no regular file, and broken links still compare by their targets.
    compareFolders(ws, pair);
    EXPECT_EQ(colouredCells(ws, rowOf(ws, "dir")), QString());
    EXPECT_EQ(colouredCells(ws, rowOf(ws, "pipe")), QStringLiteral("2,6"));
    EXPECT_EQ(colouredCells(ws, rowOf(ws, "broken-other")), QStringLiteral("2,6"));
    EXPECT_EQ(colouredCells(ws, rowOf(ws, "broken-same")), QString());
    EXPECT_EQ(ws.DiffCount, 2);
}

// Before, a stopped run left the rest uncoloured, which reads as equal, and said "完了".
TEST(FolderVerdict, AStoppedComparisonMarksWhatItDidNotCompareAndSaysSo) {
    FolderPair pair;
    for (int k = 0; k < 300; ++k) {
        const QByteArray name = "f" + QByteArray::number(1000 + k);
        pair.file(0, name, "same");
        pair.file(1, name, k % 50 == 7 ? "diff" : "same");
    }
    for (const bool tree : {false, true}) {
        SCOPED_TRACE(tree);
        Workspace ws;
        setupGridColumns(ws);
        ws.folderContentMode = 1;
        ws.recursiveFolders = tree;
        // Polls while listing: every 200 entries of both folders at one level, every 200 rows
        // through every level; then one every 100 rows compared. Stopped after 100 rows.
        stopAtPoll(ws, tree ? 2 : 4);
        fTextDiff(ws, pair.dir(0), pair.dir(1));
        const int differing = rowsIn(ws, ws.txtState[0]);
        const int notCompared = rowsIn(ws, Workspace::NotComparedColor);
        EXPECT_TRUE(ws.runAborted);
        EXPECT_GE(notCompared, 100);
        EXPECT_EQ(ws.NotComparedCount, notCompared);
        EXPECT_EQ(ws.DiffCount, differing);
        EXPECT_LE(differing, 6); // never more than the whole run finds
        EXPECT_EQ(ws.statusText(), QStringLiteral("中断しました     不一致行=%1  左のみ存在=0  "
                                                  "右のみ存在=0  未比較=%2")
                                       .arg(differing)
                                       .arg(notCompared));

        // The saved report says so too, and names the rows not compared.
        const QString csvPath = pair.dir(0) + QStringLiteral("/../report.csv");
        ASSERT_TRUE(ExportCsvUtf8(ws, ws.fgF, csvPath, QStringLiteral(",")));
        QFile csv(csvPath);
        ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
        QString text = QString::fromUtf8(csv.readAll());
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        EXPECT_TRUE(text.startsWith(QStringLiteral("\"%1\"\r\n").arg(ws.statusText())))
            << text.left(200).toStdString();
        EXPECT_EQ(text.count(QStringLiteral("\"未比較\"")), 2 * notCompared);
        const QString htmlPath = pair.dir(0) + QStringLiteral("/../report.html");
        ASSERT_TRUE(ExportHtml(ws, ws.fgF, htmlPath));
        QFile html(htmlPath);
        ASSERT_TRUE(html.open(QIODevice::ReadOnly));
        const QString page = QString::fromUtf8(html.readAll());
        EXPECT_TRUE(page.contains(QStringLiteral("中断しました")));
        EXPECT_TRUE(page.contains(QStringLiteral("未比較=%1").arg(notCompared)));

        // The whole run.
        ws.processEventsHook = nullptr;
        fTextDiff(ws, pair.dir(0), pair.dir(1));
        EXPECT_FALSE(ws.runAborted);
        EXPECT_EQ(ws.DiffCount, 6);
        EXPECT_EQ(ws.NotComparedCount, 0);
        EXPECT_TRUE(ws.statusText().startsWith(QStringLiteral("完了     不一致行=6")));
    }
}

TEST(FolderVerdict, AStopWhileListingLeavesEveryRowNotCompared) {
    FolderPair pair;
    for (int k = 0; k < 300; ++k)
        pair.both("f" + QByteArray::number(k), "x");
    pair.file(0, "left-only", "x");
    for (const bool tree : {false, true}) {
        SCOPED_TRACE(tree);
        Workspace ws;
        setupGridColumns(ws);
        ws.recursiveFolders = tree;
        stopAtPoll(ws, 1);
        fTextDiff(ws, pair.dir(0), pair.dir(1));
        EXPECT_TRUE(ws.runAborted);
        EXPECT_EQ(ws.DiffCount + ws.LeftOnlyCount + ws.RightOnlyCount, 0);
        EXPECT_GT(ws.NotComparedCount, 0);
        EXPECT_EQ(rowsIn(ws, Workspace::NotComparedColor), ws.NotComparedCount);
        EXPECT_TRUE(ws.statusText().startsWith(QStringLiteral("中断しました     不一致行=0")));
    }
}

TEST(FolderVerdict, AOneSidedFolderThatCannotBeReadIsNamed) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind root";
    FolderPair pair;
    const QString closed = pair.folder(0, "closed");
    pair.file(0, "closed/a", "a");
    pair.folder(0, "open");
    pair.folder(0, "open/inner");
    pair.file(0, "open/inner/b", "b");
    const QString inner = pair.path(0, "open/inner");
    ASSERT_EQ(::chmod(encodeNativeName(closed).constData(), 0), 0);
    ASSERT_EQ(::chmod(encodeNativeName(inner).constData(), 0), 0);
    Workspace ws;
    compareTrees(ws, pair);
    ::chmod(encodeNativeName(closed).constData(), 0755);
    ::chmod(encodeNativeName(inner).constData(), 0755);
    QStringList problems = ws.runProblems;
    problems.sort();
    EXPECT_EQ(problems, QStringList({"読み取れません: " + closed, "読み取れません: " + inner}));
    EXPECT_EQ(ws.fgF.text(rowOf(ws, "closed"), 1), QStringLiteral("? 項目"));
    EXPECT_EQ(ws.fgF.text(rowOf(ws, "open"), 1), QStringLiteral("1 項目"));
}

// Wherever the stop falls (here at the first poll of the comparison, maybe inside a large
// pair), every row says the truth: changed only when it differs, uncoloured only when equal,
// or not compared.
TEST(FolderVerdict, AStopInsideALargePairLeavesNoFalseVerdict) {
    FolderPair pair;
    QSet<QString> differing;
    for (int k = 0; k < 300; ++k) {
        const QByteArray name = "small" + QByteArray::number(k);
        pair.file(0, name, "same");
        pair.file(1, name, k % 50 == 0 ? "diff" : "same");
        if (k % 50 == 0)
            differing.insert(QString::fromLatin1(name));
    }
    for (const char *big : {"big1", "big2"}) {
        for (int side = 0; side < 2; ++side) {
            const QString path = pair.file(side, big, "");
            ASSERT_EQ(::truncate(encodeNativeName(path).constData(), qint64(64) << 20), 0);
            FolderPair::setTime(path, FolderPair::defaultTime());
        }
    }
    for (const bool tree : {false, true}) {
        SCOPED_TRACE(tree);
        Workspace ws;
        setupGridColumns(ws);
        ws.folderContentMode = 1;
        ws.recursiveFolders = tree;
        ws.processEventsHook = [&ws] {
            if (ws.statusText().startsWith(QStringLiteral("解析中です")))
                ws.bAbort = true;
        };
        fTextDiff(ws, pair.dir(0), pair.dir(1));
        EXPECT_TRUE(ws.runAborted);
        for (int r = 1; r < ws.fgF.rows(); ++r) {
            const QString name = ws.fgF.text(r, 0);
            const Color colour = ws.fgF.backColor(r, 0);
            if (colour == Workspace::NotComparedColor)
                continue;
            EXPECT_EQ(colour == ws.txtState[0], differing.contains(name)) << name.toStdString();
        }
    }
}
