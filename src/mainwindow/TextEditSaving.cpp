// Saving the sides of an edited text comparison.
#include "mainwindow/TextEditController.h"

#include "edit/SaveEditableText.h"
#include "engine/Workspace.h"
#include "mainwindow/EditTexts.h"
#include "mainwindow/MainTexts.h"
#include "mainwindow/ViewHost.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>

using namespace EditTexts;

bool TextEditController::saveSide(int side) {
    if (!m_session)
        return false;
    if (m_paths[size_t(side)].isEmpty()) {
        // Clipboard text has no file until the user names one.
        m_host.setStatus(ClipboardSideNoFile);
        return saveSideAs(side);
    }
    return writeSide(side, m_paths[size_t(side)]);
}

bool TextEditController::saveSideAs(int side) {
    if (!ensureSession())
        return false;
    const QString current = m_paths[size_t(side)];
    const QString path = askSavePath ? askSavePath(side, current)
                                     : QFileDialog::getSaveFileName(m_host.dialogParent(),
                                                                    MainTexts::SaveTitle, current);
    if (path.isEmpty())
        return false;
    return writeSide(side, path);
}

void TextEditController::saveChanged() {
    if (isModified(0) && isModified(1)) {
        if (saveSide(0))
            saveSide(1);
        return;
    }
    const int focused = currentSide();
    saveSide(isModified(focused) ? focused : 1 - focused);
}

// Writes a side; a character its encoding cannot hold and a file changed since it was read are
// questions, never a silent "?" or a blind overwrite. The old file stays as it was on any
// failure, and the message says why.
bool TextEditController::writeSide(int side, const QString &path) {
    SaveOptions options;
    options.backup = m_host.settings().backup();
    EditableText &text = m_session->sideForSaving(side);
    const QString name = QFileInfo(path).fileName();
    for (;;) {
        const SaveResult result = saveEditableText(text, path, options);
        switch (result.status) {
        case SaveResult::Status::Saved:
            m_paths[size_t(side)] = path;
            m_session->markSaved(side);
            updateMarks();
            updateActions();
            m_host.setStatus(Saved.arg(path));
            return true;
        case SaveResult::Status::CannotEncode:
            if (question(CannotEncode.arg(name, text.file().encoding)
                             .arg(result.line + 1)
                             .arg(QString::fromUcs4(&result.character, 1)),
                         {SaveAsUtf8Button, AskCancelButton}) != 0)
                return false;
            options.encoding = SaveOptions::utf8().encoding;
            continue;
        case SaveResult::Status::ChangedOnDisk:
            switch (question(ChangedOnDisk.arg(name),
                             {OverwriteButton, CompareAgainButton, AskCancelButton})) {
            case 0:
                options.overwriteChanged = true;
                continue;
            case 1:
                // The edits give way to the file as it is now.
                m_dropApproved = true;
                m_host.runComparison();
                return false;
            default:
                return false;
            }
        case SaveResult::Status::Failed:
            m_host.setStatus(SaveFailed.arg(result.message));
            QApplication::beep();
            question(SaveFailed.arg(result.message), {OkButton});
            return false;
        }
    }
}
