#pragma once

class QWidget;
class Settings;
class Workspace;

// File item "比較結果を保存": asks for a file and its type (the last type used stands
// selected), asks before overwriting, then writes the grid in front. A failure is shown in
// the status line; the workbook view has nothing to save.
void saveResultWithDialog(QWidget *parent, Workspace &ws, Settings &settings);
