#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QWidget;
class RunController;
class Settings;
class Workspace;

// The file and type picked in the save dialog; type is the index in its list of types, from 0.
struct SaveChoice {
    QString path;
    int type = 0;
};

// What the save command asks the user. Empty members ask with the standard dialogs; a test
// answers in the user's place.
struct SaveQuestions {
    // The file to write and its type, given the types' captions and the one that stands
    // selected; nothing when the user cancels.
    std::function<std::optional<SaveChoice>(QWidget *parent, const QStringList &types,
                                            int selected)>
        pickFile;
    // Whether an existing file may be overwritten.
    std::function<bool(QWidget *parent, const QString &path)> overwrite;
};

// File item "比較結果を保存": asks for a file and its type (the last type used stands
// selected), asks before overwriting, then writes the grid in front. A failure is shown in
// the status line; the workbook view has nothing to save. The file is written on a worker
// thread while the window's commands wait (a million rows take a while).
void saveResultWithDialog(QWidget *parent, Workspace &ws, Settings &settings, RunController &run,
                          const SaveQuestions &ask = {});
