#include "merge/ThreeWayMerge.h"

#include "merge/LineDiff.h"

#include <algorithm>

namespace {

// A change of one diff against OLDER: `first0`/`deleted` in MINE or YOURS, `first1`/`inserted`
// in OLDER.
qsizetype olderEnd(const LineChange &c) {
    return c.first1 + c.inserted;
}
qsizetype otherEnd(const LineChange &c) {
    return c.first0 + c.deleted;
}

bool sameLines(const std::vector<int> &a, LineSpan sa, const std::vector<int> &b, LineSpan sb) {
    return sa.count == sb.count &&
           std::equal(a.begin() + sa.first, a.begin() + sa.end(), b.begin() + sb.first);
}

} // namespace

std::vector<MergeRegion> mergeThreeWay(const std::vector<int> &mine, const std::vector<int> &older,
                                       const std::vector<int> &yours) {
    const std::vector<LineChange> diffs[2] = {diffLines(mine, older), diffLines(yours, older)};
    const std::vector<int> *texts[2] = {&mine, &yours};
    size_t next[2] = {0, 0};
    // Where the last region ended; up to the next change the texts agree line for line.
    qsizetype endOlder = 0;
    qsizetype endOf[2] = {0, 0};
    std::vector<MergeRegion> regions;
    auto addUnchanged = [&](qsizetype olderUpTo) {
        const qsizetype count = olderUpTo - endOlder;
        if (count > 0)
            regions.push_back(
                {MergeRegion::Unchanged, {endOf[0], count}, {endOlder, count}, {endOf[1], count}});
    };

    while (next[0] < diffs[0].size() || next[1] < diffs[1].size()) {
        // The change that starts first in OLDER (MINE's on a tie), then every change of
        // either diff that overlaps or touches what is gathered so far.
        int low = 0;
        if (next[0] == diffs[0].size())
            low = 1;
        else if (next[1] < diffs[1].size())
            low = diffs[0][next[0]].first1 > diffs[1][next[1]].first1 ? 1 : 0;
        int high = low;
        constexpr size_t None = size_t(-1);
        size_t firstUsed[2] = {None, None};
        size_t lastUsed[2] = {None, None};
        firstUsed[high] = lastUsed[high] = next[high]++;
        qsizetype highMark = olderEnd(diffs[high][lastUsed[high]]);
        for (int other = high ^ 1;
             next[other] < diffs[other].size() && diffs[other][next[other]].first1 <= highMark;
             other = high ^ 1) {
            if (firstUsed[other] == None)
                firstUsed[other] = next[other];
            lastUsed[other] = next[other]++;
            const qsizetype end = olderEnd(diffs[other][lastUsed[other]]);
            if (highMark < end) {
                high = other;
                highMark = end;
            }
        }

        const qsizetype olderStart = diffs[low][firstUsed[low]].first1;
        const qsizetype olderStop = highMark;
        LineSpan span[2];
        for (int d = 0; d < 2; ++d) {
            qsizetype start = 0, stop = 0;
            if (firstUsed[d] != None) {
                const LineChange &first = diffs[d][firstUsed[d]];
                const LineChange &last = diffs[d][lastUsed[d]];
                start = olderStart - first.first1 + first.first0;
                stop = olderStop - olderEnd(last) + otherEnd(last);
            } else {
                start = olderStart - endOlder + endOf[d];
                stop = olderStop - endOlder + endOf[d];
            }
            span[d] = {start, stop - start};
        }
        addUnchanged(olderStart);

        MergeRegion::Kind kind = MergeRegion::Conflict;
        if (firstUsed[0] == None)
            kind = MergeRegion::YoursChanged;
        else if (firstUsed[1] == None)
            kind = MergeRegion::MineChanged;
        else if (sameLines(*texts[0], span[0], *texts[1], span[1]))
            kind = MergeRegion::BothChanged;
        regions.push_back({kind, span[0], {olderStart, olderStop - olderStart}, span[1]});
        endOlder = olderStop;
        endOf[0] = span[0].end();
        endOf[1] = span[1].end();
    }
    addUnchanged(qsizetype(older.size()));
    return regions;
}
