#include "engine/MinimalMatching.h"
#include "engine/LineKeys.h"

#include <QHash>

#include <gtest/gtest.h>

#include <random>

namespace {

// Every line once, in order, on each side.
void expectWellFormed(const PairTable &table, qsizetype nL, qsizetype nR) {
    int nextL = 0, nextR = 0;
    for (int r = 1; r <= table.lastRow(); ++r) {
        const PairTable::Row &row = table.row(r);
        ASSERT_TRUE(row.left >= 0 || row.right >= 0) << r;
        if (row.left >= 0) {
            ASSERT_EQ(row.left, nextL++) << r;
        }
        if (row.right >= 0) {
            ASSERT_EQ(row.right, nextR++) << r;
        }
    }
    EXPECT_EQ(nextL, nL);
    EXPECT_EQ(nextR, nR);
}

// The length of a longest common subsequence, by the full table of every prefix pair.
int exhaustiveLcs(const std::vector<int> &a, const std::vector<int> &b) {
    std::vector<std::vector<int>> t(a.size() + 1, std::vector<int>(b.size() + 1, 0));
    for (size_t i = 1; i <= a.size(); ++i) {
        for (size_t j = 1; j <= b.size(); ++j)
            t[i][j] =
                a[i - 1] == b[j - 1] ? t[i - 1][j - 1] + 1 : std::max(t[i - 1][j], t[i][j - 1]);
    }
    return t[a.size()][b.size()];
}

std::vector<int> randomIds(std::mt19937 &random, int length, int alphabet) {
    std::vector<int> ids(size_t(random() % unsigned(length + 1)));
    for (int &id : ids)
        id = int(random() % unsigned(alphabet));
    return ids;
}

// The second text as the first with a few lines changed, deleted and inserted.
std::vector<int> edited(std::mt19937 &random, const std::vector<int> &ids, int alphabet) {
    std::vector<int> out;
    for (int id : ids) {
        switch (random() % 8) {
        case 0:
            break;
        case 1:
            out.push_back(int(random() % unsigned(alphabet)));
            break;
        case 2:
            out.push_back(int(random() % unsigned(alphabet)));
            out.push_back(id);
            break;
        default:
            out.push_back(id);
        }
    }
    return out;
}

QString describe(const std::vector<int> &ids) {
    QString text;
    for (int id : ids)
        text += QChar(u'a' + id);
    return text;
}

QString describe(const PairTable &table) {
    QString text;
    for (int r = 1; r <= table.lastRow(); ++r)
        text += QStringLiteral(" %1|%2").arg(table.row(r).left).arg(table.row(r).right);
    return text;
}

QStringList linesOf(const QString &pattern) {
    QStringList lines;
    for (QChar c : pattern)
        lines << QString(c);
    return lines;
}

// The lines a table marks as the grid counts them: a line beside none, two for a pair whose
// keys differ; an ignored blank line marks nothing.
int displayedMarks(const PairTable &table, const QStringList &left, const QStringList &right,
                   const LineFolding &folding) {
    int marks = 0;
    for (int r = 1; r <= table.lastRow(); ++r) {
        const PairTable::Row &row = table.row(r);
        if (row.left >= 0 && row.right >= 0) {
            marks +=
                comparisonKey(left[row.left], folding) == comparisonKey(right[row.right], folding)
                    ? 0
                    : 2;
        } else {
            const QString &line = row.left >= 0 ? left[row.left] : right[row.right];
            marks += folding.blankLines && isBlankLine(line) ? 0 : 1;
        }
    }
    return marks;
}

} // namespace

// On thousands of small texts over few distinct lines (so that lines repeat as braces and
// blank lines do), the alignment pairs exactly as many lines as the longest common subsequence
// holds, and the rows mark exactly the lines `diff --minimal` marks: nL + nR - 2 x that length.
TEST(MinimalMatching, MarksAsFewLinesAsAnExhaustiveSearch) {
    std::mt19937 random(29);
    for (int round = 0; round < 6000; ++round) {
        const int alphabet = 2 + round % 5;
        const int length = round % 20 == 19 ? 196 : 14;
        const std::vector<int> a = randomIds(random, length, alphabet * (length / 14));
        const std::vector<int> b = round % 2 == 0
                                       ? edited(random, a, alphabet * (length / 14))
                                       : randomIds(random, length, alphabet * (length / 14));
        std::vector<std::pair<int, int>> pairs;
        ASSERT_EQ(alignMinimal(a, b, {}, pairs), MinimalOutcome::Found);
        const int lcs = exhaustiveLcs(a, b);
        PairTable table;
        tableFromPairs(pairs, int(a.size()), int(b.size()), table);
        const QString context = describe(a) + QStringLiteral(" / ") + describe(b) +
                                QStringLiteral(":") + describe(table);
        ASSERT_EQ(int(pairs.size()), lcs) << context.toStdString();
        for (size_t k = 0; k < pairs.size(); ++k) {
            const auto [i, j] = pairs[k];
            ASSERT_EQ(a[size_t(i)], b[size_t(j)]) << context.toStdString();
            if (k > 0) {
                ASSERT_GT(i, pairs[k - 1].first) << context.toStdString();
                ASSERT_GT(j, pairs[k - 1].second) << context.toStdString();
            }
        }
        expectWellFormed(table, qsizetype(a.size()), qsizetype(b.size()));
        ASSERT_EQ(markedLines(table, a, b), qint64(a.size() + b.size()) - 2 * lcs)
            << context.toStdString();
    }
}

// The same through the comparison of texts, with white space and blank lines ignored: the
// marks the grid would count equal those of a longest common subsequence of the keys of the
// lines that are not blank.
TEST(MinimalMatching, FoldedTextsMarkTheMinimumOfTheirKeys) {
    const QStringList variants = {
        QStringLiteral("x y"), QStringLiteral("x  y"), QStringLiteral("xy"), QStringLiteral(""),
        QStringLiteral("  "),  QStringLiteral("z"),    QStringLiteral(" z")};
    LineFolding folding;
    folding.space = LineFolding::SpaceAmount;
    folding.blankLines = true;
    std::mt19937 random(5);
    for (int round = 0; round < 1500; ++round) {
        QStringList text[2];
        std::vector<int> keys[2];
        QHash<QString, int> keyIds;
        for (QStringList &lines : text) {
            const int n = int(random() % 13);
            for (int k = 0; k < n; ++k)
                lines << variants[qsizetype(random() % unsigned(variants.size()))];
        }
        for (int side = 0; side < 2; ++side) {
            for (const QString &line : text[side]) {
                if (isBlankLine(line))
                    continue;
                const QString key = comparisonKey(line, folding);
                keys[side].push_back(keyIds.contains(key) ? keyIds[key]
                                                          : *keyIds.insert(key, keyIds.size()));
            }
        }
        PairTable table;
        ASSERT_TRUE(matchFoldedLines(text[0], text[1], folding, MatchParams{}, true, table));
        const QString context = text[0].join(u'|') + QStringLiteral(" / ") + text[1].join(u'|') +
                                QStringLiteral(":") + describe(table);
        expectWellFormed(table, text[0].size(), text[1].size());
        const int lcs = exhaustiveLcs(keys[0], keys[1]);
        ASSERT_EQ(displayedMarks(table, text[0], text[1], folding),
                  int(keys[0].size() + keys[1].size()) - 2 * lcs)
            << context.toStdString();
    }
}

// Pairing the rarest lines first (x and y, once each) sets the four a apart on both sides and
// marks 10 lines; the minimum pairs the a and marks 4.
TEST(MinimalMatching, PairsMoreThanTheRarestLinesDo) {
    const QStringList left = linesOf(QStringLiteral("xaaaay")),
                      right = linesOf(QStringLiteral("yaaaax"));
    PairTable table;
    ASSERT_TRUE(matchLinesMinimal(left, right, table));
    expectWellFormed(table, left.size(), right.size());
    EXPECT_EQ(displayedMarks(table, left, right, LineFolding()), 4)
        << describe(table).toStdString();
}

TEST(MinimalMatching, LimitsStopTheSearch) {
    std::vector<int> a, b;
    for (int k = 0; k < 1500; ++k) {
        a.push_back(k % 7);
        b.push_back((k * 5 + k / 3) % 7);
    }
    const int lcs = exhaustiveLcs(a, b);
    const qint64 minimum = qint64(a.size() + b.size()) - 2 * lcs;
    std::vector<std::pair<int, int>> pairs;
    EXPECT_EQ(alignMinimal(a, b, {minimum - 1, -1}, pairs), MinimalOutcome::OverMarks);
    EXPECT_TRUE(pairs.empty());
    ASSERT_EQ(alignMinimal(a, b, {minimum, -1}, pairs), MinimalOutcome::Found);
    EXPECT_EQ(int(pairs.size()), lcs);
    EXPECT_EQ(alignMinimal(a, b, {-1, 1000}, pairs), MinimalOutcome::TooCostly);

    // Lines on one side only are marked whatever the alignment: over the bound at once.
    EXPECT_EQ(alignMinimal({1, 2, 3}, {4, 5}, {4, -1}, pairs), MinimalOutcome::OverMarks);
    ASSERT_EQ(alignMinimal({1, 2, 3}, {4, 5}, {5, -1}, pairs), MinimalOutcome::Found);
    EXPECT_TRUE(pairs.empty());
}

// A long search asks whether to stop and says how far it is, and stops when told.
TEST(MinimalMatching, ReportsProgressAndStops) {
    std::mt19937 random(11);
    QStringList left, right;
    for (int k = 0; k < 40000; ++k) {
        left << QString::number(random() % 40);
        right << QString::number(random() % 40);
    }
    int asked = 0;
    qint64 lastDone = -1, lastTotal = 0;
    bool forward = true;
    PairTable table;
    EXPECT_FALSE(matchLinesMinimal(
        left, right, table, [&asked] { return ++asked == 3; },
        [&](qint64 done, qint64 total) {
            forward = forward && done >= lastDone && done <= total;
            lastDone = done;
            lastTotal = total;
        }));
    EXPECT_EQ(asked, 3);
    EXPECT_TRUE(forward);
    EXPECT_GT(lastDone, 0);
    EXPECT_EQ(lastTotal, 2 * 80000);
}

TEST(MinimalMatching, MovedBlockAndEdgeCases) {
    QStringList block, rest;
    for (int k = 0; k < 300; ++k)
        block << QStringLiteral("block line %1").arg(k);
    for (int k = 0; k < 200; ++k)
        rest << QStringLiteral("other line %1").arg(k);
    const QStringList left = block + rest, right = rest + block;
    PairTable table;
    ASSERT_TRUE(matchLinesMinimal(left, right, table));
    expectWellFormed(table, left.size(), right.size());
    LineFolding none;
    EXPECT_EQ(displayedMarks(table, left, right, none), 400); // the shorter block shows as moved

    for (const auto &[l, r] :
         {std::pair{QStringList{}, QStringList{"a"}},
          std::pair{QStringList{"a", "b"}, QStringList{}}, std::pair{QStringList{}, QStringList{}},
          std::pair{QStringList{"x"}, QStringList{"y"}},
          std::pair{QStringList{"a", "a", "a"}, QStringList{"a", "a"}}}) {
        PairTable t;
        ASSERT_TRUE(matchLinesMinimal(l, r, t));
        expectWellFormed(t, l.size(), r.size());
    }
}
