// Saving the sides of an edited text comparison.
#include "mainwindow/TextEditController.h"

#include "engine/Workspace.h"
#include "mainwindow/EditTexts.h"
#include "mainwindow/MainTexts.h"
#include "mainwindow/ViewHost.h"

#include <QApplication>
#include <QFileDialog>

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

bool TextEditController::writeSide(int side, const QString &path) {
    (void)side;
    (void)path;
    m_host.setStatus(QStringLiteral("保存できません"));
    QApplication::beep();
    return false;
}
