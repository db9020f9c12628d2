#include "settings/History.h"

#include <gtest/gtest.h>

TEST(PathHistory, NewestFirstWithoutDuplicatesAndAtMostTen) {
    PathHistory h;
    for (int k = 1; k <= 11; ++k)
        h.add(QStringLiteral("/p%1").arg(k));
    EXPECT_EQ(h.entries().size(), 10);
    EXPECT_EQ(h.entries().first(), QStringLiteral("/p11"));
    EXPECT_FALSE(h.entries().contains(QStringLiteral("/p1")));
    h.add(QStringLiteral("/p5"));
    EXPECT_EQ(h.entries().first(), QStringLiteral("/p5"));
    EXPECT_EQ(h.entries().count(QStringLiteral("/p5")), 1);
    EXPECT_EQ(h.entries().size(), 10);
}

TEST(PathHistory, RestoredListDropsEmptyRepeatedAndSurplusEntries) {
    QStringList stored{"/a", "", "/b", "/a"};
    for (int k = 1; k <= 10; ++k)
        stored << QStringLiteral("/p%1").arg(k);
    const PathHistory h = PathHistory::restored(stored);
    EXPECT_EQ(h.entries().size(), 10);
    EXPECT_EQ(h.entries().mid(0, 3), QStringList({"/a", "/b", "/p1"}));
    EXPECT_TRUE(PathHistory::restored({}).entries().isEmpty());
}

TEST(RecentComparisons, SamePairTwiceKeepsOneEntryOnTopAndSixKeepFive) {
    RecentComparisons r;
    for (int k = 1; k <= 6; ++k)
        r.add(QStringLiteral("/a%1").arg(k), QStringLiteral("/b%1").arg(k));
    EXPECT_EQ(r.pairs().size(), 5);
    EXPECT_EQ(r.pairs().first().path1, QStringLiteral("/a6"));
    EXPECT_EQ(r.pairs().last().path1, QStringLiteral("/a2"));
    r.add(QStringLiteral("/a3"), QStringLiteral("/b3"));
    EXPECT_EQ(r.pairs().size(), 5);
    EXPECT_EQ(r.pairs().first().tag(), QStringLiteral("/a3|/b3"));
    r.add(QStringLiteral("Clipboard"), QStringLiteral("/b9"));
    EXPECT_EQ(r.pairs().first().tag(), QStringLiteral("/a3|/b3"));
}

TEST(RecentComparisons, StoredPairWithoutSeparatorIsRejected) {
    RecentComparisons::Pair pair;
    EXPECT_TRUE(RecentComparisons::splitPair("/x|/y|z", &pair));
    EXPECT_EQ(pair.path1, QStringLiteral("/x"));
    EXPECT_EQ(pair.path2, QStringLiteral("/y|z"));
    EXPECT_FALSE(RecentComparisons::splitPair("no separator", &pair));
    EXPECT_FALSE(RecentComparisons::splitPair(QString(), &pair));
}
