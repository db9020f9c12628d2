// The save command: the file dialog with its types, the overwrite question, the export.
#include "mainwindow/SaveResultDialog.h"

#include "engine/Workspace.h"
#include "export/ExportTexts.h"
#include "export/SaveResult.h"
#include "mainwindow/MainTexts.h"
#include "mainwindow/RunController.h"
#include "platform/Paths.h"
#include "run/UnifiedDiffRun.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include <algorithm>
#include <iterator>
#include <memory>

using namespace MainTexts;

namespace {

// The save dialog's types, in the order of its filter list (the filter index is the type).
struct SaveFilter {
    QString caption;
    QString extension;
};
const SaveFilter SaveFilters[] = {
    {QStringLiteral("HTML ファイル(*.html)"), QStringLiteral(".html")},
    {QStringLiteral("Microsof Office Excel ブック(*.xls)"), QStringLiteral(".xls")},
    {QStringLiteral("Microsof Office Excel ブック(*.xlsx)"), QStringLiteral(".xlsx")},
    {QStringLiteral("CSV ファイル(*.csv)"), QStringLiteral(".csv")},
    {QStringLiteral("CSV ファイル(UTF-8)(*.csv)"), QStringLiteral(".csv")},
    {QStringLiteral("unified diff (*.diff *.patch)"), QStringLiteral(".diff")},
};
constexpr int SaveTypeCount = int(std::size(SaveFilters));
// The last type: the compared sources as a unified diff, written from the files themselves.
constexpr int UnifiedDiffType = SaveTypeCount;

} // namespace

void saveResultWithDialog(QWidget *parent, Workspace &ws, Settings &settings, RunController &run) {
    if (!ws.activeGrid()) {
        ws.setStatus(ExportTexts::NotForSheets);
        return;
    }
    QCoreApplication::processEvents();
    QStringList filters;
    for (const SaveFilter &f : SaveFilters)
        filters << f.caption;
    QFileDialog dialog(parent, SaveTitle);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite); // asked below, for the final name
    dialog.setNameFilters(filters);
    const int stored = settings.saveTypeIndex();
    dialog.selectNameFilter(filters.value(std::clamp(stored, 1, SaveTypeCount) - 1));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const int type = int(filters.indexOf(dialog.selectedNameFilter())) + 1;
    settings.setSaveTypeIndex(type);
    QString path = dialog.selectedFiles().first();
    const QString extension = SaveFilters[type - 1].extension;
    if (!path.endsWith(extension) && !(type == UnifiedDiffType && isUnifiedDiffPath(path)))
        path += extension;
    if (fFileExists(path) &&
        QMessageBox::question(parent, SaveTitle,
                              QStringLiteral("%1 は既に存在します。\n上書きしますか?").arg(path)) !=
            QMessageBox::Yes)
        return;
    const ResultGrid *grid = ws.activeGrid();
    ws.setStatus(ExportTexts::Saving);
    auto written = std::make_shared<WriteResult>();
    run.startTask(
        [&ws, grid, path, type, written] {
            *written = type == UnifiedDiffType ? writeUnifiedDiff(ws, ws.cb[0], ws.cb[1], path)
                                               : writeResultFile(ws, *grid, path, type);
        },
        [&ws, path, written] {
            ws.setStatus(saveOutcomeText(path, *written));
            QApplication::beep();
        });
}
