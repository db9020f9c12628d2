#include "export/SaveResult.h"

#include "export/CsvExport.h"
#include "export/ExcelExport.h"
#include "export/ExportTexts.h"
#include "export/HtmlExport.h"

#include <cerrno>
#include <cstring>
#include <exception>
#include <new>

namespace {

SaveOutcome finish(Workspace &ws, bool ok, const QString &message) {
    ws.setStatus(message);
    return {ok, message, QString()};
}

} // namespace

int saveTypeIndexFromPath(const QString &path) {
    return saveTypeOf(path);
}

SaveOutcome SaveResult(Workspace &ws, const QString &path) {
    return SaveResultAs(ws, path, saveTypeIndexFromPath(path));
}

WriteResult writeResultFile(const Workspace &ws, const ResultGrid &grid, const QString &path,
                            int type) {
    try {
        switch (type) {
        case SaveTypeHtml:
            return ExportHtml(ws, grid, path);
        case SaveTypeXls:
        case SaveTypeXlsx:
            // Both write the xlsx package; the name keeps the extension the user chose.
            return ExportExcel(ws, grid, path);
        case SaveTypeCsvAnsi:
            return ExportCsvAnsi(ws, grid, path);
        default:
            return ExportCsvUtf8(ws, grid, path, QStringLiteral(","));
        }
    } catch (const std::bad_alloc &) {
        // Out of memory for a huge result: nothing was written (the writers only replace the
        // file once it is complete).
        return WriteResult::failure(QString::fromLocal8Bit(std::strerror(ENOMEM)));
    } catch (const std::exception &e) {
        // A grid fault: nothing was written either.
        return WriteResult::failure(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        return WriteResult::failure(QString());
    }
}

QString saveOutcomeText(const QString &path, const WriteResult &written) {
    if (written)
        return ExportTexts::Saved;
    QString message = ExportTexts::SaveFailed.arg(path);
    if (!written.cause.isEmpty())
        message += ExportTexts::FailureCause.arg(written.cause);
    return message;
}

SaveOutcome SaveResultAs(Workspace &ws, const QString &path, int type) {
    const ResultGrid *grid = ws.activeGrid();
    if (!grid)
        return finish(ws, false, ExportTexts::NotForSheets);
    ws.processEvents();
    if (path.isEmpty())
        return finish(ws, false, ExportTexts::NoPath);

    ws.setBusy(true);
    ws.setStatus(ExportTexts::Saving);
    const WriteResult written = writeResultFile(ws, *grid, path, type);
    ws.setBusy(false);
    SaveOutcome outcome = finish(ws, bool(written), saveOutcomeText(path, written));
    outcome.cause = written.cause;
    return outcome;
}
