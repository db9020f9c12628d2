#include "export/SaveResult.h"

#include "export/CsvExport.h"
#include "export/ExcelExport.h"
#include "export/ExportTexts.h"
#include "export/HtmlExport.h"
#include "platform/Paths.h"

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

int ExtIndexFromPath(const QString &path) {
    const QString ext = fGetExtension(path).toLower();
    if (ext == u"htm" || ext == u"html")
        return SaveTypeHtml;
    if (ext == u"xls")
        return SaveTypeXls;
    if (ext == u"xlsx")
        return SaveTypeXlsx;
    return SaveTypeCsvUtf8;
}

SaveOutcome SaveResult(Workspace &ws, const QString &path) {
    return SaveResultAs(ws, path, ExtIndexFromPath(path));
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
    WriteResult written;
    try {
        switch (type) {
        case SaveTypeHtml:
            written = ExportHtml(ws, *grid, path);
            break;
        case SaveTypeXls:
        case SaveTypeXlsx:
            // Both write the xlsx package; the name keeps the extension the user chose.
            written = ExportExcel(ws, *grid, path);
            break;
        case SaveTypeCsvAnsi:
            written = ExportCsvAnsi(ws, *grid, path);
            break;
        default:
            written = ExportCsvUtf8(ws, *grid, path, QStringLiteral(","));
            break;
        }
    } catch (const std::bad_alloc &) {
        // Out of memory for a huge result: nothing was written (the writers only replace the
        // file once it is complete).
        written = WriteResult::failure(QString::fromLocal8Bit(std::strerror(ENOMEM)));
    } catch (const std::exception &e) {
        // A grid changed under us: nothing was written either.
        written = WriteResult::failure(QString::fromLocal8Bit(e.what()));
    }
    ws.setBusy(false);
    if (written)
        return finish(ws, true, ExportTexts::Saved);
    QString message = ExportTexts::SaveFailed.arg(path);
    if (!written.cause.isEmpty())
        message += ExportTexts::FailureCause.arg(written.cause);
    SaveOutcome outcome = finish(ws, false, message);
    outcome.cause = written.cause;
    return outcome;
}
