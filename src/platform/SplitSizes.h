#pragma once

#include <cstddef>

// The sizes from which work is split between two threads. Each split path gives the same
// result as one thread would; a test lowers these (ScopedSplitSizes in tests/support) so that
// the split runs on a small input and can be checked against the one-thread result.
struct SplitSizes {
    // Rows of the text grid from which they are filled in two halves at once.
    int gridFillRows = 50000;
    // Lines of both sides from which the right side's lines are hashed on a second thread.
    std::ptrdiff_t lineHashLines = 100000;
    // Rows of an HTML or CSV report made in one piece; pieces are made on two threads.
    int reportRowsPerPiece = 20000;
    // Pairs of a folder's content check from which a second thread compares every other one.
    std::size_t contentPairs = 2;
};

// The sizes in force. Changed only while no work runs (tests); read by the workers.
SplitSizes &splitSizes();
