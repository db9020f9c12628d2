#include "engine/MinimalMatching.h"

#include <QHash>

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace {

// Steps of the search between two questions to the caller: about a millisecond.
constexpr qint64 PollEvery = qint64(1) << 20;

// The search of a longest common subsequence from both ends at once (Myers' linear-space
// divide and conquer, as GNU diff does it without its heuristics): the paths of the fewest
// edits from the top-left and from the bottom-right corner grow one edit at a time until they
// meet; the region is split where they meet and each half is searched the same way.
class Search {
public:
    Search(const std::vector<int> &a, const std::vector<int> &b, const MinimalLimits &limits,
           const std::function<bool()> &shouldAbort,
           const std::function<void(qint64, qint64)> &progress)
        : m_a(a), m_b(b), m_limits(limits), m_shouldAbort(shouldAbort), m_progress(progress) {
        const size_t diagonals = a.size() + b.size() + 3;
        m_fd.resize(diagonals);
        m_bd.resize(diagonals);
        m_offset = int(b.size()) + 1;
        m_nextPoll = nextPoll();
    }

    // Fills `pairs` (indexes into a and b) for the whole of a and b; a region's edits beyond
    // `maxEdits` (if not negative) give OverMarks.
    MinimalOutcome run(qint64 maxEdits, std::vector<std::pair<int, int>> &pairs) {
        m_pairs.clear();
        m_pairs.reserve(std::min(m_a.size(), m_b.size()));
        const bool done = compare(0, int(m_a.size()), 0, int(m_b.size()), maxEdits);
        if (done)
            pairs = std::move(m_pairs);
        return done ? MinimalOutcome::Found : m_outcome;
    }

private:
    // Aligns a[xoff, xlim) with b[yoff, ylim), appending the pairs in order.
    bool compare(int xoff, int xlim, int yoff, int ylim, qint64 maxEdits) {
        const int prefixFrom = xoff;
        while (xoff < xlim && yoff < ylim && m_a[size_t(xoff)] == m_b[size_t(yoff)])
            m_pairs.emplace_back(xoff++, yoff++);
        int sx = xlim, sy = ylim;
        while (xoff < sx && yoff < sy && m_a[size_t(sx - 1)] == m_b[size_t(sy - 1)]) {
            --sx;
            --sy;
        }
        m_work += (xoff - prefixFrom) + (xlim - sx);
        m_settled += 2 * qint64(xoff - prefixFrom + xlim - sx);
        if (xoff == sx || yoff == sy) {
            // One side is used up: the rest of the other has no partner.
            m_settled += (sx - xoff) + (sy - yoff);
            if (maxEdits >= 0 && (sx - xoff) + (sy - yoff) > maxEdits)
                return fail(MinimalOutcome::OverMarks);
        } else {
            if (maxEdits >= 0 && std::abs((sx - xoff) - (sy - yoff)) > maxEdits)
                return fail(MinimalOutcome::OverMarks);
            int x = 0, y = 0;
            const bool top = m_depth == 0;
            if (!middle(xoff, sx, yoff, sy, maxEdits, top, x, y))
                return false;
            if (top)
                m_reach = qint64(m_a.size()) + qint64(m_b.size());
            ++m_depth;
            const bool done = compare(xoff, x, yoff, y, -1) && compare(x, sx, y, sy, -1);
            --m_depth;
            if (!done)
                return false;
        }
        for (int k = 0; k < xlim - sx; ++k)
            m_pairs.emplace_back(sx + k, sy + k);
        return true;
    }

    // A point (x, y) on a path of the fewest edits through the region, with about half of
    // them on either side of it. The region starts and ends with lines that differ.
    bool middle(int xoff, int xlim, int yoff, int ylim, qint64 maxEdits, bool top, int &xmid,
                int &ymid) {
        constexpr int Unreached = -1, UnreachedBack = std::numeric_limits<int>::max();
        const int dmin = xoff - ylim, dmax = xlim - yoff; // the diagonals (x - y) of the region
        const int fmid = xoff - yoff, bmid = xlim - ylim;
        int fmin = fmid, fmax = fmid, bmin = bmid, bmax = bmid;
        const bool odd = ((fmid - bmid) & 1) != 0;
        int *const fd = m_fd.data() + m_offset; // furthest x reached from the top, by diagonal
        int *const bd = m_bd.data() + m_offset; // least x reached from the bottom
        const int *const a = m_a.data();
        const int *const b = m_b.data();
        fd[fmid] = xoff;
        bd[bmid] = xlim;
        int bestFrom = xoff + yoff, bestBack = xlim + ylim; // x + y reached, for the progress
        for (qint64 c = 1;; ++c) {
            // Meeting in this step would take 2c - 1 edits (odd) or 2c.
            if (maxEdits >= 0 && 2 * c - (odd ? 1 : 0) > maxEdits)
                return fail(MinimalOutcome::OverMarks);
            if (fmin > dmin)
                fd[--fmin - 1] = Unreached;
            else
                ++fmin;
            if (fmax < dmax)
                fd[++fmax + 1] = Unreached;
            else
                --fmax;
            for (int d = fmax; d >= fmin; d -= 2) {
                // One more edit: right from diagonal d - 1 or down from d + 1, inside the region.
                const int lo = fd[d - 1], hi = fd[d + 1];
                const int right = lo != Unreached && lo < xlim ? lo + 1 : Unreached;
                const int down = hi != Unreached && hi - d <= ylim ? hi : Unreached;
                int x = std::max(right, down);
                m_work += 1;
                if (x != Unreached) {
                    int y = x - d;
                    const int x0 = x;
                    while (x < xlim && y < ylim && a[x] == b[y]) {
                        ++x;
                        ++y;
                    }
                    m_work += x - x0;
                    bestFrom = std::max(bestFrom, x + y);
                    if (odd && bmin <= d && d <= bmax && bd[d] <= x) {
                        xmid = x;
                        ymid = y;
                        return true;
                    }
                }
                fd[d] = x;
            }
            if (bmin > dmin)
                bd[--bmin - 1] = UnreachedBack;
            else
                ++bmin;
            if (bmax < dmax)
                bd[++bmax + 1] = UnreachedBack;
            else
                --bmax;
            for (int d = bmax; d >= bmin; d -= 2) {
                // One more edit backwards: up from diagonal d - 1 or left from d + 1.
                const int lo = bd[d - 1], hi = bd[d + 1];
                const int up = lo != UnreachedBack && lo - d >= yoff ? lo : UnreachedBack;
                const int left = hi != UnreachedBack && hi > xoff ? hi - 1 : UnreachedBack;
                int x = std::min(up, left);
                m_work += 1;
                if (x != UnreachedBack) {
                    int y = x - d;
                    const int x0 = x;
                    while (x > xoff && y > yoff && a[x - 1] == b[y - 1]) {
                        --x;
                        --y;
                    }
                    m_work += x0 - x;
                    bestBack = std::min(bestBack, x + y);
                    if (!odd && fmin <= d && d <= fmax && fd[d] != Unreached && x <= fd[d]) {
                        xmid = x;
                        ymid = y;
                        return true;
                    }
                }
                bd[d] = x;
            }
            if (m_work >= m_nextPoll) {
                if (top)
                    m_reach = qint64(bestFrom - xoff - yoff) + qint64(xlim + ylim - bestBack);
                if (!poll())
                    return false;
            }
        }
    }

    // Tells the caller how far the search is and asks whether to go on.
    bool poll() {
        m_nextPoll = nextPoll();
        if (m_limits.maxWork >= 0 && m_work > m_limits.maxWork)
            return fail(MinimalOutcome::TooCostly);
        // The search from both ends of the whole is the first half of the work, the regions
        // it leaves the second.
        const qint64 lines = qint64(m_a.size()) + qint64(m_b.size());
        if (m_progress)
            m_progress(std::min(m_reach, lines) + m_settled, 2 * lines);
        if (m_shouldAbort && m_shouldAbort())
            return fail(MinimalOutcome::Stopped);
        return true;
    }

    // The work at which to poll next: after PollEvery more steps, or just past the budget.
    qint64 nextPoll() const {
        const qint64 next = m_work + PollEvery;
        return m_limits.maxWork >= 0 && m_limits.maxWork < next ? m_limits.maxWork + 1 : next;
    }

    bool fail(MinimalOutcome outcome) {
        m_outcome = outcome;
        return false;
    }

    const std::vector<int> &m_a, &m_b;
    MinimalLimits m_limits;
    const std::function<bool()> &m_shouldAbort;
    const std::function<void(qint64, qint64)> &m_progress;
    std::vector<int> m_fd, m_bd;
    int m_offset = 0;
    std::vector<std::pair<int, int>> m_pairs;
    MinimalOutcome m_outcome = MinimalOutcome::Found;
    qint64 m_work = 0, m_nextPoll = 0;
    qint64 m_reach = 0;   // lines the search of the whole has passed from either end
    qint64 m_settled = 0; // lines whose place is decided
    int m_depth = 0;
};

// The ids of one side that also occur on the other, and where each of them stands.
void keepShared(const std::vector<int> &ids, const std::vector<quint8> &seen,
                std::vector<int> &kept, std::vector<int> &place) {
    for (int k = 0; k < int(ids.size()); ++k) {
        if (seen[size_t(ids[size_t(k)])] == 3) {
            kept.push_back(ids[size_t(k)]);
            place.push_back(k);
        }
    }
}

} // namespace

MinimalOutcome alignMinimal(const std::vector<int> &left, const std::vector<int> &right,
                            const MinimalLimits &limits, std::vector<std::pair<int, int>> &pairs,
                            const std::function<bool()> &shouldAbort,
                            const std::function<void(qint64, qint64)> &progress) {
    // A line found on one side only is in no common subsequence: it is marked whatever the
    // alignment, and leaving it out shortens the search (most edited lines are such lines).
    int ids = 0;
    for (const std::vector<int> *side : {&left, &right}) {
        for (int id : *side)
            ids = std::max(ids, id + 1);
    }
    std::vector<quint8> seen(size_t(ids), 0);
    for (int id : left)
        seen[size_t(id)] |= 1;
    for (int id : right)
        seen[size_t(id)] |= 2;
    std::vector<int> a, b, placeA, placeB;
    keepShared(left, seen, a, placeA);
    keepShared(right, seen, b, placeB);
    seen = {};
    const qint64 setAside = qint64(left.size() - a.size()) + qint64(right.size() - b.size());
    if (limits.maxMarks >= 0 && setAside > limits.maxMarks)
        return MinimalOutcome::OverMarks;
    Search search(a, b, limits, shouldAbort, progress);
    const MinimalOutcome outcome =
        search.run(limits.maxMarks >= 0 ? limits.maxMarks - setAside : -1, pairs);
    if (outcome != MinimalOutcome::Found)
        return outcome;
    for (auto &[i, j] : pairs) {
        i = placeA[size_t(i)];
        j = placeB[size_t(j)];
    }
    return outcome;
}

void tableFromPairs(const std::vector<std::pair<int, int>> &pairs, int nL, int nR,
                    PairTable &table) {
    table.reserve(size_t(std::max(nL, nR)));
    int a = 0, b = 0;
    auto gap = [&table](int a0, int a1, int b0, int b1) {
        for (int k = 0; k < std::max(a1 - a0, b1 - b0); ++k)
            table.append({a0 + k < a1 ? a0 + k : -1, b0 + k < b1 ? b0 + k : -1});
    };
    for (const auto &[i, j] : pairs) {
        gap(a, i, b, j);
        table.append({i, j});
        a = i + 1;
        b = j + 1;
    }
    gap(a, nL, b, nR);
}

qint64 markedLines(const PairTable &table, const std::vector<int> &left,
                   const std::vector<int> &right) {
    qint64 marks = 0;
    for (int r = 1; r <= table.lastRow(); ++r) {
        const PairTable::Row &row = table.row(r);
        if (row.left < 0 || row.right < 0)
            marks += (row.left >= 0) + (row.right >= 0);
        else if (left[size_t(row.left)] != right[size_t(row.right)])
            marks += 2;
    }
    return marks;
}

bool matchLinesMinimal(const QStringList &left, const QStringList &right, PairTable &table,
                       const std::function<bool()> &shouldAbort,
                       const std::function<void(qint64, qint64)> &progress) {
    std::vector<int> ids[2];
    {
        QHash<QString, int> known;
        known.reserve(left.size() + right.size());
        int side = 0;
        for (const QStringList *lines : {&left, &right}) {
            ids[side].reserve(size_t(lines->size()));
            for (const QString &line : *lines) {
                const auto it = known.constFind(line);
                ids[side].push_back(it != known.cend() ? *it
                                                       : *known.insert(line, int(known.size())));
            }
            ++side;
        }
    }
    std::vector<std::pair<int, int>> pairs;
    if (alignMinimal(ids[0], ids[1], {}, pairs, shouldAbort, progress) != MinimalOutcome::Found)
        return false;
    tableFromPairs(pairs, int(ids[0].size()), int(ids[1].size()), table);
    return true;
}
