#include "engine/GuardedMatching.h"

#include "engine/MinimalMatching.h"

#include <algorithm>
#include <cstdlib>

namespace MatchingGuard {

namespace {

// A floor under the marks of every alignment: a line that occurs k times more often on one
// side than on the other leaves at least k of them unpaired. On ordinary edits it is close to
// the minimum, and most results need no search at all.
qint64 unpairableLines(const std::vector<int> &left, const std::vector<int> &right) {
    int ids = 0;
    for (const std::vector<int> *side : {&left, &right}) {
        for (int id : *side)
            ids = std::max(ids, id + 1);
    }
    std::vector<int> balance(size_t(ids), 0);
    for (int id : left)
        ++balance[size_t(id)];
    for (int id : right)
        --balance[size_t(id)];
    qint64 floor = 0;
    for (int b : balance)
        floor += std::abs(b);
    return floor;
}

// The most lines a minimal alignment may mark and still take the place of a result that marks
// `anchorMarks`.
qint64 largestReplacing(qint64 anchorMarks) {
    return std::min((anchorMarks - 1) / 2, anchorMarks - MinSaving);
}

// Steps the search may take: about as long as the anchor matching takes on a long text (64 a
// line), a few hundredths of a second on a short one.
qint64 stepBudget(size_t lines) {
    return 64 * qint64(lines) + (qint64(1) << 24);
}

} // namespace

bool farFromMinimal(qint64 anchorMarks, qint64 minimalMarks) {
    return anchorMarks > 2 * minimalMarks && anchorMarks - minimalMarks >= MinSaving;
}

bool guardAgainstMinimal(const std::vector<int> &left, const std::vector<int> &right,
                         PairTable &table, const std::function<bool()> &shouldAbort,
                         const std::function<void(qint64, qint64)> &progress, Report *report) {
    Report r;
    r.anchorMarks = markedLines(table, left, right);
    bool finished = true;
    // The floor is below the minimum: when even the floor is not far better, nothing is.
    if (farFromMinimal(r.anchorMarks, unpairableLines(left, right))) {
        const MinimalLimits limits{largestReplacing(r.anchorMarks),
                                   stepBudget(left.size() + right.size())};
        std::vector<std::pair<int, int>> pairs;
        switch (alignMinimal(left, right, limits, pairs, shouldAbort, progress)) {
        case MinimalOutcome::Found: {
            PairTable minimal;
            tableFromPairs(pairs, int(left.size()), int(right.size()), minimal);
            r.minimalMarks = markedLines(minimal, left, right);
            r.outcome = Report::Searched;
            if (farFromMinimal(r.anchorMarks, r.minimalMarks)) {
                table = std::move(minimal);
                r.outcome = Report::Replaced;
            }
            break;
        }
        case MinimalOutcome::OverMarks:
            r.outcome = Report::Searched;
            break;
        case MinimalOutcome::TooCostly:
            r.outcome = Report::TooCostly;
            break;
        case MinimalOutcome::Stopped:
            finished = false;
            break;
        }
    }
    if (report)
        *report = r;
    return finished;
}

} // namespace MatchingGuard

bool matchLinesGuarded(const LineViews &left, const LineViews &right, const MatchParams &params,
                       PairTable &table, const std::function<bool()> &shouldAbort,
                       const std::function<void(qint64, qint64)> &progress) {
    const LineIndex index(left, right, params);
    return matchLines(index, params, table, shouldAbort, progress) &&
           MatchingGuard::guardAgainstMinimal(index.idsL(), index.idsR(), table, shouldAbort,
                                              progress);
}

bool matchLinesGuarded(const QStringList &left, const QStringList &right, const MatchParams &params,
                       PairTable &table, const std::function<bool()> &shouldAbort,
                       const std::function<void(qint64, qint64)> &progress) {
    return matchLinesGuarded(LineViews(left), LineViews(right), params, table, shouldAbort,
                             progress);
}
