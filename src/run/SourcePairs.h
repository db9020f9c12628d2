#pragma once

#include "run/TextDiff.h"

// What a pair of sources leads to. The left side is always loaded first; with LeftAlone the
// right side is never loaded (no history entry, no path-box update).
enum class PairOutcome {
    Compare,    // both sides are loaded and compared
    LeftAlone,  // the left side is shown alone
    RightAlone, // the right side is loaded too, and shown alone in front of the left
};

// The facts of the right path's name that a few rules ask about; a folder's name counts too.
struct RightName {
    bool workbook = false;       // named like a workbook (.xls, .xlsx, .ods, ...)
    bool csvUnderToggle = false; // ends in .csv while the CSV toggle is down
};

RightName rightNameOf(const Workspace &ws, const Source &right);

// Looks the pair up in the run's one table of kind × kind rules.
PairOutcome pairOutcome(SourceKind left, SourceKind right, RightName name);

// Why a run of two given sources would not read and compare both (one is shown alone, the
// same path twice, a workbook beside text); empty when it would compare them, or when a path
// is empty (then one side alone is what was asked for).
QString whyNotCompared(const Workspace &ws, const SourcePair &sources);
