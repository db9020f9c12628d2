// The tree a folder grid holds (depths, contents, shown rows) and sorting that keeps it.
#include "folder/FolderTree.h"
#include "folder/FolderSort.h"

#include <gtest/gtest.h>

namespace {

// Rows in tree order: {name, type} on both sides; a name starting with '>' on the right only.
void fill(ResultGrid &g, const QList<std::pair<QString, QString>> &rows) {
    g.setRows(1 + int(rows.size()));
    for (int r = 1; r <= rows.size(); ++r) {
        QString name = rows[r - 1].first;
        const bool rightOnly = name.startsWith(QLatin1Char('>'));
        name.remove(QLatin1Char('>'));
        for (int h = rightOnly ? 1 : 0; h < 2; ++h) {
            g.setText(r, 4 * h, name);
            g.setText(r, 4 * h + 2, rows[r - 1].second);
            g.setText(r, 8 + h, QStringLiteral("0"));
        }
    }
}

QStringList names(const ResultGrid &g) {
    QStringList all;
    for (int r = 1; r < g.rows(); ++r)
        all << (g.isEmpty(r, 0) ? g.text(r, 4) : g.text(r, 0));
    return all;
}

const QString F = FolderTypeText;
const QList<std::pair<QString, QString>> Rows = {
    {"b", F},           {"b/z.txt", "txt"}, {"b/a", F}, {"b/a/deep", "txt"},
    {"b/M.txt", "txt"}, {"c.txt", "txt"},   {">a", F},  {">a/y", "txt"},
    {"e", F}, // e: an empty folder pair
};

} // namespace

TEST(FolderTreeShape, DepthsContentsAndShownRows) {
    ResultGrid g(10, 1);
    fill(g, Rows);
    const FolderTree tree(g);
    ASSERT_TRUE(tree.isTree());
    EXPECT_EQ(tree.depth(1), 0);
    EXPECT_EQ(tree.depth(4), 2);
    EXPECT_EQ(tree.end(1), 6); // b holds rows 2-5
    EXPECT_EQ(tree.end(3), 5);
    EXPECT_TRUE(tree.hasChildren(7)); // the right-only folder is named in column 4
    EXPECT_FALSE(tree.hasChildren(9));
    EXPECT_EQ(tree.parent(4), 3);
    EXPECT_EQ(tree.parent(5), 1);
    EXPECT_EQ(tree.parent(6), -1);

    FolderTree shown = tree;
    EXPECT_EQ(shown.shownRows(), (std::vector<int>{1, 6, 7, 9}));
    shown.setExpanded(3, true); // inside collapsed b: still hidden
    EXPECT_EQ(shown.shownRows(), (std::vector<int>{1, 6, 7, 9}));
    shown.setExpanded(1, true);
    EXPECT_EQ(shown.shownInside(1), (std::vector<int>{2, 3, 4, 5}));
    shown.setExpanded(3, false);
    EXPECT_EQ(shown.shownRows(), (std::vector<int>{1, 2, 3, 5, 6, 7, 9}));

    // A one-level result is no tree.
    ResultGrid flat(10, 1);
    fill(flat, {{"b", F}, {"a.txt", "txt"}});
    EXPECT_FALSE(FolderTree(flat).isTree());
}

TEST(FolderTreeShape, SortingOrdersEachFolderAndKeepsContentsBelowTheirFolder) {
    ResultGrid g(10, 1);
    fill(g, Rows);
    g.setBackColor(4, 0, 0x123456); // b/a/deep's colour travels with it
    sortFolderGrid(g, 0);           // ascending: folders first, names without case
    EXPECT_EQ(names(g), (QStringList{"b", "b/a", "b/a/deep", "b/M.txt", "b/z.txt", "e", "a", "a/y",
                                     "c.txt"}));
    EXPECT_EQ(g.backColor(3, 0), Color(0x123456));
    sortFolderGrid(g, 0); // descending: folders last
    EXPECT_EQ(names(g), (QStringList{"c.txt", "a", "a/y", "e", "b", "b/z.txt", "b/M.txt", "b/a",
                                     "b/a/deep"}));
    const FolderTree after(g);
    for (int r = 1; r < g.rows(); ++r) {
        const int p = after.parent(r);
        if (p > 0) {
            EXPECT_TRUE(names(g)[r - 1].startsWith(names(g)[p - 1] + "/")) << r;
        }
    }
}
