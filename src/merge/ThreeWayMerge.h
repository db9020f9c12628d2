#pragma once

#include <QtGlobal>

#include <vector>

// A stretch of lines of one text (0-based first line, a count that may be 0).
struct LineSpan {
    qsizetype first = 0;
    qsizetype count = 0;

    qsizetype end() const { return first + count; }
    bool operator==(const LineSpan &) const = default;
};

// One stretch of a three-way merge, with the lines it covers in each text. Together the
// stretches cover all three texts in order.
struct MergeRegion {
    enum Kind {
        Unchanged,    // the three texts agree
        MineChanged,  // only MINE changed OLDER's lines: MINE's lines are taken
        YoursChanged, // only YOURS did: YOURS' lines are taken
        BothChanged,  // both made the same change: taken once
        Conflict,     // they changed the same lines differently
    };
    Kind kind = Unchanged;
    LineSpan mine;
    LineSpan older;
    LineSpan yours;

    bool operator==(const MergeRegion &) const = default;
};

// Merges the changes OLDER → MINE and OLDER → YOURS, as `diff3 -m MINE OLDER YOURS` draws its
// blocks: each text is diffed against OLDER (diffLines, MINE or YOURS as the first sequence),
// and changes of the two diffs that overlap or touch in OLDER are one region. Lines are class
// numbers from 0 up, shared by the three texts (equal numbers: equal lines).
std::vector<MergeRegion> mergeThreeWay(const std::vector<int> &mine, const std::vector<int> &older,
                                       const std::vector<int> &yours);
