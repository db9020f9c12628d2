#include "run/ComparisonOutput.h"

#include "export/SaveResult.h"
#include "run/UnifiedDiffRun.h"

OutputRoute outputRoute(const SourcePair &sources, SaveType type) {
    if (type == SaveTypeUnifiedDiff)
        return OutputRoute::UnifiedDiff;
    if (sources[0].kind == SourceKind::Workbook && sources[1].kind == SourceKind::Workbook)
        return OutputRoute::WorkbookReport;
    return OutputRoute::ResultGrid;
}

WriteResult writeComparison(const Workspace &ws, const ResultGrid &grid, const SourcePair &sources,
                            SaveType type, const QString &path, bool *differs) {
    if (outputRoute(sources, type) == OutputRoute::UnifiedDiff)
        return writeUnifiedDiff(ws, sources, path, differs);
    return writeResultFile(ws, grid, path, type);
}
