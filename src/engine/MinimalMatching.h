#pragma once

#include "engine/LineMatching.h"

// An alignment with as few one-sided and changed rows as a histogram diff finds: the longest
// run of lines that occur least often on both sides is paired, and the parts before and after
// it are aligned the same way. Between two paired lines the remaining lines are set side by
// side from the top, as the anchor matching lays out its gaps. `shouldAbort` is asked every
// few thousand lines; true stops the alignment and returns false.
bool matchLinesMinimal(const QStringList &left, const QStringList &right, PairTable &table,
                       const std::function<bool()> &shouldAbort = {},
                       const std::function<void(qint64 done, qint64 total)> &progress = {});
