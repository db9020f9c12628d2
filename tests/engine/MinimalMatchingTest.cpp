#include "engine/MinimalMatching.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// Every line once, in order, on each side; a row that holds two lines holds equal ones unless
// it lies in a gap between two pairs of equal lines.
void expectWellFormed(const PairTable &table, const QStringList &left, const QStringList &right) {
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
    EXPECT_EQ(nextL, left.size());
    EXPECT_EQ(nextR, right.size());
}

int oneSidedRows(const PairTable &table) {
    int n = 0;
    for (int r = 1; r <= table.lastRow(); ++r)
        n += table.row(r).left < 0 || table.row(r).right < 0;
    return n;
}

} // namespace

TEST(MinimalMatching, ScatteredEditsGiveOneRowPerEdit) {
    std::mt19937 random(7);
    QStringList left, right;
    for (int k = 0; k < 20000; ++k) {
        const QString line = QStringLiteral("    value_%1 = compute(%2);").arg(k).arg(k % 17);
        left << line;
        switch (random() % 100) {
        case 0:
            right << line + QStringLiteral(" // changed");
            break;
        case 1:
            break; // deleted
        case 2:
            right << line << QStringLiteral("    inserted();");
            break;
        default:
            right << line;
        }
        if (k % 50 == 0) // repeated lines, as braces and blank lines are in code
            left << "}", right << "}";
    }
    PairTable table;
    ASSERT_TRUE(matchLinesMinimal(left, right, table));
    expectWellFormed(table, left, right);
    int equalPairs = 0;
    for (int r = 1; r <= table.lastRow(); ++r) {
        const PairTable::Row &row = table.row(r);
        equalPairs += row.left >= 0 && row.right >= 0 && left[row.left] == right[row.right];
    }
    // Only the edited lines are not paired as equal: about 3 % of them.
    EXPECT_GT(equalPairs, int(left.size()) * 96 / 100);
    EXPECT_LE(table.lastRow(), std::max(left.size(), right.size()) + 250);

    PairTable stopped;
    EXPECT_FALSE(matchLinesMinimal(left, right, stopped, [] { return true; }));
}

TEST(MinimalMatching, MovedBlockAndEdgeCases) {
    QStringList block, rest;
    for (int k = 0; k < 300; ++k)
        block << QStringLiteral("block line %1").arg(k);
    for (int k = 0; k < 300; ++k)
        rest << QStringLiteral("other line %1").arg(k);
    const QStringList left = block + rest, right = rest + block;
    PairTable table;
    ASSERT_TRUE(matchLinesMinimal(left, right, table));
    expectWellFormed(table, left, right);
    EXPECT_EQ(oneSidedRows(table), 600); // one block pairs, the other shows as moved

    for (const auto &[l, r] : {std::pair{QStringList{}, QStringList{"a"}},
                               std::pair{QStringList{"a", "b"}, QStringList{}},
                               std::pair{QStringList{"x"}, QStringList{"y"}},
                               std::pair{QStringList{"a", "a", "a"}, QStringList{"a", "a"}}}) {
        PairTable t;
        ASSERT_TRUE(matchLinesMinimal(l, r, t));
        expectWellFormed(t, l, r);
    }
}
