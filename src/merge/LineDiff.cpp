#include "merge/LineDiff.h"

#include <algorithm>
#include <limits>

namespace {

// Lines of a common start and end that still take part, so that a run of changes may slide
// into them (diff3 asks its diff for as many).
constexpr qsizetype Horizon = 100;

// One side's lines as the search sees them.
struct Side {
    const int *lines = nullptr; // the side's class numbers from its first line that takes part
    qsizetype count = 0;
    char *changed = nullptr;          // one flag a line, with a zero before and after
    std::vector<int> kept;            // classes of the lines that were not set aside
    std::vector<qsizetype> realIndex; // where each kept line stands in `lines`
};

// Marks lines that cannot be part of a good alignment. A line the other side lacks is surely
// changed; a line that is very common on the other side is set aside too, but only inside a
// run of such lines that is not mostly made of common ones: that keeps the search from being
// led astray by blank lines and braces without losing the alignment of real text.
void setAsideConfusingLines(Side side[2], int classCount) {
    std::vector<qsizetype> counts[2];
    for (int f = 0; f < 2; ++f) {
        counts[f].assign(size_t(classCount), 0);
        for (qsizetype i = 0; i < side[f].count; ++i)
            ++counts[f][size_t(side[f].lines[i])];
    }
    for (int f = 0; f < 2; ++f) {
        const qsizetype end = side[f].count;
        // 0 keep, 1 set aside, 2 set aside only when the run around it says so
        std::vector<char> d(size_t(end), 0);
        qsizetype many = 5; // about the square root of the line count
        for (qsizetype tem = end >> 6; (tem >>= 2) > 0;)
            many *= 2;
        for (qsizetype i = 0; i < end; ++i) {
            const qsizetype matches = counts[1 - f][size_t(side[f].lines[i])];
            d[size_t(i)] = matches == 0 ? 1 : matches > many ? 2 : 0;
        }
        auto at = [&d](qsizetype k) -> char & { return d[size_t(k)]; };
        for (qsizetype i = 0; i < end; ++i) {
            if (at(i) == 2) {
                at(i) = 0; // a common line that does not start a run is kept
                continue;
            }
            if (at(i) == 0)
                continue;
            qsizetype j = i;
            qsizetype provisional = 0;
            for (; j < end && at(j) != 0; ++j)
                provisional += at(j) == 2;
            while (j > i && at(j - 1) == 2) { // nor one that ends it
                at(--j) = 0;
                --provisional;
            }
            const qsizetype length = j - i;
            if (provisional * 4 > length) {
                while (j > i)
                    if (at(--j) == 2)
                        at(j) = 0;
                continue;
            }
            // Long stretches of common lines inside the run are kept ...
            qsizetype minimum = 1;
            for (qsizetype tem = length >> 2; (tem >>= 2) > 0;)
                minimum <<= 1;
            ++minimum;
            qsizetype consecutive = 0;
            for (j = 0; j < length; ++j) {
                if (at(i + j) != 2)
                    consecutive = 0;
                else if (minimum == ++consecutive)
                    j -= consecutive; // back to the stretch's start, to keep all of it
                else if (minimum < consecutive)
                    at(i + j) = 0;
            }
            // ... and so are common lines near the run's ends, up to three lines surely set
            // aside in a row or the first such line eight lines in.
            consecutive = 0;
            for (j = 0; j < length; ++j) {
                if (j >= 8 && at(i + j) == 1)
                    break;
                if (at(i + j) == 2) {
                    consecutive = 0;
                    at(i + j) = 0;
                } else if (at(i + j) == 0) {
                    consecutive = 0;
                } else if (++consecutive == 3) {
                    break;
                }
            }
            i += length - 1;
            consecutive = 0;
            for (j = 0; j < length; ++j) {
                if (j >= 8 && at(i - j) == 1)
                    break;
                if (at(i - j) == 2) {
                    consecutive = 0;
                    at(i - j) = 0;
                } else if (at(i - j) == 0) {
                    consecutive = 0;
                } else if (++consecutive == 3) {
                    break;
                }
            }
        }
        for (qsizetype i = 0; i < end; ++i) {
            if (at(i) == 0) {
                side[f].kept.push_back(side[f].lines[i]);
                side[f].realIndex.push_back(i);
            } else {
                side[f].changed[i] = 1;
            }
        }
    }
}

// The middle-snake search over the kept lines of two sides (Myers, with linear space).
class Search {
public:
    explicit Search(Side side[2]) : m_x(side[0]), m_y(side[1]) {
        const qsizetype nx = qsizetype(m_x.kept.size());
        const qsizetype ny = qsizetype(m_y.kept.size());
        qsizetype diagonals = nx + ny + 3;
        m_forward.assign(size_t(diagonals), 0);
        m_backward.assign(size_t(diagonals), 0);
        m_offset = ny + 1;
        // Beyond about the square root of the input's size in edits, a split is taken from
        // the best progress so far instead of the exact middle.
        qsizetype expensive = 1;
        for (; diagonals != 0; diagonals >>= 2)
            expensive <<= 1;
        m_tooExpensive = std::max<qsizetype>(4096, expensive);
    }

    void run() {
        struct Task {
            qsizetype xoff, xlim, yoff, ylim;
            bool minimal;
        };
        // An explicit stack: the order in which the parts are done does not matter, and a
        // long input must not exhaust the call stack.
        std::vector<Task> tasks{
            {0, qsizetype(m_x.kept.size()), 0, qsizetype(m_y.kept.size()), false}};
        const int *xv = m_x.kept.data();
        const int *yv = m_y.kept.data();
        while (!tasks.empty()) {
            Task t = tasks.back();
            tasks.pop_back();
            while (t.xoff < t.xlim && t.yoff < t.ylim && xv[t.xoff] == yv[t.yoff]) {
                ++t.xoff;
                ++t.yoff;
            }
            while (t.xoff < t.xlim && t.yoff < t.ylim && xv[t.xlim - 1] == yv[t.ylim - 1]) {
                --t.xlim;
                --t.ylim;
            }
            if (t.xoff == t.xlim) {
                for (qsizetype y = t.yoff; y < t.ylim; ++y)
                    m_y.changed[m_y.realIndex[size_t(y)]] = 1;
            } else if (t.yoff == t.ylim) {
                for (qsizetype x = t.xoff; x < t.xlim; ++x)
                    m_x.changed[m_x.realIndex[size_t(x)]] = 1;
            } else {
                const Split s = middle(t.xoff, t.xlim, t.yoff, t.ylim, t.minimal);
                tasks.push_back({s.xmid, t.xlim, s.ymid, t.ylim, s.hiMinimal});
                tasks.push_back({t.xoff, s.xmid, t.yoff, s.ymid, s.loMinimal});
            }
        }
    }

private:
    struct Split {
        qsizetype xmid, ymid;
        bool loMinimal, hiMinimal;
    };

    // A point on a shortest edit path of the part [xoff, xlim) × [yoff, ylim), whose first
    // and last lines differ: searched from both corners at once until the searches meet.
    Split middle(qsizetype xoff, qsizetype xlim, qsizetype yoff, qsizetype ylim, bool minimal) {
        qsizetype *fd = m_forward.data() + m_offset;
        qsizetype *bd = m_backward.data() + m_offset;
        const int *xv = m_x.kept.data();
        const int *yv = m_y.kept.data();
        const qsizetype dmin = xoff - ylim;
        const qsizetype dmax = xlim - yoff;
        const qsizetype fmid = xoff - yoff;
        const qsizetype bmid = xlim - ylim;
        qsizetype fmin = fmid, fmax = fmid, bmin = bmid, bmax = bmid;
        const bool odd = ((fmid - bmid) & 1) != 0;
        constexpr qsizetype Far = std::numeric_limits<qsizetype>::max();
        fd[fmid] = xoff;
        bd[bmid] = xlim;
        for (qsizetype c = 1;; ++c) {
            if (fmin > dmin)
                fd[--fmin - 1] = -1;
            else
                ++fmin;
            if (fmax < dmax)
                fd[++fmax + 1] = -1;
            else
                --fmax;
            for (qsizetype d = fmax; d >= fmin; d -= 2) {
                const qsizetype x0 = fd[d - 1] < fd[d + 1] ? fd[d + 1] : fd[d - 1] + 1;
                qsizetype x = x0, y = x0 - d;
                while (x < xlim && y < ylim && xv[x] == yv[y]) {
                    ++x;
                    ++y;
                }
                fd[d] = x;
                if (odd && bmin <= d && d <= bmax && bd[d] <= x)
                    return {x, y, true, true};
            }
            if (bmin > dmin)
                bd[--bmin - 1] = Far;
            else
                ++bmin;
            if (bmax < dmax)
                bd[++bmax + 1] = Far;
            else
                --bmax;
            for (qsizetype d = bmax; d >= bmin; d -= 2) {
                const qsizetype x0 = bd[d - 1] < bd[d + 1] ? bd[d - 1] : bd[d + 1] - 1;
                qsizetype x = x0, y = x0 - d;
                while (xoff < x && yoff < y && xv[x - 1] == yv[y - 1]) {
                    --x;
                    --y;
                }
                bd[d] = x;
                if (!odd && fmin <= d && d <= fmax && x <= fd[d])
                    return {x, y, true, true};
            }
            if (minimal || c < m_tooExpensive)
                continue;
            // Too costly: split at whichever search got further, measured by x + y.
            qsizetype fxy = -1, fx = 0;
            for (qsizetype d = fmax; d >= fmin; d -= 2) {
                qsizetype x = std::min(fd[d], xlim);
                qsizetype y = x - d;
                if (ylim < y) {
                    x = ylim + d;
                    y = ylim;
                }
                if (fxy < x + y) {
                    fxy = x + y;
                    fx = x;
                }
            }
            qsizetype bxy = Far, bx = 0;
            for (qsizetype d = bmax; d >= bmin; d -= 2) {
                qsizetype x = std::max(xoff, bd[d]);
                qsizetype y = x - d;
                if (y < yoff) {
                    x = yoff + d;
                    y = yoff;
                }
                if (x + y < bxy) {
                    bxy = x + y;
                    bx = x;
                }
            }
            if ((xlim + ylim) - bxy < fxy - (xoff + yoff))
                return {fx, fxy - fx, true, false};
            return {bx, bxy - bx, false, true};
        }
    }

    Side &m_x;
    Side &m_y;
    std::vector<qsizetype> m_forward;
    std::vector<qsizetype> m_backward;
    qsizetype m_offset = 0;
    qsizetype m_tooExpensive = 0;
};

// Slides each run of changes of one side down as far as equal lines let it (merging with the
// runs it meets), then back up to end where a run of the other side ends, if it can.
void slideRuns(const int *lines, qsizetype count, char *changed, const char *otherChanged) {
    qsizetype i = 0, j = 0;
    for (;;) {
        while (i < count && !changed[i]) {
            while (otherChanged[j++]) {
            }
            ++i;
        }
        if (i == count)
            return;
        qsizetype start = i;
        while (changed[++i]) {
        }
        while (otherChanged[j])
            ++j;
        qsizetype length = 0, corresponding = 0;
        do {
            length = i - start;
            while (start && lines[start - 1] == lines[i - 1]) {
                changed[--start] = 1;
                changed[--i] = 0;
                while (changed[start - 1])
                    --start;
                while (otherChanged[--j]) {
                }
            }
            corresponding = otherChanged[j - 1] ? i : count;
            while (i != count && lines[start] == lines[i]) {
                changed[start++] = 0;
                changed[i++] = 1;
                while (changed[i])
                    ++i;
                while (otherChanged[++j])
                    corresponding = i;
            }
        } while (length != i - start);
        while (corresponding < i) {
            changed[--start] = 1;
            changed[--i] = 0;
            while (otherChanged[--j]) {
            }
        }
    }
}

} // namespace

std::vector<LineChange> diffLines(const std::vector<int> &a, const std::vector<int> &b) {
    const qsizetype na = qsizetype(a.size());
    const qsizetype nb = qsizetype(b.size());
    // Equal lines at the start and the end take no part, but for a horizon of them.
    qsizetype prefix = 0;
    while (prefix < na && prefix < nb && a[size_t(prefix)] == b[size_t(prefix)])
        ++prefix;
    const qsizetype skipStart = std::max<qsizetype>(0, prefix - Horizon);
    const qsizetype suffixRoom = std::min(na, nb) - skipStart;
    qsizetype suffix = 0;
    while (suffix < suffixRoom && a[size_t(na - 1 - suffix)] == b[size_t(nb - 1 - suffix)])
        ++suffix;
    const qsizetype skipEnd = std::max<qsizetype>(0, suffix - Horizon);

    int classCount = 0;
    for (const std::vector<int> *v : {&a, &b})
        for (const int c : *v)
            classCount = std::max(classCount, c + 1);

    Side side[2];
    std::vector<char> flags[2];
    const std::vector<int> *all[2] = {&a, &b};
    for (int f = 0; f < 2; ++f) {
        side[f].lines = all[f]->data() + skipStart;
        side[f].count = qsizetype(all[f]->size()) - skipStart - skipEnd;
        flags[f].assign(size_t(side[f].count) + 2, 0);
        side[f].changed = flags[f].data() + 1;
    }
    if (side[0].count > 0 || side[1].count > 0) {
        setAsideConfusingLines(side, classCount);
        Search(side).run();
        slideRuns(side[0].lines, side[0].count, side[0].changed, side[1].changed);
        slideRuns(side[1].lines, side[1].count, side[1].changed, side[0].changed);
    }

    std::vector<LineChange> changes;
    const char *c0 = side[0].changed;
    const char *c1 = side[1].changed;
    qsizetype i0 = 0, i1 = 0;
    while (i0 < side[0].count || i1 < side[1].count) {
        if (c0[i0] || c1[i1]) {
            const qsizetype from0 = i0, from1 = i1;
            while (c0[i0])
                ++i0;
            while (c1[i1])
                ++i1;
            changes.push_back({from0 + skipStart, from1 + skipStart, i0 - from0, i1 - from1});
        }
        ++i0;
        ++i1;
    }
    return changes;
}
