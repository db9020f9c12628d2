#include "merge/ThreeWayMerge.h"
#include "merge/LineDiff.h"

#include <QHash>
#include <QRandomGenerator>
#include <QStringList>

#include <gtest/gtest.h>

#include <ostream>

void PrintTo(const MergeRegion &r, std::ostream *os) {
    static const char *const kinds[] = {"same", "mine", "yours", "both", "conflict"};
    *os << kinds[r.kind] << " m" << r.mine.first << "+" << r.mine.count << " o" << r.older.first
        << "+" << r.older.count << " y" << r.yours.first << "+" << r.yours.count;
}

void PrintTo(const LineChange &c, std::ostream *os) {
    *os << "{" << c.first0 << "," << c.first1 << ",-" << c.deleted << ",+" << c.inserted << "}";
}

namespace {

// Texts written one character a line ("abc" is the lines a, b, c), numbered alike.
struct Texts {
    QHash<QChar, int> numbers;
    std::vector<int> lines(const QString &text) {
        std::vector<int> out;
        for (const QChar c : text)
            out.push_back(numbers.contains(c) ? numbers[c] : (numbers[c] = int(numbers.size())));
        return out;
    }
};

std::vector<MergeRegion> merge(const char *mine, const char *older, const char *yours) {
    Texts t;
    const std::vector<int> m = t.lines(QString::fromLatin1(mine));
    const std::vector<int> o = t.lines(QString::fromLatin1(older));
    const std::vector<int> y = t.lines(QString::fromLatin1(yours));
    return mergeThreeWay(m, o, y);
}

MergeRegion region(MergeRegion::Kind kind, LineSpan mine, LineSpan older, LineSpan yours) {
    return {kind, mine, older, yours};
}

constexpr auto Same = MergeRegion::Unchanged;
constexpr auto Mine = MergeRegion::MineChanged;
constexpr auto Yours = MergeRegion::YoursChanged;
constexpr auto Both = MergeRegion::BothChanged;
constexpr auto Conflict = MergeRegion::Conflict;

TEST(ThreeWayMerge, ChangesOfOneSideAreTakenWhereTheyLie) {
    EXPECT_EQ(merge("abc", "abc", "abc"), (std::vector{region(Same, {0, 3}, {0, 3}, {0, 3})}));
    EXPECT_EQ(merge("aXc", "abc", "abc"), (std::vector{region(Same, {0, 1}, {0, 1}, {0, 1}),
                                                       region(Mine, {1, 1}, {1, 1}, {1, 1}),
                                                       region(Same, {2, 1}, {2, 1}, {2, 1})}));
    // YOURS deletes the first line, MINE inserts after the last: two regions, no conflict.
    EXPECT_EQ(
        merge("abcdeZ", "abcde", "bcde"),
        (std::vector{region(Yours, {0, 1}, {0, 1}, {0, 0}), region(Same, {1, 4}, {1, 4}, {0, 4}),
                     region(Mine, {5, 1}, {5, 0}, {4, 0})}));
}

TEST(ThreeWayMerge, AChangeBothSidesMadeAlikeIsOneRegion) {
    EXPECT_EQ(merge("aXcd", "abcd", "aXcd"), (std::vector{region(Same, {0, 1}, {0, 1}, {0, 1}),
                                                          region(Both, {1, 1}, {1, 1}, {1, 1}),
                                                          region(Same, {2, 2}, {2, 2}, {2, 2})}));
    // Both delete everything.
    EXPECT_EQ(merge("", "abc", ""), (std::vector{region(Both, {0, 0}, {0, 3}, {0, 0})}));
}

TEST(ThreeWayMerge, OverlappingOrTouchingChangesConflict) {
    EXPECT_EQ(merge("aXc", "abc", "aYc")[1], region(Conflict, {1, 1}, {1, 1}, {1, 1}));
    // Changes to neighbouring lines touch in OLDER: one conflict over both lines.
    EXPECT_EQ(merge("aXcd", "abcd", "abYd")[1], region(Conflict, {1, 2}, {1, 2}, {1, 2}));
    // Conflicts at the very start and the very end.
    EXPECT_EQ(merge("Xbc", "abc", "Ybc").front(), region(Conflict, {0, 1}, {0, 1}, {0, 1}));
    EXPECT_EQ(merge("abX", "abc", "abY").back(), region(Conflict, {2, 1}, {2, 1}, {2, 1}));
    // Two insertions at one place.
    EXPECT_EQ(merge("abXc", "abc", "abYc")[1], region(Conflict, {2, 1}, {2, 0}, {2, 1}));
    // From an empty OLDER, two different texts.
    EXPECT_EQ(merge("ab", "", "cd"), (std::vector{region(Conflict, {0, 2}, {0, 0}, {0, 2})}));
}

TEST(ThreeWayMerge, ChangesBetweenAConflictAndTheNextAreMappedLineForLine) {
    const std::vector<MergeRegion> r = merge("XbcdeZ", "abcdef", "YbcdeW");
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0], region(Conflict, {0, 1}, {0, 1}, {0, 1}));
    EXPECT_EQ(r[1], region(Same, {1, 4}, {1, 4}, {1, 4}));
    EXPECT_EQ(r[2], region(Conflict, {5, 1}, {5, 1}, {5, 1}));
}

// The script must turn a into b, and be as short as any when no line of it can be set aside
// as too common (with common lines GNU diff may give up a little to stay fast).
TEST(LineDiff, RandomScriptsAreValidAndMinimal) {
    QRandomGenerator random(2803);
    for (int round = 0; round < 3000; ++round) {
        const int alphabet = 2 + int(random.bounded(8));
        std::vector<int> a(random.bounded(40u), 0), b(random.bounded(40u), 0);
        for (int &x : a)
            x = int(random.bounded(alphabet));
        for (int &x : b)
            x = int(random.bounded(alphabet));
        const std::vector<LineChange> script = diffLines(a, b);
        // Matched lines lie between the changes and must be equal.
        qsizetype i = 0, j = 0, edits = 0;
        for (const LineChange &c : script) {
            ASSERT_GE(c.first0, i);
            ASSERT_EQ(c.first0 - i, c.first1 - j);
            for (; i < c.first0; ++i, ++j)
                ASSERT_EQ(a[size_t(i)], b[size_t(j)]) << "round " << round;
            i += c.deleted;
            j += c.inserted;
            edits += c.deleted + c.inserted;
        }
        ASSERT_EQ(qsizetype(a.size()) - i, qsizetype(b.size()) - j);
        for (; i < qsizetype(a.size()); ++i, ++j)
            ASSERT_EQ(a[size_t(i)], b[size_t(j)]) << "round " << round;

        std::vector<int> countA(static_cast<size_t>(alphabet), 0),
            countB(static_cast<size_t>(alphabet), 0);
        for (const int x : a)
            ++countA[size_t(x)];
        for (const int x : b)
            ++countB[size_t(x)];
        bool common = false;
        for (int x = 0; x < alphabet; ++x)
            common = common || countA[size_t(x)] > 5 || countB[size_t(x)] > 5;
        if (common)
            continue;
        // The longest common subsequence by the plain table.
        std::vector<std::vector<int>> lcs(a.size() + 1, std::vector<int>(b.size() + 1));
        for (size_t p = a.size(); p-- > 0;)
            for (size_t q = b.size(); q-- > 0;)
                lcs[p][q] =
                    a[p] == b[q] ? lcs[p + 1][q + 1] + 1 : std::max(lcs[p + 1][q], lcs[p][q + 1]);
        EXPECT_EQ(edits, qsizetype(a.size() + b.size()) - 2 * lcs[0][0]) << "round " << round;
    }
}

TEST(LineDiff, RunsOfChangesSlideDownAsDiffPlacesThem) {
    // Deleting one of two equal lines: diff reports the later one.
    EXPECT_EQ(diffLines({0, 1, 1, 2}, {0, 1, 2}), (std::vector<LineChange>{{2, 2, 1, 0}}));
    // An inserted block that repeats its neighbour slides down to the end of the repeat.
    EXPECT_EQ(diffLines({0, 1, 2, 3}, {0, 1, 2, 1, 2, 3}), (std::vector<LineChange>{{3, 3, 0, 2}}));
}

} // namespace
