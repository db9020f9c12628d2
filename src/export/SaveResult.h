#pragma once

#include "engine/Workspace.h"

#include <QString>

// Output types of the save command, numbered as the save dialog's filter list.
enum SaveType {
    SaveTypeHtml = 1,
    SaveTypeXls = 2,
    SaveTypeXlsx = 3,
    SaveTypeCsvAnsi = 4,
    SaveTypeCsvUtf8 = 5,
};

// The output type for a path given without the dialog (batch runs): by its extension in lower
// case; anything unknown is written as UTF-8 CSV.
int ExtIndexFromPath(const QString &path);

struct SaveOutcome {
    bool ok = false;
    QString message; // also shown in the status bar
    QString cause;   // why the file could not be written (the system's words); empty if saved
};

// Writes the active grid to path in the type its extension names. The status bar shows the
// progress and the outcome; a write that failed is never reported as done, and its message
// ends with the cause: "保存できませんでした: <path> (<cause>)".
SaveOutcome SaveResult(Workspace &ws, const QString &path);

// The same with the type chosen by the caller (the save dialog's filter index).
SaveOutcome SaveResultAs(Workspace &ws, const QString &path, int type);
