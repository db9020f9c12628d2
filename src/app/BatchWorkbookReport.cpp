#include "app/BatchWorkbookReport.h"

#include "engine/EngineTexts.h"
#include "export/SaveResult.h"
#include "sheet/WorkbookReport.h"

#include <exception>
#include <new>

namespace {

ReportFormat reportFormatOf(SaveType type) {
    switch (type) {
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

BatchResult batchWorkbookReport(const Workspace &ws, const SourcePair &sources, SaveType type,
                                const QString &output) {
    BatchResult result;
    try {
        QString error;
        const SheetCompareRules rules{ws.sheetDigits, ws.sheetFormulas};
        const std::optional<WorkbookReport> report = compareWorkbooks(
            sources[0].path, sources[1].path, ws.sheetAlignRows, &error, {}, rules);
        if (!report) {
            result.error = error;
            return result;
        }
        const WriteResult written =
            writeWorkbookReport(*report, ws.txtState, reportFormatOf(type), output);
        if (!written) {
            result.error = saveOutcomeText(output, written);
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
