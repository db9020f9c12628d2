#include "engine/GuardedMatching.h"
#include "engine/MinimalMatching.h"

#include <QFile>

#include <gtest/gtest.h>

#include <random>

namespace {

// A real source file of this project, 523 lines; its revision before held the same lines
// without the 36 from line 157 on (a function was added).
QStringList gridSource() {
    QFile file(QStringLiteral(CORVANE_SOURCE_DIR "/tests/engine/files/grid-source.txt"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return QString::fromUtf8(file.readAll()).split(u'\n');
}

QStringList without(QStringList lines, qsizetype from, qsizetype count) {
    lines.remove(from, count);
    return lines;
}

// The lines with `count` lines from `from` put back in front of line `to` (to < from).
QStringList movedUp(const QStringList &lines, qsizetype from, qsizetype count, qsizetype to) {
    return lines.mid(0, to) + lines.mid(from, count) + lines.mid(to, from - to) +
           lines.mid(from + count);
}

// Lines as source code has them: mostly unique, with blank lines and braces repeated.
QStringList codeLike(int lines, unsigned seed) {
    std::mt19937 random(seed);
    QStringList out;
    for (int k = 0; k < lines; ++k) {
        const unsigned r = random() % 100;
        if (r < 10)
            out << QString();
        else if (r < 16)
            out << QStringLiteral("    }");
        else
            out << QStringLiteral("    value_%1 = compute(%2);").arg(k).arg(k % 13);
    }
    return out;
}

// The lines with a few changed, deleted and inserted here and there.
QStringList scatteredEdits(const QStringList &lines, unsigned seed) {
    std::mt19937 random(seed);
    QStringList out;
    for (const QString &line : lines) {
        const unsigned r = random() % 100;
        if (r == 0)
            out << line + QStringLiteral(" // changed");
        else if (r == 1)
            continue;
        else if (r == 2)
            out << QStringLiteral("    inserted();") << line;
        else if (r == 3)
            out << QStringLiteral("    }") << line;
        else
            out << line;
    }
    return out;
}

struct Ids {
    std::vector<int> left, right;
};

Ids idsOf(const QStringList &left, const QStringList &right) {
    const LineIndex index(left, right, MatchParams{});
    return {index.idsL(), index.idsR()};
}

qint64 marks(const QStringList &left, const QStringList &right, const PairTable &table) {
    const Ids ids = idsOf(left, right);
    return markedLines(table, ids.left, ids.right);
}

qint64 minimalMarks(const QStringList &left, const QStringList &right) {
    const Ids ids = idsOf(left, right);
    std::vector<std::pair<int, int>> pairs;
    EXPECT_EQ(alignMinimal(ids.left, ids.right, {}, pairs), MinimalOutcome::Found);
    return qint64(left.size() + right.size()) - 2 * qint64(pairs.size());
}

} // namespace

TEST(GuardedMatching, TheRuleNeedsHalfTheMarksAndFiftyLinesLess) {
    using MatchingGuard::farFromMinimal;
    EXPECT_TRUE(farFromMinimal(610, 36));
    EXPECT_TRUE(farFromMinimal(100, 49));
    EXPECT_TRUE(farFromMinimal(99, 49));
    EXPECT_FALSE(farFromMinimal(100, 50)); // twice as many is not more than twice
    EXPECT_FALSE(farFromMinimal(98, 49));
    EXPECT_FALSE(farFromMinimal(60, 11)); // far more, but only 49 lines
    EXPECT_FALSE(farFromMinimal(0, 0));
}

// Two revisions of a real source file, a function added: the look-ahead of the anchor matching
// meets the new function's closing lines further on and sets most of the rest of the file apart
// (610 marked lines: 140 changed pairs, 147 lines deleted, 183 added). The added lines alone
// are marked, as diff marks them.
TEST(GuardedMatching, AnAddedFunctionOfARealFileMarksItsLinesOnly) {
    const QStringList after = gridSource();
    ASSERT_EQ(after.size(), 524); // the last, empty line after the final line break
    const QStringList before = without(after, 156, 36);
    PairTable anchor, guarded;
    ASSERT_TRUE(matchLines(before, after, MatchParams{}, anchor));
    EXPECT_EQ(marks(before, after, anchor), 610);
    ASSERT_TRUE(matchLinesGuarded(before, after, MatchParams{}, guarded));
    EXPECT_EQ(marks(before, after, guarded), 36);
    for (int r = 1; r <= guarded.lastRow(); ++r) {
        const PairTable::Row &row = guarded.row(r);
        if (row.left < 0) {
            EXPECT_TRUE(row.right >= 156 && row.right < 192) << r;
        } else {
            EXPECT_EQ(row.right, row.left < 156 ? row.left : row.left + 36) << r;
        }
    }
}

// The same file with a block moved: 200 lines to the top, or 100 lines down past 50. A minimal
// alignment marks the block or the lines it passed, whichever are fewer, on both sides; the
// anchor matching alone marks more than twice as many.
TEST(GuardedMatching, AMovedBlockOfARealFileShowsAsMoved) {
    const QStringList source = gridSource();
    const struct {
        QStringList moved;
        qint64 anchorMarks, minimum;
    } cases[] = {{movedUp(source, 240, 200, 0), 896, 400},
                 {movedUp(source, 160, 50, 60), 748, 100}};
    for (const auto &c : cases) {
        PairTable anchor, guarded;
        ASSERT_TRUE(matchLines(source, c.moved, MatchParams{}, anchor));
        EXPECT_EQ(marks(source, c.moved, anchor), c.anchorMarks);
        EXPECT_EQ(minimalMarks(source, c.moved), c.minimum);
        ASSERT_TRUE(matchLinesGuarded(source, c.moved, MatchParams{}, guarded));
        EXPECT_EQ(marks(source, c.moved, guarded), c.minimum);
    }
}

// Ordinary edits: the anchor result stands row for row, and mostly without any search.
TEST(GuardedMatching, OrdinaryEditsKeepTheAnchorResult) {
    const QStringList source = gridSource();
    int searched = 0;
    for (unsigned seed = 1; seed <= 12; ++seed) {
        const QStringList left = seed % 2 ? codeLike(4000, seed) : source;
        const QStringList right = scatteredEdits(left, seed + 100);
        PairTable anchor;
        ASSERT_TRUE(matchLines(left, right, MatchParams{}, anchor));
        PairTable guarded = anchor;
        const Ids ids = idsOf(left, right);
        MatchingGuard::Report report;
        ASSERT_TRUE(
            MatchingGuard::guardAgainstMinimal(ids.left, ids.right, guarded, {}, {}, &report));
        EXPECT_NE(report.outcome, MatchingGuard::Report::Replaced) << seed;
        searched += report.outcome != MatchingGuard::Report::Kept;
        EXPECT_EQ(guarded.rows(), anchor.rows()) << seed;
        PairTable whole;
        ASSERT_TRUE(matchLinesGuarded(left, right, MatchParams{}, whole));
        EXPECT_EQ(whole.rows(), anchor.rows()) << seed;
    }
    EXPECT_LE(searched, 2);
}

// A long search asks the caller whether to go on and is stopped when told, leaving the anchor
// result in place.
TEST(GuardedMatching, StopsWhenAsked) {
    const QStringList left = codeLike(30000, 7);
    const QStringList right = movedUp(left, 15000, 2000, 5000);
    const Ids ids = idsOf(left, right);
    PairTable anchor;
    ASSERT_TRUE(matchLines(left, right, MatchParams{}, anchor));
    PairTable table = anchor;
    int asked = 0, told = 0;
    EXPECT_FALSE(MatchingGuard::guardAgainstMinimal(
        ids.left, ids.right, table, [&asked] { return ++asked == 2; },
        [&told](qint64, qint64) { ++told; }));
    EXPECT_EQ(asked, 2);
    EXPECT_GE(told, 2);
    EXPECT_EQ(table.rows(), anchor.rows());
    MatchingGuard::Report report;
    ASSERT_TRUE(MatchingGuard::guardAgainstMinimal(ids.left, ids.right, table, {}, {}, &report));
    EXPECT_EQ(report.outcome, MatchingGuard::Report::Replaced);
    EXPECT_EQ(report.minimalMarks, 4000);
}
