// The right side's lines are hashed on a second thread for long texts: the line ids, and so
// every match, must be those of one thread.
#include "engine/LineMatching.h"
#include "support/SplitSizesScope.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// Each position's line id and length, both sides.
std::vector<int> ids(const QStringList &left, const QStringList &right, const SplitSizes &sizes) {
    const SplitSizesScope scope(sizes);
    const LineIndex index(left, right, MatchParams{});
    std::vector<int> out;
    for (int i = 0; i < index.nL(); ++i)
        out.insert(out.end(), {index.idL(i), index.length(index.idL(i))});
    out.push_back(-1);
    for (int j = 0; j < index.nR(); ++j)
        out.insert(out.end(), {index.idR(j), index.length(index.idR(j))});
    return out;
}

} // namespace

TEST(LineHashSplit, TheSecondThreadsHashesGiveTheOneThreadIds) {
    std::mt19937 rng(27);
    for (int round = 0; round < 20; ++round) {
        // Few distinct lines, so both sides share most ids; some lines on one side only.
        QStringList left, right;
        for (int k = 0; k < 200; ++k) {
            left << QStringLiteral("line %1").arg(rng() % 40);
            right << QStringLiteral("line %1").arg(rng() % 50);
        }
        right << QString() << QStringLiteral("right only");
        EXPECT_EQ(ids(left, right, SplitSizesScope::always()),
                  ids(left, right, SplitSizesScope::never()))
            << "round " << round;
    }
}
