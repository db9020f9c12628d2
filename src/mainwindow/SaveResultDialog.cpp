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

std::optional<SaveChoice> askForFile(QWidget *parent, const QStringList &types, int selected) {
    QFileDialog dialog(parent, SaveTitle);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite); // asked below, for the final name
    dialog.setNameFilters(types);
    dialog.selectNameFilter(types.value(selected));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return SaveChoice{dialog.selectedFiles().first(),
                      int(types.indexOf(dialog.selectedNameFilter()))};
}

bool askToOverwrite(QWidget *parent, const QString &path) {
    return QMessageBox::question(
               parent, SaveTitle,
               QStringLiteral("%1 は既に存在します。\n上書きしますか?").arg(path)) ==
           QMessageBox::Yes;
}

} // namespace

void saveResultWithDialog(QWidget *parent, Workspace &ws, Settings &settings, RunController &run,
                          const SaveQuestions &ask) {
    if (!ws.activeGrid()) {
        ws.setStatus(ExportTexts::NotForSheets);
        return;
    }
    QCoreApplication::processEvents();
    QStringList filters;
    for (const SaveFilter &f : SaveFilters)
        filters << f.caption;
    const int stored = settings.saveTypeIndex();
    const auto pickFile = ask.pickFile ? ask.pickFile : askForFile;
    const std::optional<SaveChoice> choice =
        pickFile(parent, filters, std::clamp(stored, 1, SaveTypeCount) - 1);
    if (!choice || choice->type < 0 || choice->type >= SaveTypeCount)
        return;
    const int type = choice->type + 1;
    settings.setSaveTypeIndex(type);
    QString path = choice->path;
    const QString extension = SaveFilters[type - 1].extension;
    if (!path.endsWith(extension) && !(type == UnifiedDiffType && isUnifiedDiffPath(path)))
        path += extension;
    const auto overwrite = ask.overwrite ? ask.overwrite : askToOverwrite;
    if (fFileExists(path) && !overwrite(parent, path))
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
