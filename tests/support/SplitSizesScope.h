#pragma once

#include "platform/SplitSizes.h"

#include <climits>
#include <cstdint>

// Sets the sizes from which work is split between two threads for a test's scope, and puts
// the previous ones back: a split path and the one-thread path run on the same small input.
class SplitSizesScope {
public:
    explicit SplitSizesScope(const SplitSizes &sizes) : m_saved(splitSizes()) {
        splitSizes() = sizes;
    }
    ~SplitSizesScope() { splitSizes() = m_saved; }
    SplitSizesScope(const SplitSizesScope &) = delete;
    SplitSizesScope &operator=(const SplitSizesScope &) = delete;

    // Every path split on the smallest input it can be split on (reports in pieces of
    // rowsPerPiece rows).
    static SplitSizes always(int rowsPerPiece = 1) { return {2, 2, rowsPerPiece, 2}; }
    // Nothing split: one thread does it all (a report in one piece).
    static SplitSizes never() { return {INT_MAX, PTRDIFF_MAX, 1 << 30, SIZE_MAX}; }

private:
    SplitSizes m_saved;
};
