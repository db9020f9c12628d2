#pragma once

#include "engine/LineMatching.h"

#include <functional>
#include <utility>
#include <vector>

// How far a search for a minimal alignment may go before it gives up.
struct MinimalLimits {
    qint64 maxMarks = -1; // stop once every alignment marks more lines than this (-1: no limit)
    qint64 maxWork = -1;  // stop after this many steps of the search (-1: no limit)
};

enum class MinimalOutcome {
    Found,     // the pairs are a longest common subsequence
    OverMarks, // every alignment marks more lines than maxMarks
    TooCostly, // the search took more than maxWork steps
    Stopped,   // shouldAbort answered true
};

// A longest common subsequence of two sequences of line ids, as the pairs (left, right) of its
// lines in ascending order: the alignment that marks the fewest lines, as `diff --minimal`
// finds it. Lines found on one side only are set aside first (they can never pair), then the
// rest is searched from both ends at once in linear space. `shouldAbort` is asked and
// `progress` told every million or so steps.
MinimalOutcome alignMinimal(const std::vector<int> &left, const std::vector<int> &right,
                            const MinimalLimits &limits, std::vector<std::pair<int, int>> &pairs,
                            const std::function<bool()> &shouldAbort = {},
                            const std::function<void(qint64 done, qint64 total)> &progress = {});

// Rows for nL and nR lines from the pairs of equal lines: between two pairs the remaining lines
// are set side by side from the top, as the anchor matching lays out its gaps.
void tableFromPairs(const std::vector<std::pair<int, int>> &pairs, int nL, int nR,
                    PairTable &table);

// The lines a table marks as differing: one for each line beside no line, two for each row of
// two lines with different ids. With the rows laid out as tableFromPairs does, a longest common
// subsequence of length s gives the least possible, nL + nR - 2s.
qint64 markedLines(const PairTable &table, const std::vector<int> &left,
                   const std::vector<int> &right);

// A minimal alignment of two texts, laid out by tableFromPairs. `shouldAbort` answering true
// stops it and the function returns false.
bool matchLinesMinimal(const QStringList &left, const QStringList &right, PairTable &table,
                       const std::function<bool()> &shouldAbort = {},
                       const std::function<void(qint64 done, qint64 total)> &progress = {});
