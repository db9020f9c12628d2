#include "export/SaveResult.h"

#include "export/CsvExport.h"
#include "export/ExcelExport.h"
#include "export/ExportTexts.h"
#include "export/HtmlExport.h"

#include <exception>

namespace {

SaveOutcome finish(Workspace &ws, bool ok, const QString &message) {
    ws.setStatus(message);
    return {ok, message};
}

} // namespace

QString fGetExtension(const QString &path) {
    const qsizetype dot = path.lastIndexOf(u'.');
    return dot < 0 ? QString() : path.mid(dot + 1);
}

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
    bool ok = false;
    try {
        switch (type) {
        case SaveTypeHtml:
            ok = ExportHtml(ws, *grid, path);
            break;
        case SaveTypeXls:
        case SaveTypeXlsx:
            // Both write the xlsx package; the name keeps the extension the user chose.
            ok = ExportExcel(ws, *grid, path);
            break;
        case SaveTypeCsvAnsi:
            ok = ExportCsvAnsi(ws, *grid, path);
            break;
        default:
            ok = ExportCsvUtf8(ws, *grid, path, QStringLiteral(","));
            break;
        }
    } catch (const std::exception &) {
        // Out of memory for a huge result, or a grid changed under us: nothing was written
        // (the writers only replace the file once it is complete).
        ok = false;
    }
    ws.setBusy(false);
    return finish(ws, ok, ok ? ExportTexts::Saved : ExportTexts::SaveFailed.arg(path));
}
