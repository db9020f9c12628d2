#pragma once

class QWidget;
class RunController;
class Settings;
class Workspace;

// File item "比較結果を保存": asks for a file and its type (the last type used stands
// selected), asks before overwriting, then writes the grid in front. A failure is shown in
// the status line; the workbook view has nothing to save. The file is written on a worker
// thread while the window's commands wait (a million rows take a while).
void saveResultWithDialog(QWidget *parent, Workspace &ws, Settings &settings, RunController &run);
