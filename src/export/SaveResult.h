#pragma once

#include "engine/Workspace.h"
#include "export/SaveFormats.h"
#include "platform/AtomicFile.h"

#include <QString>

// The output type for a path given without the dialog (batch runs): saveTypeOf.
int saveTypeIndexFromPath(const QString &path);

struct SaveOutcome {
    bool ok = false;
    QString message; // also shown in the status bar
    QString cause;   // why the file could not be written (the system's words); empty if saved
};

// Writes `grid` of `ws` to path in the given type. Only reads the workspace and the grid, so a
// worker thread may write while the window shows them; never throws (running out of memory or
// a grid fault is a failure with its cause). Nothing is replaced unless the file is complete.
WriteResult writeResultFile(const Workspace &ws, const ResultGrid &grid, const QString &path,
                            int type);
// The status text of a finished save: "完了", or the failure with the path and its cause.
QString saveOutcomeText(const QString &path, const WriteResult &written);

// Writes the active grid to path in the type its extension names. The status bar shows the
// progress and the outcome; a write that failed is never reported as done, and its message
// ends with the cause: "保存できませんでした: <path> (<cause>)".
SaveOutcome SaveResult(Workspace &ws, const QString &path);

// The same with the type chosen by the caller (the save dialog's filter index).
SaveOutcome SaveResultAs(Workspace &ws, const QString &path, int type);
