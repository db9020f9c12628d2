#pragma once

#include "engine/LineMatching.h"

#include <functional>
#include <vector>

// The anchor matching looks only a short way ahead, and a block of code that moved can lead it
// to set long stretches of equal lines apart as deleted and added. Its result stands unless a
// minimal alignment of the same lines marks far fewer: fewer than half as many lines, and at
// least MinSaving fewer. The minimal search is bounded by that rule and by a number of steps
// proportional to the texts' length, so the guard stays cheap; past either bound the anchor
// result stands.
namespace MatchingGuard {

constexpr qint64 MinSaving = 50;

// What the guard did with one result.
struct Report {
    enum Outcome {
        Kept,      // the counts of the lines alone show no better alignment can exist
        Searched,  // no alignment far better was found within the bound
        TooCostly, // the search ran out of steps
        Replaced,  // the minimal alignment took the result's place
    };
    Outcome outcome = Kept;
    qint64 anchorMarks = 0;   // lines the anchor result marks (markedLines)
    qint64 minimalMarks = -1; // lines a minimal alignment marks, when the search found it
};

// Whether a result that marks `anchorMarks` lines gives way to one that marks `minimalMarks`.
bool farFromMinimal(qint64 anchorMarks, qint64 minimalMarks);

// Checks a table built by the anchor matching over these line ids and replaces it by a minimal
// alignment when the rule says so. False when `shouldAbort` stopped the search (the table is
// then left as it was).
bool guardAgainstMinimal(const std::vector<int> &left, const std::vector<int> &right,
                         PairTable &table, const std::function<bool()> &shouldAbort = {},
                         const std::function<void(qint64 done, qint64 total)> &progress = {},
                         Report *report = nullptr);

} // namespace MatchingGuard

// matchLines, then the guard over its result: what every text comparison without Minimal uses.
bool matchLinesGuarded(const LineViews &left, const LineViews &right, const MatchParams &params,
                       PairTable &table, const std::function<bool()> &shouldAbort = {},
                       const std::function<void(qint64 done, qint64 total)> &progress = {});
bool matchLinesGuarded(const QStringList &left, const QStringList &right, const MatchParams &params,
                       PairTable &table, const std::function<bool()> &shouldAbort = {},
                       const std::function<void(qint64 done, qint64 total)> &progress = {});
