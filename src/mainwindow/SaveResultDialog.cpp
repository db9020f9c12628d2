// The save command: the file dialog with its types, the overwrite question, the export.
#include "mainwindow/SaveResultDialog.h"

#include "engine/Workspace.h"
#include "export/ExportTexts.h"
#include "export/SaveResult.h"
#include "mainwindow/MainTexts.h"
#include "mainwindow/RunController.h"
#include "platform/Paths.h"
#include "run/ComparisonOutput.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include <algorithm>
#include <memory>

using namespace MainTexts;

namespace {

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
    for (const SaveFormat &f : saveFormats())
        filters << f.caption;
    const int typeCount = int(filters.size());
    const int stored = settings.saveTypeIndex();
    const auto pickFile = ask.pickFile ? ask.pickFile : askForFile;
    const std::optional<SaveChoice> choice =
        pickFile(parent, filters, std::clamp(stored, 1, typeCount) - 1);
    if (!choice || choice->type < 0 || choice->type >= typeCount)
        return;
    const SaveType type = saveFormats()[size_t(choice->type)].type;
    settings.setSaveTypeIndex(type);
    const QString path = savedFileName(choice->path, type);
    const auto overwrite = ask.overwrite ? ask.overwrite : askToOverwrite;
    if (fFileExists(path) && !overwrite(parent, path))
        return;
    const ResultGrid *grid = ws.activeGrid();
    const SourcePair sources = classifySources(ws, ws.cb[0], ws.cb[1]);
    ws.setStatus(ExportTexts::Saving);
    auto written = std::make_shared<WriteResult>();
    run.startTask([&ws, grid, sources, path, type,
                   written] { *written = writeComparison(ws, *grid, sources, type, path); },
                  [&ws, path, written] {
                      ws.setStatus(saveOutcomeText(path, *written));
                      QApplication::beep();
                  });
}
