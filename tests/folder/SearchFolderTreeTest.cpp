// The folder comparison through every level: rows in tree order named by relative paths,
// folder states from their contents, counters of files, links never followed.
#include "FolderFixtures.h"

#include "folder/SearchFolderTree.h"

#include <QHash>

#include <memory>
#include <vector>

#include <unistd.h>

namespace {

void compareTrees(Workspace &ws, const FolderPair &pair, int contentMode = 0,
                  bool onlyDifferences = false) {
    prepareFolders(ws, contentMode, onlyDifferences);
    searchFolderTree(ws, pair.dir(0), pair.dir(1));
}

QStringList names(const Workspace &ws) {
    QStringList all;
    for (int r = 1; r < ws.fgF.rows(); ++r)
        all.append(ws.fgF.isEmpty(r, 0) ? ws.fgF.text(r, 4) : ws.fgF.text(r, 0));
    return all;
}

// Every entry follows its folder's row, and a folder's rows are not interrupted by others.
void expectTreeOrder(const Workspace &ws) {
    const QStringList all = names(ws);
    for (qsizetype r = 0; r < all.size(); ++r) {
        const qsizetype cut = all[r].lastIndexOf(QLatin1Char('/'));
        if (cut < 0)
            continue;
        const QString folder = all[r].left(cut);
        const qsizetype at = all.indexOf(folder);
        ASSERT_GE(at, 0) << all[r].toStdString();
        ASSERT_LT(at, r) << all[r].toStdString();
        for (qsizetype k = at + 1; k < r; ++k)
            EXPECT_TRUE(all[k].startsWith(folder + QLatin1Char('/'))) << all[k].toStdString();
    }
}

// Both sides: a/same.txt, a/b/c/deep.txt (differs), same/x; left only: old/ (two files and
// old/sub/one); right only: a/b/new.txt.
void fillTrees(const FolderPair &pair) {
    for (int side = 0; side < 2; ++side) {
        for (const char *folder : {"a", "a/b", "a/b/c", "same"})
            pair.folder(side, folder);
        pair.file(side, "a/same.txt", "same");
        pair.file(side, "a/b/c/deep.txt", side == 0 ? "left" : "right!");
        pair.file(side, "same/x", "x");
        pair.file(side, "top.txt", "top");
    }
    pair.folder(0, "old");
    pair.folder(0, "old/sub");
    pair.file(0, "old/1", "1");
    pair.file(0, "old/2", "2");
    pair.file(0, "old/sub/one", "1");
    pair.file(1, "a/b/new.txt", "new");
    // The folders' own times differ: only their contents decide.
    for (const char *folder : {"a", "a/b", "a/b/c", "same"})
        FolderPair::setTime(pair.path(1, folder), FolderPair::defaultTime() + 5000);
}

} // namespace

TEST(FolderTree, ChangesAtSeveralDepthsReachEveryFolderAbove) {
    FolderPair pair;
    fillTrees(pair);
    Workspace ws;
    compareTrees(ws, pair);
    QStringList expected{"a",           "a/same.txt", "a/b",    "a/b/c",   "a/b/c/deep.txt",
                         "a/b/new.txt", "same",       "same/x", "top.txt", "old"};
    QStringList got = names(ws);
    got.sort();
    expected.sort();
    EXPECT_EQ(got, expected);
    expectTreeOrder(ws);
    EXPECT_EQ(ws.DiffCount, 1);
    EXPECT_EQ(ws.LeftOnlyCount, 3); // the files below old/
    EXPECT_EQ(ws.RightOnlyCount, 1);
    EXPECT_EQ(ws.runProblems, QStringList());

    for (const char *changed : {"a", "a/b", "a/b/c"})
        EXPECT_EQ(colouredCells(ws, rowOf(ws, changed)), QStringLiteral("0,4")) << changed;
    EXPECT_EQ(ws.fgF.backColor(rowOf(ws, "a"), 0), ws.txtState[0]);
    for (const char *equal : {"same", "same/x", "a/same.txt", "top.txt"})
        EXPECT_EQ(colouredCells(ws, rowOf(ws, equal)), QString()) << equal;
    EXPECT_EQ(colouredCells(ws, rowOf(ws, "a/b/c/deep.txt")), QStringLiteral("1,5"));

    // The one-sided folder: one row naming how many entries it holds, its side "added".
    const int old = rowOf(ws, "old");
    EXPECT_EQ(ws.fgF.text(old, 1), QStringLiteral("3 項目"));
    EXPECT_EQ(ws.fgF.text(old, 2), QStringLiteral("フォルダ"));
    EXPECT_EQ(ws.fgF.backColor(old, 0), ws.txtState[1]);
    EXPECT_EQ(ws.fgF.backColor(old, 4), ws.txtState[2]);
    const int added = rowOf(ws, "a/b/new.txt", 4);
    EXPECT_TRUE(ws.fgF.isEmpty(added, 0));
    EXPECT_EQ(ws.fgF.backColor(added, 4), ws.txtState[1]);

    // Contents compared at depth too: the bytes of equal-sized files.
    pair.file(1, "a/same.txt", "SAME");
    compareTrees(ws, pair, 1);
    EXPECT_EQ(colouredCells(ws, rowOf(ws, "a/same.txt")), QStringLiteral("0,4"));
    EXPECT_EQ(ws.DiffCount, 2);
}

TEST(FolderTree, OnlyDifferencesHidesEqualFilesAndEqualFolders) {
    FolderPair pair;
    fillTrees(pair);
    Workspace ws;
    compareTrees(ws, pair, 0, true);
    QStringList got = names(ws);
    got.sort();
    EXPECT_EQ(got, (QStringList{"a", "a/b", "a/b/c", "a/b/c/deep.txt", "a/b/new.txt", "old"}));
    expectTreeOrder(ws);

    // Two equal trees: one empty data row, nothing counted.
    FolderPair equal;
    equal.folder(0, "d");
    equal.folder(1, "d");
    equal.both("d/f", "f");
    compareTrees(ws, equal, 1, true);
    EXPECT_EQ(ws.fgF.rows(), 2);
    EXPECT_TRUE(ws.fgF.isEmpty(1, 0));
    EXPECT_EQ(ws.DiffCount + ws.LeftOnlyCount + ws.RightOnlyCount, 0);
}

TEST(FolderTree, LinksAreListedNeverFollowed) {
    FolderPair pair;
    for (int side = 0; side < 2; ++side) {
        pair.folder(side, "d");
        pair.link(side, "d/self", ".");
        pair.link(side, "d/up", "../..");
        pair.link(side, "loop1", "loop2");
        pair.link(side, "loop2", "loop1");
        // "d/self" is listed with the time of d, which the links made in it have changed.
        FolderPair::setTime(pair.path(side, "d"), FolderPair::defaultTime());
    }
    pair.link(0, "only", "d");
    Workspace ws;
    compareTrees(ws, pair);
    QStringList got = names(ws);
    got.sort();
    EXPECT_EQ(got, (QStringList{"d", "d/self", "d/up", "loop1", "loop2", "only"}));
    EXPECT_EQ(ws.LeftOnlyCount, 1);
    EXPECT_EQ(ws.DiffCount, 0);
    EXPECT_EQ(ws.runProblems, QStringList());
}

TEST(FolderTree, UnreadableSubfolderIsNamedAndItsFolderMarked) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind root";
    FolderPair pair;
    for (int side = 0; side < 2; ++side) {
        pair.folder(side, "open");
        pair.folder(side, "open/closed");
        pair.file(side, "open/closed/f", "f");
        pair.file(side, "open/g", "g");
    }
    const QString closed = pair.path(0, "open/closed");
    ASSERT_EQ(::chmod(encodeNativeName(closed).constData(), 0), 0);
    Workspace ws;
    compareTrees(ws, pair);
    ::chmod(encodeNativeName(closed).constData(), 0755);
    EXPECT_EQ(ws.runProblems, QStringList{"読み取れません: " + closed});
    EXPECT_EQ(colouredCells(ws, rowOf(ws, "open/closed")), QStringLiteral("0,4"));
    EXPECT_EQ(colouredCells(ws, rowOf(ws, "open")), QStringLiteral("0,4"));
    EXPECT_EQ(colouredCells(ws, rowOf(ws, "open/g")), QString());
    EXPECT_EQ(rowOf(ws, "open/closed/f"), 0);
}

TEST(FolderTree, FolderAloneIsListedThroughEveryLevelUncompared) {
    FolderPair pair;
    fillTrees(pair);
    for (const int side : {0, 1}) {
        Workspace ws;
        prepareFolders(ws, 0, false);
        searchFolderTree(ws, side == 0 ? pair.dir(0) : QString(),
                         side == 1 ? pair.dir(1) : QString());
        QStringList got;
        for (int r = 1; r < ws.fgF.rows(); ++r) {
            EXPECT_TRUE(ws.fgF.isEmpty(r, 4 * (1 - side))) << r;
            got << ws.fgF.text(r, 4 * side);
        }
        QStringList expected =
            side == 0
                ? QStringList{"a",     "a/same.txt", "a/b",        "a/b/c", "a/b/c/deep.txt",
                              "same",  "same/x",     "top.txt",    "old",   "old/1",
                              "old/2", "old/sub",    "old/sub/one"}
                : QStringList{"a",           "a/same.txt", "a/b",    "a/b/c",  "a/b/c/deep.txt",
                              "a/b/new.txt", "same",       "same/x", "top.txt"};
        got.sort();
        expected.sort();
        EXPECT_EQ(got, expected) << side;
        expectTreeOrder(ws);
        // As a one-level listing of a folder alone: nothing coloured or counted, the other
        // side's exact size 0 under the left folder's entries.
        EXPECT_EQ(ws.DiffCount + ws.LeftOnlyCount + ws.RightOnlyCount, 0);
        EXPECT_EQ(ws.runProblems, QStringList());
        for (int r = 1; r < ws.fgF.rows(); ++r) {
            EXPECT_EQ(colouredCells(ws, r), QString()) << r;
            EXPECT_EQ(ws.fgF.text(r, 8 + (1 - side)), side == 0 ? "0" : "") << r;
        }
    }
}

TEST(FolderTree, EscStopsTheListingAtTheNextPollAtAnyDepth) {
    FolderPair pair;
    for (int side = 0; side < 2; ++side) {
        for (const char *folder : {"a", "a/b", "c"})
            pair.folder(side, folder);
        for (int k = 0; k < 300; ++k) {
            pair.file(side, "a/b/" + QByteArray::number(k), "x");
            pair.file(side, "c/" + QByteArray::number(k), side == 0 ? "x" : "yy");
        }
    }
    Workspace ws;
    prepareFolders(ws);
    int polls = 0;
    ws.processEventsHook = [&] {
        if (++polls == 1)
            ws.bAbort = true; // Esc, seen at the first poll (200 entries in)
    };
    searchFolderTree(ws, pair.dir(0), pair.dir(1));
    EXPECT_EQ(polls, 1);
    EXPECT_LE(ws.fgF.rows(), 1 + 200);
    EXPECT_EQ(ws.DiffCount + ws.LeftOnlyCount + ws.RightOnlyCount, 0); // nothing compared
}

// The coloured columns of a row of any grid, and the rows by name.
QString colouredCells(const ResultGrid &g, int r) {
    QStringList cells;
    for (int c = 0; c < 8; ++c)
        if (g.backColor(r, c) != ResultGrid::DefaultColor)
            cells.append(QString::number(c));
    return cells.join(QLatin1Char(','));
}
QHash<QString, int> rowsByName(const ResultGrid &g) {
    QHash<QString, int> rows;
    for (int r = 1; r < g.rows(); ++r)
        rows.insert(g.isEmpty(r, 0) ? g.text(r, 4) : g.text(r, 0), r);
    return rows;
}

TEST(FolderTree, TopLevelPreviewHoldsTheStatesKnownBeforeTheFoldersBelow) {
    FolderPair pair;
    fillTrees(pair);
    pair.file(0, "sized.txt", "a");
    pair.file(1, "sized.txt", "abc");
    pair.file(0, "samesize.txt", "ab");
    pair.file(1, "samesize.txt", "AB");
    for (const int mode : {0, 1}) {
        for (const bool onlyDifferences : {false, true}) {
            SCOPED_TRACE(mode * 10 + onlyDifferences);
            Workspace ws;
            std::vector<std::shared_ptr<ResultGrid>> previews;
            ws.folderPreviewHook = [&](std::shared_ptr<ResultGrid> g) { previews.push_back(g); };
            compareTrees(ws, pair, mode, onlyDifferences);
            ASSERT_EQ(previews.size(), 1u); // the top level only
            const ResultGrid &preview = *previews[0];
            const QHash<QString, int> shown = rowsByName(preview);
            const QHash<QString, int> final = rowsByName(ws.fgF);
            QStringList got = shown.keys();
            got.sort();
            // Folders stay whatever they hold; files known to be equal go with OnlyDF.
            QStringList expected{"a", "old", "same", "sized.txt"};
            if (!onlyDifferences || mode == 1)
                expected << "samesize.txt"
                         << "top.txt";
            expected.sort();
            EXPECT_EQ(got, expected);
            EXPECT_EQ(preview.text(0, 0), ws.fgF.text(0, 0));
            // Folders (one-sided too) have no state yet; files have their final one unless
            // their contents are still to be compared.
            for (const char *folder : {"a", "old"})
                EXPECT_EQ(colouredCells(preview, shown[folder]), QString()) << folder;
            EXPECT_EQ(colouredCells(preview, shown["sized.txt"]),
                      colouredCells(ws.fgF, final["sized.txt"]));
            EXPECT_EQ(colouredCells(preview, shown["samesize.txt"]),
                      mode == 0 ? colouredCells(ws.fgF, final["samesize.txt"]) : QString());
            EXPECT_EQ(preview.text(shown["sized.txt"], 5), ws.fgF.text(final["sized.txt"], 5));
        }
    }
    // A one-sided file is coloured by its side at once.
    pair.file(0, "lone.txt", "1");
    Workspace ws;
    std::shared_ptr<ResultGrid> preview;
    ws.folderPreviewHook = [&](std::shared_ptr<ResultGrid> g) { preview = g; };
    compareTrees(ws, pair);
    ASSERT_TRUE(preview);
    EXPECT_EQ(colouredCells(*preview, rowsByName(*preview)["lone.txt"]),
              colouredCells(ws.fgF, rowsByName(ws.fgF)["lone.txt"]));
    EXPECT_EQ(preview->backColor(rowsByName(*preview)["lone.txt"], 0), ws.txtState[1]);
}

// The scan reads each pair's sizes back from the grid's size columns: sizes beyond the int
// range, written there as text, still compare exactly two levels down.
TEST(FolderTree, SizesBeyondTheIntRangeCompareExactlyDeepDown) {
    FolderPair pair;
    const off_t beyond = off_t(5) << 30;
    for (int side = 0; side < 2; ++side) {
        pair.folder(side, "d");
        pair.folder(side, "d/e");
        for (const char *name : {"d/e/equal.bin", "d/e/apart.bin"}) {
            const QString p = pair.file(side, name, "x");
            const off_t size = beyond + (side == 1 && name[4] == 'a' ? 1 : 0);
            ASSERT_EQ(::truncate(QFile::encodeName(p).constData(), size), 0);
            FolderPair::setTime(p, FolderPair::defaultTime());
        }
    }
    Workspace ws;
    compareTrees(ws, pair);
    ASSERT_EQ(names(ws).size(), 4);
    expectTreeOrder(ws);
    EXPECT_EQ(ws.DiffCount, 1);
    EXPECT_EQ(colouredCells(ws, rowOf(ws, QStringLiteral("d/e/equal.bin"))), QString());
    EXPECT_EQ(colouredCells(ws, rowOf(ws, QStringLiteral("d/e/apart.bin"))), QStringLiteral("1,5"));
}
