#pragma once

#include "sheet/Workbook.h"

#include <functional>
#include <optional>
#include <vector>

// How cells compare beyond the rules every sheet comparison follows.
struct SheetCompareRules {
    // Numbers are equal when they agree to this many significant digits, as a spreadsheet
    // showing 15 digits shows them; 0 compares every digit.
    int digits = 0;
    // Formula texts are compared too: a cell whose formula changed while its value did not
    // differs, and a formula without a stored result is compared by its text.
    bool formulas = false;
};

// The number's text to the rules' digits (every digit for 0), for comparing and keying.
QString comparedNumber(double number, int digits);

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
// runs, as changed lines of a text do. Numbers are keyed to the rules' digits. Nothing when
// stop (may be empty) answered true.
std::optional<std::vector<RowPair>> alignSheetRows(const Sheet &left, const Sheet &right,
                                                   int lastCol,
                                                   const std::function<bool()> &stop = {},
                                                   const SheetCompareRules &rules = {});
