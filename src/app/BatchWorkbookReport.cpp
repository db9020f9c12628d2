#include "app/BatchWorkbookReport.h"

#include "engine/EngineTexts.h"
#include "export/SaveResult.h"
#include "run/TextDiff.h"
#include "run/UnifiedDiffRun.h"
#include "sheet/WorkbookReport.h"

#include <exception>
#include <new>

namespace {

ReportFormat reportFormatOf(const QString &output) {
    switch (ExtIndexFromPath(output)) {
    case SaveTypeHtml:
        return ReportFormat::Html;
    case SaveTypeXls:
    case SaveTypeXlsx:
        return ReportFormat::Xlsx;
    default:
        return ReportFormat::Csv;
    }
}

// The summary line of a text comparison, counting cells (and one-sided sheets) for lines.
QString summaryOf(const WorkbookReport &report) {
    if (!report.differs())
        return EngineTexts::Done;
    return EngineTexts::Done + EngineTexts::DiffCountLabel + QString::number(report.changed) +
           EngineTexts::LeftOnlyLabel + QString::number(report.leftOnly) +
           EngineTexts::RightOnlyLabel + QString::number(report.rightOnly);
}

} // namespace

std::optional<BatchResult> batchWorkbookReport(const Workspace &ws, const BatchRequest &request) {
    if (request.path1.isEmpty() || request.path2.isEmpty() ||
        sourceKind(ws, request.path1, request.path2) != SourceKind::Workbook ||
        sourceKind(ws, request.path2, request.path1) != SourceKind::Workbook)
        return std::nullopt;

    BatchResult result;
    try {
        QString error;
        const std::optional<WorkbookReport> report =
            compareWorkbooks(request.path1, request.path2, ws.sheetAlignRows, &error);
        if (!report) {
            result.error = error;
            return result;
        }
        // A unified diff holds no cell report: patch cannot take a workbook, so the pair is the
        // "Binary files ... differ" line when their bytes differ, as for other binary files.
        const WriteResult written =
            isUnifiedDiffPath(request.output)
                ? writeUnifiedDiff(ws, request.path1, request.path2, request.output)
                : writeWorkbookReport(*report, ws.txtState, reportFormatOf(request.output),
                                      request.output);
        if (!written) {
            result.error = saveOutcomeText(request.output, written);
            return result;
        }
        result.output = summaryOf(*report);
        result.status = report->differs() ? BatchDifferent : BatchSame;
    } catch (const std::bad_alloc &) {
        result.error = EngineTexts::OutOfMemory;
    } catch (const std::exception &e) {
        result.error = QString::fromLocal8Bit(e.what());
    }
    return result;
}
