#include "engine/MinimalMatching.h"

#include <QHash>

#include <algorithm>
#include <vector>

namespace {

// A region to align: left lines [a0, a1), right lines [b0, b1).
struct Range {
    int a0, a1, b0, b1;
};

// Occurrences beyond this count make a line useless as a split point (as in other histogram
// diffs): such a region is laid out as a gap instead of being searched line by line.
constexpr int MaxOccurrences = 64;

class Aligner {
public:
    Aligner(const QStringList &left, const QStringList &right) {
        QHash<QString, int> ids;
        ids.reserve(left.size() + right.size());
        auto idOf = [&ids](const QString &line) {
            const auto known = ids.constFind(line);
            return known != ids.cend() ? *known : *ids.insert(line, int(ids.size()));
        };
        m_a.reserve(size_t(left.size()));
        for (const QString &line : left)
            m_a.push_back(idOf(line));
        m_b.reserve(size_t(right.size()));
        for (const QString &line : right)
            m_b.push_back(idOf(line));
        m_count.assign(ids.size(), 0);
        m_last.assign(ids.size(), -1);
        m_previous.assign(m_a.size(), -1);
    }

    int nA() const { return int(m_a.size()); }
    int nB() const { return int(m_b.size()); }

    // The pairs of equal lines of the whole texts, in order.
    bool align(std::vector<std::pair<int, int>> &pairs, const std::function<bool()> &shouldAbort,
               const std::function<void(qint64, qint64)> &progress) {
        std::vector<Range> todo{{0, nA(), 0, nB()}};
        std::vector<std::pair<int, int>> found;
        long steps = 0;
        while (!todo.empty()) {
            Range r = todo.back();
            todo.pop_back();
            while (r.a0 < r.a1 && r.b0 < r.b1 && m_a[size_t(r.a0)] == m_b[size_t(r.b0)])
                found.emplace_back(r.a0++, r.b0++);
            while (r.a0 < r.a1 && r.b0 < r.b1 && m_a[size_t(r.a1 - 1)] == m_b[size_t(r.b1 - 1)])
                found.emplace_back(--r.a1, --r.b1);
            if (r.a0 >= r.a1 || r.b0 >= r.b1)
                continue;
            Range best{};
            if (!longestRareRun(r, best))
                continue; // nothing in common worth pairing: a gap
            for (int k = 0; k < best.a1 - best.a0; ++k)
                found.emplace_back(best.a0 + k, best.b0 + k);
            todo.push_back({r.a0, best.a0, r.b0, best.b0});
            todo.push_back({best.a1, r.a1, best.b1, r.b1});
            if (++steps % 64 == 0) {
                if (progress)
                    progress(qint64(found.size()) * 2, qint64(nA()) + nB());
                if (shouldAbort && shouldAbort())
                    return false;
            }
        }
        std::sort(found.begin(), found.end());
        pairs = std::move(found);
        return true;
    }

private:
    // The run of equal lines inside r whose rarest line occurs least often on the left, the
    // longest among those; false when no line of the right occurs on the left few enough times.
    bool longestRareRun(const Range &r, Range &best) {
        for (int a = r.a0; a < r.a1; ++a) {
            const int id = m_a[size_t(a)];
            ++m_count[size_t(id)];
            m_previous[size_t(a)] = m_last[size_t(id)];
            m_last[size_t(id)] = a;
        }
        int bestCount = MaxOccurrences + 1;
        int bestLength = 0;
        for (int b = r.b0; b < r.b1;) {
            int nextB = b + 1;
            const int id = m_b[size_t(b)];
            if (m_count[size_t(id)] > 0 && m_count[size_t(id)] <= bestCount) {
                for (int a = m_last[size_t(id)]; a >= r.a0; a = m_previous[size_t(a)]) {
                    int s = a, t = b, e = a + 1, f = b + 1;
                    int rarest = m_count[size_t(id)];
                    while (s > r.a0 && t > r.b0 && m_a[size_t(s - 1)] == m_b[size_t(t - 1)]) {
                        --s;
                        --t;
                        rarest = std::min(rarest, m_count[size_t(m_a[size_t(s)])]);
                    }
                    while (e < r.a1 && f < r.b1 && m_a[size_t(e)] == m_b[size_t(f)]) {
                        rarest = std::min(rarest, m_count[size_t(m_a[size_t(e)])]);
                        ++e;
                        ++f;
                    }
                    if (rarest < bestCount || (rarest == bestCount && e - s > bestLength)) {
                        bestCount = rarest;
                        bestLength = e - s;
                        best = {s, e, t, f};
                    }
                    nextB = std::max(nextB, f);
                }
            }
            b = nextB;
        }
        for (int a = r.a0; a < r.a1; ++a) {
            const int id = m_a[size_t(a)];
            m_count[size_t(id)] = 0;
            m_last[size_t(id)] = -1;
        }
        return bestLength > 0;
    }

    std::vector<int> m_a, m_b;   // line ids
    std::vector<int> m_count;    // occurrences of an id in the left range being searched
    std::vector<int> m_last;     // its last position there
    std::vector<int> m_previous; // the position before, with the same id
};

// Unpaired lines between two pairs, side by side from the top.
void emitGap(PairTable &table, int a0, int a1, int b0, int b1) {
    for (int k = 0; k < std::max(a1 - a0, b1 - b0); ++k)
        table.append({a0 + k < a1 ? a0 + k : -1, b0 + k < b1 ? b0 + k : -1});
}

} // namespace

bool matchLinesMinimal(const QStringList &left, const QStringList &right, PairTable &table,
                       const std::function<bool()> &shouldAbort,
                       const std::function<void(qint64, qint64)> &progress) {
    Aligner aligner(left, right);
    std::vector<std::pair<int, int>> pairs;
    if (!aligner.align(pairs, shouldAbort, progress))
        return false;
    table.reserve(size_t(std::max(aligner.nA(), aligner.nB())));
    int a = 0, b = 0;
    for (const auto &[i, j] : pairs) {
        emitGap(table, a, i, b, j);
        table.append({i, j});
        a = i + 1;
        b = j + 1;
    }
    emitGap(table, a, aligner.nA(), b, aligner.nB());
    return true;
}
