#include "engine/ResultGrid.h"

#include <gtest/gtest.h>

TEST(ResultGrid, NumbersReadBackAsDecimalText) {
    ResultGrid g(4, 1);
    g.setRows(3);
    g.setNumber(1, 0, 120);
    EXPECT_EQ(g.text(1, 0), QStringLiteral("120"));
    EXPECT_TRUE(g.isEmpty(2, 0));
    EXPECT_EQ(g.backColor(1, 0), ResultGrid::DefaultColor);
}
