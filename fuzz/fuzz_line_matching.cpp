// The line matching on two small texts: it must end, and place every line of each side exactly
// once and in order. The input is left text, a NUL byte, right text (no NUL: the two halves).
#include "FuzzSupport.h"

#include "engine/LineMatching.h"

#include <vector>

namespace {

QStringList linesOf(const QByteArray &bytes) {
    return QString::fromLatin1(bytes).split(QLatin1Char('\n'));
}

// Every index of one side, ascending, once; -1 elsewhere.
bool coversInOrder(const PairTable &table, int count, bool left) {
    int next = 0;
    for (int r = 1; r <= table.lastRow(); ++r) {
        const int k = left ? table.row(r).left : table.row(r).right;
        if (k == -1)
            continue;
        if (k != next)
            return false;
        ++next;
    }
    return next == count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // The matching is quadratic at worst; larger inputs only slow the search down.
    if (size < 1 || size > 8192)
        return 0;
    // The first byte varies the tuning around the values every comparison uses.
    MatchParams params;
    params.MinRunLines = 1 + (data[0] & 3);
    params.MinRunChars = (data[0] >> 2) & 15;
    params.MaxCandidates = 1 + ((data[0] >> 6) & 3) * 5;
    const QByteArray bytes = FuzzSupport::bytes(data + 1, size - 1);
    qsizetype cut = bytes.indexOf('\0');
    const qsizetype skip = cut < 0 ? 0 : 1;
    if (cut < 0)
        cut = bytes.size() / 2;
    const QStringList left = linesOf(bytes.left(cut));
    const QStringList right = linesOf(bytes.mid(cut + skip));
    PairTable table;
    if (!matchLines(left, right, params, table))
        __builtin_trap(); // nothing asked it to stop
    if (table.row(0) != PairTable::Row{} || !coversInOrder(table, int(left.size()), true) ||
        !coversInOrder(table, int(right.size()), false))
        __builtin_trap();
    return 0;
}
