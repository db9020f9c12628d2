#include "engine/LineMatching.h"

#include "platform/Background.h"
#include "platform/FreedMemory.h"
#include "platform/SplitSizes.h"

#include <algorithm>
#include <cstring>

namespace {

// A quick hash of a line's characters, eight bytes at a step. It only places lines in the
// table below; which lines are equal is still decided by comparing them.
size_t lineHash(QStringView line) {
    const char *p = reinterpret_cast<const char *>(line.data());
    size_t n = size_t(line.size()) * sizeof(char16_t);
    quint64 h = 0x9e3779b97f4a7c15ull ^ n;
    auto mix = [&h](quint64 word) {
        h = (h ^ word) * 0xff51afd7ed558ccdull;
        h ^= h >> 32;
    };
    for (; n >= 8; n -= 8, p += 8) {
        quint64 word;
        std::memcpy(&word, p, 8);
        mix(word);
    }
    if (n > 0) {
        quint64 word = 0;
        std::memcpy(&word, p, n);
        mix(word);
    }
    h *= 0xc4ceb9fe1a85ec53ull;
    return size_t(h ^ (h >> 32));
}

// Slots of an open-addressing table for this many keys: a power of two, at most half full.
size_t tableSize(size_t expected) {
    size_t capacity = 16;
    while (capacity < expected * 2)
        capacity *= 2;
    return capacity;
}

// Gives every distinct line text a small id, in one open-addressing table over both sides. A
// slot keeps the high half of its line's hash beside the id, so most lines that only share a
// slot are told apart without reading their texts. An id remembers its first line by side and
// number (4 bytes), which the lists already hold.
class LineInterner {
public:
    LineInterner(const LineViews &left, const LineViews &right)
        : m_sides{&left, &right}, m_slots(tableSize(size_t(left.size() + right.size()))) {
        m_mask = m_slots.size() - 1;
    }

    // Asks the processor for a slot that an intern() a few lines later will read.
    void prefetch(size_t hash) const { __builtin_prefetch(&m_slots[hash & m_mask]); }

    int intern(int side, qsizetype index, size_t hash) {
        const QString line = (*m_sides[side])[index];
        const quint32 tag = quint32(quint64(hash) >> 32);
        for (size_t s = hash & m_mask;; s = (s + 1) & m_mask) {
            Slot &slot = m_slots[s];
            if (slot.id < 0) {
                slot = {int(m_first.size()), tag};
                m_first.push_back(quint32(index) | (side == 0 ? 0 : RightSide));
                return slot.id;
            }
            if (slot.tag == tag && firstLine(slot.id) == line)
                return slot.id;
        }
    }

    int count() const { return int(m_first.size()); }
    int length(int id) const { return int(firstLine(id).size()); }

private:
    static constexpr quint32 RightSide = 0x80000000u;

    QString firstLine(int id) const {
        const quint32 first = m_first[size_t(id)];
        return (*m_sides[first & RightSide ? 1 : 0])[qsizetype(first & ~RightSide)];
    }

    struct Slot {
        int id = -1;
        quint32 tag = 0;
    };
    const LineViews *m_sides[2];
    std::vector<Slot> m_slots;
    size_t m_mask;
    std::vector<quint32> m_first;
};

std::vector<size_t> lineHashes(const LineViews &lines) {
    std::vector<size_t> hashes(size_t(lines.size()));
    for (qsizetype k = 0; k < lines.size(); ++k)
        hashes[size_t(k)] = lineHash(lines[k]);
    return hashes;
}

// Ids of one side's lines in order, each from the interner; the slots a few lines ahead are
// fetched while a line is looked up, as they lie anywhere in a table far larger than the
// cache. The lines' hashes come from `hashes` or, without it, are made a few lines ahead.
void internLines(LineInterner &interner, int side, const LineViews &lines,
                 const std::vector<size_t> *hashes, std::vector<int> &ids) {
    constexpr size_t Ahead = 8;
    const size_t n = size_t(lines.size());
    auto hashOf = [&](size_t k) { return hashes ? (*hashes)[k] : lineHash(lines[qsizetype(k)]); };
    size_t ahead[Ahead] = {}; // the hashes of lines k .. k + Ahead - 1
    for (size_t k = 0; k < std::min(Ahead, n); ++k)
        ahead[k] = hashOf(k);
    ids.resize(n);
    for (size_t k = 0; k < n; ++k) {
        const size_t hash = ahead[k % Ahead];
        if (k + Ahead < n) {
            ahead[k % Ahead] = hashOf(k + Ahead);
            interner.prefetch(ahead[k % Ahead]);
        }
        ids[k] = interner.intern(side, qsizetype(k), hash);
    }
}

enum class RunOutcome { Fails, Qualifies, End };

// The run test at (i, j): does a run of equal lines start here that holds enough characters
// before a mismatch, within at most 100 lines, without running off the end of either text?
RunOutcome runTest(const LineIndex &x, int i, int j, const MatchParams &p) {
    const int nL = x.nL(), nR = x.nR();
    int chars = 0;
    int k = 0;
    for (; k < 100; ++k) {
        if (i + k > nL - 1 || j + k > nR - 1)
            break;
        const int id = x.idL(i + k);
        if (id != x.idR(j + k))
            break;
        if (chars < p.MinRunChars)
            chars += x.length(id);
        if (chars >= p.MinRunChars && k >= p.MinRunLines - 1)
            break;
    }
    if (i + k > nL - 1 || j + k > nR - 1)
        return RunOutcome::End;
    return x.idL(i + k) == x.idR(j + k) ? RunOutcome::Qualifies : RunOutcome::Fails;
}

} // namespace

LineIndex::LineIndex(const LineViews &left, const LineViews &right, const MatchParams &params)
    : m_params(params) {
    {
        // The table of distinct lines goes before the windows are built: it is the biggest
        // part of the index while it lives.
        LineInterner interner(left, right);
        // The right side is hashed on another core while the left side's lines are looked
        // up, when the texts are long enough to gain from it. A failure on either thread
        // reaches the caller once both have ended.
        Background::Half<std::vector<size_t>> rightHashes;
        if (left.size() + right.size() >= splitSizes().lineHashLines)
            rightHashes = Background::split([&] { return lineHashes(right); });
        internLines(interner, 0, left, nullptr, m_idL);
        const std::vector<size_t> hashesR =
            rightHashes.valid() ? rightHashes.get() : lineHashes(right);
        internLines(interner, 1, right, &hashesR, m_idR);
        m_length.resize(size_t(interner.count()));
        for (int id = 0; id < interner.count(); ++id)
            m_length[size_t(id)] = interner.length(id);
    }
    // A long text's table goes back to the system before the windows take their own; a short
    // one (a sheet's rows, compared many times over) is not worth the walk over the heap.
    if (m_idL.size() + m_idR.size() >= 100000)
        releaseFreedMemory();
    const int ids = int(m_length.size());
    buildPositions(m_idL.data(), m_idL.size(), ids, m_offL, m_posL);
    buildPositions(m_idR.data(), m_idR.size(), ids, m_offR, m_posR);
    buildWindows();
}

namespace {

// Where the run test starting at each position stops collecting lines: the first offset k with
// enough characters (and lines), or 100 when the first 100 lines hold too few. Returns the
// first position whose window runs past the end of the text; every later one does too, as
// the window's end never moves back when its start moves on.
int windowOffsets(const std::vector<int> &ids, const std::vector<int> &length, const MatchParams &p,
                  std::vector<int> &offset) {
    const int n = int(ids.size());
    offset.assign(size_t(n), 0);
    int firstIncomplete = n;
    for (int pos = 0; pos < n; ++pos) {
        int chars = 0;
        int k = 0;
        for (; k < 100; ++k) {
            if (pos + k > n - 1)
                break;
            if (chars < p.MinRunChars)
                chars += length[size_t(ids[size_t(pos + k)])];
            if (chars >= p.MinRunChars && k >= p.MinRunLines - 1)
                break;
        }
        offset[size_t(pos)] = k;
        if (pos + k > n - 1) {
            firstIncomplete = pos;
            break;
        }
    }
    return firstIncomplete;
}

// Gives every distinct window (a stretch of line ids) an id, over both sides.
class WindowInterner {
public:
    explicit WindowInterner(size_t expected) : m_slots(tableSize(expected), -1) {
        m_mask = m_slots.size() - 1;
        m_windows.reserve(expected);
    }

    int intern(const int *ids, int len) {
        quint64 h = 0x9e3779b97f4a7c15ull ^ quint64(len);
        for (int k = 0; k < len; ++k)
            h = (h ^ quint64(ids[k])) * 0x100000001b3ull;
        h ^= h >> 29;
        for (size_t s = size_t(h) & m_mask;; s = (s + 1) & m_mask) {
            const int w = m_slots[s];
            if (w < 0) {
                m_slots[s] = int(m_windows.size());
                m_windows.push_back({ids, len, h});
                return m_slots[s];
            }
            const Window &x = m_windows[size_t(w)];
            if (x.hash == h && x.len == len && std::equal(ids, ids + len, x.ids))
                return w;
        }
    }

    int count() const { return int(m_windows.size()); }

private:
    struct Window {
        const int *ids;
        int len;
        quint64 hash;
    };
    std::vector<int> m_slots;
    size_t m_mask;
    std::vector<Window> m_windows;
};

} // namespace

void LineIndex::buildWindows() {
    const int lineIds = int(m_length.size());
    int windowIdCount = lineIds;
    {
        // The windows' offsets and their table go before the positions are built.
        std::vector<int> offL, offR;
        m_windowEndL = windowOffsets(m_idL, m_length, m_params, offL);
        m_windowEndR = windowOffsets(m_idR, m_length, m_params, offR);
        // A window of one line is known by that line's id; only the longer windows (after
        // short lines) are interned, with ids after the line ids. Windows of different
        // lengths are never equal, so equal windows still have equal ids and no others do.
        size_t longWindows = 0;
        for (int i = 0; i < m_windowEndL; ++i)
            longWindows += offL[size_t(i)] > 0 ? 1 : 0;
        for (int j = 0; j < m_windowEndR; ++j)
            longWindows += offR[size_t(j)] > 0 ? 1 : 0;
        WindowInterner interner(longWindows);
        auto windowIds = [&](const std::vector<int> &ids, const std::vector<int> &off, int end,
                             std::vector<int> &win) {
            win.assign(ids.size(), -1);
            for (int p = 0; p < end; ++p) {
                const int last = off[size_t(p)];
                win[size_t(p)] = last == 0 ? ids[size_t(p)]
                                           : lineIds + interner.intern(ids.data() + p, last + 1);
            }
        };
        windowIds(m_idL, offL, m_windowEndL, m_winL);
        windowIds(m_idR, offR, m_windowEndR, m_winR);
        windowIdCount += interner.count();
    }
    buildPositions(m_winL.data(), size_t(m_windowEndL), windowIdCount, m_winOffL, m_winPosL);
    buildPositions(m_winR.data(), size_t(m_windowEndR), windowIdCount, m_winOffR, m_winPosR);
}

// Counting sort of positions by id: off[id] .. off[id + 1] index the ascending positions.
void LineIndex::buildPositions(const int *ids, size_t n, int idCount, std::vector<int> &off,
                               std::vector<int> &pos) {
    off.assign(size_t(idCount) + 1, 0);
    for (size_t p = 0; p < n; ++p)
        ++off[size_t(ids[p]) + 1];
    for (size_t k = 1; k < off.size(); ++k)
        off[k] += off[k - 1];
    pos.resize(n);
    std::vector<int> fill(off.begin(), off.end() - 1);
    for (size_t p = 0; p < n; ++p)
        pos[size_t(fill[size_t(ids[p])]++)] = int(p);
}

const int *LineIndex::firstAtOrAfter(Span s, int from) {
    return std::lower_bound(s.begin, s.end, from);
}

std::vector<Candidate> fFindAnchors(const LineIndex &x, int lastL, int lastR,
                                    const MatchParams &p) {
    const int nL = x.nL(), nR = x.nR();
    std::vector<Candidate> list{{nL, nR}};
    const int i0 = lastL + 1, j0 = lastR + 1;
    if (i0 > nL - 1 || j0 > nR - 1)
        return list;

    // The first pair: when the texts simply continue in step, that pair is the anchor.
    list.clear();
    if (x.idL(i0) == x.idR(j0)) {
        list.push_back({i0, j0});
        return list;
    }

    // Left-major scan. A pair qualifies exactly when both windows are equal; the pairs whose
    // right window runs past the end can only fail or reach the end, so only those need the
    // run test. Any other pair fails.
    const size_t leftMajorLimit = size_t(p.MaxCandidates);
    bool stop = false;
    for (int i = i0; i <= nL - 1 && !stop; ++i) {
        int testFrom = j0;
        if (i < x.windowEndL()) {
            const LineIndex::Span s = x.rightWindowPositions(x.windowL(i));
            for (const int *it = LineIndex::firstAtOrAfter(s, j0); it != s.end; ++it) {
                list.push_back({i, *it});
                if (list.size() >= leftMajorLimit) {
                    stop = true;
                    break;
                }
            }
            testFrom = std::max(j0, x.windowEndR());
        }
        const LineIndex::Span s = x.rightPositions(x.idL(i));
        for (const int *it = LineIndex::firstAtOrAfter(s, testFrom); it != s.end && !stop; ++it) {
            const RunOutcome outcome = runTest(x, i, *it, p);
            if (outcome == RunOutcome::Fails)
                continue;
            // A run that reaches the end of a text ends the look from this line only, as in the
            // right-major scan. Ending the whole scan there let one short line that meets the
            // empty last line of two texts ending in a line break hide every nearer anchor:
            // equal stretches of thousands of lines then stood apart as added and deleted.
            if (outcome == RunOutcome::End)
                break;
            list.push_back({i, *it});
            if (list.size() >= leftMajorLimit)
                stop = true;
        }
    }

    // Right-major scan (the texts are not in step here), the same way round.
    const size_t totalLimit = size_t(2 * p.MaxCandidates);
    for (int j = j0; j <= nR - 1; ++j) {
        int testFrom = i0;
        if (j < x.windowEndR()) {
            const LineIndex::Span s = x.leftWindowPositions(x.windowR(j));
            for (const int *it = LineIndex::firstAtOrAfter(s, i0); it != s.end; ++it) {
                list.push_back({*it, j});
                if (list.size() >= totalLimit)
                    return list;
            }
            testFrom = std::max(i0, x.windowEndL());
        }
        const LineIndex::Span s = x.leftPositions(x.idR(j));
        for (const int *it = LineIndex::firstAtOrAfter(s, testFrom); it != s.end; ++it) {
            const RunOutcome outcome = runTest(x, *it, j, p);
            if (outcome == RunOutcome::Fails)
                continue;
            if (outcome == RunOutcome::End)
                break;
            list.push_back({*it, j});
            if (list.size() >= totalLimit)
                return list;
        }
    }
    return list;
}

namespace {

// Picks the anchor: a single pair as it is; otherwise the nearest pair, the earliest on a tie;
// the end sentinel when the list is empty.
Candidate chooseAnchor(const std::vector<Candidate> &list, int lastL, int lastR, int nL, int nR) {
    Candidate anchor{nL, nR};
    if (list.size() == 1)
        return list.front();
    long best = -1;
    for (const Candidate &c : list) {
        const long distance = long(c.i - lastL) + long(c.j - lastR);
        if (best < 0 || distance < best) {
            best = distance;
            anchor = c;
        }
    }
    return anchor;
}

// Places right line c into row base + (c - pos), appending empty rows as needed.
void placeRight(PairTable &table, int base, int pos, int c) {
    const int r = base + (c - pos);
    while (table.lastRow() < r)
        table.append({});
    table.row(r).right = c;
}

// Lays out the lines between the previous anchor and the new one. Long left lines are paired
// greedily with their first equal right line after the last pairing; between two pairings the
// unpaired lines of both sides are set side by side from the top.
void emitGap(const LineIndex &x, int lastL, int lastR, int aL, int aR, const MatchParams &p,
             PairTable &table) {
    const bool hasLeft = lastL + 1 <= aL - 1;
    const bool hasRight = lastR + 1 <= aR - 1;
    if (hasLeft && hasRight) {
        int base = table.lastRow();
        int pos = lastR;
        for (int a = lastL + 1; a <= aL - 1; ++a) {
            const int id = x.idL(a);
            int b = -1;
            if (x.length(id) > p.MinRunChars) {
                const LineIndex::Span s = x.rightPositions(id);
                const int *it = LineIndex::firstAtOrAfter(s, pos + 1);
                if (it != s.end && *it <= aR - 1)
                    b = *it;
            }
            if (b >= 0) {
                for (int c = pos + 1; c <= b - 1; ++c)
                    placeRight(table, base, pos, c);
                table.append({a, b});
                base = table.lastRow();
                pos = b;
            } else {
                table.append({a, -1});
            }
        }
        for (int c = pos + 1; c <= aR - 1; ++c)
            placeRight(table, base, pos, c);
    } else if (hasLeft) {
        for (int a = lastL + 1; a <= aL - 1; ++a)
            table.append({a, -1});
    } else if (hasRight) {
        for (int c = lastR + 1; c <= aR - 1; ++c)
            table.append({-1, c});
    }
}

} // namespace

bool matchLines(const QStringList &left, const QStringList &right, const MatchParams &params,
                PairTable &table, const std::function<bool()> &shouldAbort,
                const std::function<void(qint64 done, qint64 total)> &progress) {
    return matchLines(LineViews(left), LineViews(right), params, table, shouldAbort, progress);
}

bool matchLines(const LineViews &left, const LineViews &right, const MatchParams &params,
                PairTable &table, const std::function<bool()> &shouldAbort,
                const std::function<void(qint64 done, qint64 total)> &progress) {
    return matchLines(LineIndex(left, right, params), params, table, shouldAbort, progress);
}

bool matchLines(const LineIndex &x, const MatchParams &params, PairTable &table,
                const std::function<bool()> &shouldAbort,
                const std::function<void(qint64 done, qint64 total)> &progress) {
    const int nL = x.nL(), nR = x.nR();
    table.reserve(size_t(std::max(nL, nR)));
    int lastL = -1, lastR = -1;
    long iterations = 0;
    while (lastL < nL - 1 || lastR < nR - 1) {
        const std::vector<Candidate> list = fFindAnchors(x, lastL, lastR, params);
        Candidate a = chooseAnchor(list, lastL, lastR, nL, nR);
        // Walk back to the start of the equal run that ends at the anchor.
        while (a.i - 1 > lastL && a.j - 1 > lastR && x.idL(a.i - 1) == x.idR(a.j - 1)) {
            --a.i;
            --a.j;
        }
        emitGap(x, lastL, lastR, a.i, a.j, params, table);
        if (a.i <= nL - 1 && a.j <= nR - 1)
            table.append({a.i, a.j});
        lastL = a.i;
        lastR = a.j;
        if (++iterations % 50 != 0)
            continue;
        if (progress)
            progress(qint64(lastL) + lastR + 2, qint64(nL) + nR);
        if (shouldAbort && shouldAbort())
            return false;
    }
    return true;
}
