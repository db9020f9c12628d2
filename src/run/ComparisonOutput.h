#pragma once

#include "engine/Workspace.h"
#include "export/SaveFormats.h"
#include "platform/AtomicFile.h"
#include "run/Source.h"

// What a saved comparison is written from.
enum class OutputRoute {
    ResultGrid,     // the result on screen, by the type's writer
    UnifiedDiff,    // the compared files themselves, as diff -u writes them
    WorkbookReport, // every differing cell of two workbooks
};

// The one place that decides it, by the pair of sources and the output type. The type comes
// first: a unified diff is asked of the files whatever they are (a workbook is a binary file to
// diff), and only a report in a format of the save dialog is made of cells.
OutputRoute outputRoute(const SourcePair &sources, SaveType type);

// Writes a finished comparison of `sources` (its result in `ws`, on screen in `grid`) to `path`
// as `type` asks, on the ResultGrid or UnifiedDiff route (the window's save and the batch run
// alike). `differs` (when given) is told whether a unified diff holds anything.
WriteResult writeComparison(const Workspace &ws, const ResultGrid &grid, const SourcePair &sources,
                            SaveType type, const QString &path, bool *differs = nullptr);
