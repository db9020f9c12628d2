#pragma once

#include "sheet/Workbook.h"

#include <functional>
#include <optional>
#include <vector>

// One row of an aligned comparison: the left and the right sheet row shown in it (1-based; 0
// when that side has no row there).
struct RowPair {
    int left = 0;
    int right = 0;
    bool operator==(const RowPair &) const = default;
};

// Pairs the rows 1..lastRow of both sheets by the line matching over their contents (values in
// columns 1..lastCol), so that a row inserted on one side stands alone instead of shifting
// every row below it. Rows whose values differ may still face each other between two equal
// runs, as changed lines of a text do. Nothing when stop (may be empty) answered true.
std::optional<std::vector<RowPair>> alignSheetRows(const Sheet &left, const Sheet &right,
                                                   int lastCol,
                                                   const std::function<bool()> &stop = {});
