#include "engine/DifferenceWalk.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// A text grid whose data rows have the given colours in every column (0 = unpainted).
std::unique_ptr<ResultGrid> gridOf(std::initializer_list<Color> colours) {
    auto grid = std::make_unique<ResultGrid>(4, 1);
    ResultGrid &g = *grid;
    g.setRows(int(colours.size()) + 1);
    int r = 1;
    for (Color c : colours) {
        for (int col = 0; col < 4; ++col)
            g.setBackColor(r, col, c == 0 ? ResultGrid::DefaultColor : c);
        ++r;
    }
    return grid;
}

constexpr Color Yellow = 65535, Blue = 16744448;

} // namespace

TEST(DifferenceWalk, NextFromInsideABlockStopsOnTheAdjacentBlockOfAnotherColour) {
    const auto g = gridOf({0, Yellow, Yellow, Blue, Blue, 0, Yellow});
    EXPECT_EQ(findDifference(*g, 2, 1, 1, true), 4);
    EXPECT_EQ(findDifference(*g, 4, 1, 1, true), 7);
    EXPECT_EQ(findDifference(*g, 1, 1, 1, true), 2);
}

TEST(DifferenceWalk, PreviousFromBelowABlockStopsOnItsLastRow) {
    const auto g = gridOf({0, Yellow, Yellow, 0, 0});
    EXPECT_EQ(findDifference(*g, 4, 0, 1, false), 3);
    EXPECT_EQ(findDifference(*g, 2, 0, 1, false), -1); // inside the first block: nothing above
}

TEST(DifferenceWalk, EndReachedWithoutAFind) {
    const auto g = gridOf({Yellow, 0, 0});
    EXPECT_EQ(findDifference(*g, 1, 0, 1, true), -1);
    EXPECT_EQ(findDifference(*g, 0, 0, 1, false), -1);
    // The binary grid's header rows are never visited.
    ResultGrid b(4, 2);
    b.setRows(4);
    b.setBackColor(1, 0, Yellow);
    EXPECT_EQ(findDifference(b, 3, 0, 2, false), -1);
}
