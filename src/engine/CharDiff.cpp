#include "engine/CharDiff.h"

#include <QString>

#include <algorithm>
#include <vector>

namespace {

// The Myers search stops after this many edits, and earlier on long middles: the steps it may
// take are about (middle length) × (edits), kept under WorkBudget.
constexpr int MaxEdits = 400;
constexpr qint64 WorkBudget = 200000;

// One compared unit of a line: a character (or, with SpaceAmount, a run of white space) with
// its folded key and where it lies in the line's UTF-16 text.
struct Unit {
    char32_t key;
    int offset;
    int size;
};

char32_t foldCharacter(char32_t c, const LineFolding &folding) {
    if (folding.width) {
        if (c >= 0xFF01 && c <= 0xFF5E)
            c -= 0xFEE0; // full-width ASCII
        else if (c == 0x3000)
            c = U' ';
        else if (c >= 0xFF61 && c <= 0xFF9F)
            c = QString(QChar(char16_t(c)))
                    .normalized(QString::NormalizationForm_KC)
                    .at(0)
                    .unicode();
    }
    if (folding.kana && ((c >= 0x3041 && c <= 0x3096) || c == 0x309D || c == 0x309E))
        c += 0x60; // hiragana as katakana
    if (folding.letterCase)
        c = QChar::toCaseFolded(c);
    return c;
}

// The units of a line, into `units` (a buffer kept from call to call).
void unitsOf(QStringView line, const LineFolding &folding, std::vector<Unit> &units) {
    units.clear();
    units.reserve(size_t(line.size()));
    const qsizetype n = line.size();
    for (qsizetype k = 0; k < n;) {
        char32_t code = line[k].unicode();
        int size = 1;
        if (QChar::isHighSurrogate(code) && k + 1 < n && line[k + 1].isLowSurrogate()) {
            code = QChar::surrogateToUcs4(line[k], line[k + 1]);
            size = 2;
        }
        if (folding.space != LineFolding::KeepSpace && QChar::isSpace(code)) {
            qsizetype end = k + 1;
            while (end < n && line[end].isSpace())
                ++end;
            // A run of white space is one space, or nothing; at the end of the line nothing.
            if (folding.space == LineFolding::SpaceAmount && end < n)
                units.push_back({U' ', int(k), int(end - k)});
            k = end;
            continue;
        }
        units.push_back({foldCharacter(code, folding), int(k), size});
        k += size;
    }
}

// A stretch of the middle: `equal` units common to both sides, or an edit that takes `del`
// units of the left side and `ins` units of the right side.
struct Stretch {
    bool equal;
    int del;
    int ins;
};

void append(std::vector<Stretch> &script, bool equal, int del, int ins) {
    if (!script.empty() && script.back().equal == equal) {
        script.back().del += del;
        script.back().ins += ins;
        return;
    }
    script.push_back({equal, del, ins});
}

// The Myers diff of a[0..n) and b[0..m), as stretches in order; false when it needs more than
// maxEdits edits. A changed pair of lines is diffed for every row that shows one, so the
// search's arrays are kept from call to call (one set a thread).
bool myers(const Unit *a, int n, const Unit *b, int m, int maxEdits, std::vector<Stretch> &out) {
    const int offset = maxEdits + 1;
    thread_local std::vector<int> v;
    v.assign(size_t(2 * maxEdits + 3), 0);
    // The furthest x of each diagonal k in [-d, d] after round d, for the way back: round d's
    // 2d + 1 values start at d * d in one array (rounds before it hold 1 + 3 + ... + 2d - 1).
    thread_local std::vector<int> trace;
    trace.clear();
    int found = -1;
    for (int d = 0; d <= maxEdits && found < 0; ++d) {
        for (int k = -d; k <= d; k += 2) {
            int x = (k == -d || (k != d && v[size_t(offset + k - 1)] < v[size_t(offset + k + 1)]))
                        ? v[size_t(offset + k + 1)]
                        : v[size_t(offset + k - 1)] + 1;
            int y = x - k;
            while (x < n && y < m && a[x].key == b[y].key) {
                ++x;
                ++y;
            }
            v[size_t(offset + k)] = x;
            if (x >= n && y >= m)
                found = d;
        }
        trace.insert(trace.end(), v.begin() + (offset - d), v.begin() + (offset + d + 1));
    }
    if (found < 0)
        return false;

    thread_local std::vector<Stretch> reversed;
    reversed.clear();
    int x = n, y = m;
    for (int d = found; d > 0; --d) {
        const int *prev = trace.data() + size_t(d - 1) * size_t(d - 1); // diagonals -(d-1) .. d-1
        const auto at = [&](int k) { return prev[k + d - 1]; };
        const int k = x - y;
        const bool down = k == -d || (k != d && at(k - 1) < at(k + 1));
        const int prevK = down ? k + 1 : k - 1;
        const int prevX = at(prevK);
        const int prevY = prevX - prevK;
        const int snake = std::min(x - prevX - (down ? 0 : 1), y - prevY - (down ? 1 : 0));
        if (snake > 0)
            append(reversed, true, snake, snake);
        append(reversed, false, down ? 0 : 1, down ? 1 : 0);
        x = prevX;
        y = prevY;
    }
    if (x > 0)
        append(reversed, true, x, x);
    for (auto it = reversed.rbegin(); it != reversed.rend(); ++it)
        append(out, it->equal, it->del, it->ins);
    return true;
}

// A short match between two edits, no longer than either of them, is a chance match ("ab"
// against "bc" keeps "b"): the edits and the match become one edit. Repeated until none is left.
void absorbChanceMatches(std::vector<Stretch> &script) {
    bool merged = true;
    while (merged) {
        merged = false;
        for (size_t i = 1; i + 1 < script.size(); ++i) {
            const Stretch &before = script[i - 1];
            const Stretch &match = script[i];
            const Stretch &after = script[i + 1];
            if (!match.equal || before.equal || after.equal)
                continue;
            if (match.del > std::max(before.del, before.ins) ||
                match.del > std::max(after.del, after.ins))
                continue;
            const Stretch joined{false, before.del + match.del + after.del,
                                 before.ins + match.ins + after.ins};
            script.erase(script.begin() + qsizetype(i - 1), script.begin() + qsizetype(i + 2));
            script.insert(script.begin() + qsizetype(i - 1), joined);
            merged = true;
        }
    }
}

void markUnits(QList<CharSpan> &spans, const std::vector<Unit> &units, int from, int count) {
    for (int u = from; u < from + count; ++u) {
        const Unit &unit = units[size_t(u)];
        if (!spans.isEmpty() && spans.last().start + spans.last().length == unit.offset)
            spans.last().length += unit.size;
        else
            spans.append({unit.offset, unit.size});
    }
}

} // namespace

namespace {

// With nothing folded a unit is a character as it stands, so the common start and end of the
// two lines can be found on their UTF-16 text, without making units of them: how many code
// units to leave out at the start and at the end. Neither end splits a surrogate pair, and
// the end never reaches into the longest common start, so the units of what is left are
// trimmed on as the whole lines' units would be.
std::pair<qsizetype, qsizetype> commonEnds(QStringView left, QStringView right) {
    const qsizetype shorter = std::min(left.size(), right.size());
    qsizetype head = 0;
    while (head < shorter && left[head] == right[head])
        ++head;
    const qsizetype room = shorter - head;
    if (head > 0 && left[head - 1].isHighSurrogate())
        --head;
    qsizetype tail = 0;
    while (tail < room && left[left.size() - 1 - tail] == right[right.size() - 1 - tail])
        ++tail;
    if (tail > 0 && left[left.size() - tail].isLowSurrogate())
        --tail;
    return {head, tail};
}

bool foldsNothing(const LineFolding &folding) {
    return folding.space == LineFolding::KeepSpace && !folding.width && !folding.kana &&
           !folding.letterCase;
}

} // namespace

LineMarks diffCharacters(QStringView left, QStringView right, const LineFolding &folding) {
    qsizetype skipped = 0;
    if (foldsNothing(folding)) {
        const auto [head, tail] = commonEnds(left, right);
        skipped = head;
        left = left.mid(head, left.size() - head - tail);
        right = right.mid(head, right.size() - head - tail);
    }
    thread_local std::vector<Unit> a, b;
    unitsOf(left, folding, a);
    unitsOf(right, folding, b);
    for (std::vector<Unit> *units : {&a, &b}) {
        for (Unit &unit : *units)
            unit.offset += int(skipped);
    }
    int n = int(a.size()), m = int(b.size());
    int head = 0;
    while (head < n && head < m && a[size_t(head)].key == b[size_t(head)].key)
        ++head;
    while (n > head && m > head && a[size_t(n - 1)].key == b[size_t(m - 1)].key) {
        --n;
        --m;
    }
    const int midA = n - head, midB = m - head;

    thread_local std::vector<Stretch> script;
    script.clear();
    const qint64 length = qint64(midA) + midB;
    const int maxEdits = int(std::min<qint64>(MaxEdits, length > 0 ? WorkBudget / length : 0));
    if (midA > 0 && midB > 0 && maxEdits > 0 &&
        myers(a.data() + head, midA, b.data() + head, midB, maxEdits, script)) {
        absorbChanceMatches(script);
    } else {
        script.clear();
        append(script, false, midA, midB); // one side empty, or past the cap
    }

    LineMarks marks;
    int i = head, j = head;
    for (const Stretch &s : script) {
        if (!s.equal) {
            markUnits(marks.left, a, i, s.del);
            markUnits(marks.right, b, j, s.ins);
        }
        i += s.del;
        j += s.ins;
    }
    // A very long line's units are not kept for the lines after it.
    constexpr size_t KeptUnits = 1 << 16;
    for (std::vector<Unit> *units : {&a, &b}) {
        if (units->capacity() > KeptUnits)
            *units = {};
    }
    return marks;
}
