#pragma once

#include "app/BatchRun.h"
#include "export/SaveFormats.h"
#include "run/Source.h"

// Two workbooks in a batch run give a report of every differing cell instead of the sheet
// lists, which no output format holds; `type` is the report's format (a unified diff is not
// made here).
BatchResult batchWorkbookReport(const Workspace &ws, const SourcePair &sources, SaveType type,
                                const QString &output);
