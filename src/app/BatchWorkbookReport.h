#pragma once

#include "app/BatchRun.h"

#include <optional>

// Two workbooks in a batch run give a report of every differing cell instead of the sheet
// lists, which no output format holds. Nothing when the request is not two workbooks.
std::optional<BatchResult> batchWorkbookReport(const Workspace &ws, const BatchRequest &request);
