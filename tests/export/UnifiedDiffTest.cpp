// The unified diff writer: lines as the comparison splits them, the alignment read back from a
// text grid, and hunks that patch applies even where a comparison line is not a patch line.
#include "export/UnifiedDiff.h"

#include <gtest/gtest.h>

namespace {

QByteArray diffOf(const QByteArray &left, const QByteArray &right,
                  const std::optional<LineAlignment> &alignment) {
    return unifiedDiff({"L", left}, {"R", right}, alignment);
}

// Lines paired in step, as many as both sides have, then the rest one-sided.
LineAlignment inStep(int left, int right) {
    LineAlignment rows;
    for (int k = 0; k < std::max(left, right); ++k)
        rows.push_back({k < left ? k : -1, k < right ? k : -1});
    return rows;
}

QByteArray numbered(int from, int to, int changedAt = -1) {
    QByteArray text;
    for (int k = from; k <= to; ++k)
        text += (k == changedAt ? "changed " : "line ") + QByteArray::number(k) + '\n';
    return text;
}

} // namespace

TEST(UnifiedDiff, LinesBreakWhereTheComparisonBreaksThem) {
    EXPECT_EQ(lineStarts(""), std::vector<qsizetype>());
    EXPECT_EQ(lineStarts("x"), std::vector<qsizetype>({0}));
    // CR LF, a lone CR and LF each end a line; a final line end leaves an empty last line.
    EXPECT_EQ(lineStarts("a\r\nb\rc\n"), std::vector<qsizetype>({0, 3, 5, 7}));
    EXPECT_EQ(lineStarts("\n\n"), std::vector<qsizetype>({0, 1, 2}));
}

TEST(UnifiedDiff, AGridOfDifferencesAloneIsFilledInWithPairsOfEqualLines) {
    ResultGrid fg(4, 1);
    fg.setRows(4);
    fg.setNumber(1, 0, 3); // left line 3 changed into right line 3
    fg.setNumber(1, 2, 3);
    fg.setNumber(2, 2, 6); // right line 6 added after two equal pairs
    fg.setNumber(3, 0, 7); // left line 7 deleted
    const std::optional<LineAlignment> rows = alignmentFromTextGrid(fg, 8, 8);
    ASSERT_TRUE(rows);
    const LineAlignment expected = {{0, 0},  {1, 1}, {2, 2},  {3, 3}, {4, 4},
                                    {-1, 5}, {5, 6}, {6, -1}, {7, 7}};
    EXPECT_EQ(*rows, expected);
    // A grid that names a line the file no longer has gives no alignment.
    EXPECT_FALSE(alignmentFromTextGrid(fg, 6, 8));
}

TEST(UnifiedDiff, ChangesWhoseContextsMeetShareAHunkAsInDiff) {
    // Six equal lines between two changes: one hunk; seven: two.
    const QByteArray left = numbered(1, 20);
    const QByteArray oneHunk =
        diffOf(left, numbered(1, 20, 5).replace("line 12", "changed 12"), inStep(21, 21));
    EXPECT_EQ(oneHunk.count("@@ -"), 1) << oneHunk.constData();
    EXPECT_TRUE(oneHunk.contains("@@ -2,14 +2,14 @@\n line 2\n"));
    const QByteArray twoHunks =
        diffOf(left, numbered(1, 20, 5).replace("line 13", "changed 13"), inStep(21, 21));
    EXPECT_EQ(twoHunks.count("@@ -"), 2) << twoHunks.constData();
    EXPECT_TRUE(twoHunks.contains("@@ -2,7 +2,7 @@\n") && twoHunks.contains("@@ -10,7 +10,7 @@\n"));
}

TEST(UnifiedDiff, ALineEndedByALoneCrIsNeverContext) {
    // patch splits at LF only: "a\rb\n" is one line for it, so both of its parts change.
    const QByteArray out = diffOf("a\rb\nc\n", "a\rB\nc\n", inStep(4, 4));
    EXPECT_EQ(out, "--- L\n+++ R\n@@ -1,2 +1,2 @@\n-a\rb\n+a\rB\n c\n");
}

TEST(UnifiedDiff, MissingLastLineEndsAreMarked) {
    EXPECT_EQ(diffOf("x\ny", "x\ny\n", inStep(2, 3)),
              "--- L\n+++ R\n@@ -1,2 +1,2 @@\n x\n-y\n\\ No newline at end of file\n+y\n");
    EXPECT_EQ(diffOf("x\ny", "w\ny", inStep(2, 2)),
              "--- L\n+++ R\n@@ -1,2 +1,2 @@\n-x\n+w\n y\n\\ No newline at end of file\n");
}

TEST(UnifiedDiff, WithoutAnAlignmentTheWholeTextIsReplaced) {
    EXPECT_EQ(diffOf("a\nb\n", "a\nc\n", std::nullopt),
              "--- L\n+++ R\n@@ -1,2 +1,2 @@\n-a\n-b\n+a\n+c\n");
    EXPECT_EQ(diffOf("same\n", "same\n", std::nullopt), QByteArray());
    // Rows out of order are not taken as context; the result still rebuilds the right side.
    const LineAlignment crossed = {{1, 0}, {0, 1}};
    EXPECT_EQ(diffOf("a\nb\n", "b\na\n", crossed), "--- L\n+++ R\n@@ -1,2 +1,2 @@\n-a\n b\n+a\n");
}
