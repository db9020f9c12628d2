#pragma once

#include <QtGlobal>

#include <vector>

// One change of an edit script: `deleted` lines of the first sequence from `first0` give way
// to `inserted` lines of the second from `first1` (0-based; with a count of 0 the change is a
// pure insertion or deletion before that index).
struct LineChange {
    qsizetype first0 = 0;
    qsizetype first1 = 0;
    qsizetype deleted = 0;
    qsizetype inserted = 0;

    bool operator==(const LineChange &) const = default;
};

// The changes that turn `a` into `b`, in order. Lines are given as class numbers from 0 up
// (equal numbers: equal lines). The script is the one GNU diff finds without options: lines
// that occur only on one side are set aside first, the rest is aligned by the O(ND)
// middle-snake search (giving up on an exact answer only when an alignment costs thousands of
// edits), and each run of changes is slid down as far as it goes, then back up to meet a run
// of the other side. So a three-way merge built on it draws its hunks where diff3 does.
std::vector<LineChange> diffLines(const std::vector<int> &a, const std::vector<int> &b);
