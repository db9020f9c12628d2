#pragma once

#include "engine/LineKeys.h"
#include "settings/Settings.h"

#include <array>

class Workspace;

// The settings a comparison depends on: the toolbar toggles, the difference colours,
// ignore-case and the folder content mode. One loader serves the batch run and the window.
struct ComparisonOptions {
    bool onlyDifferences = false;
    bool binary = false;
    bool csv = false;
    std::array<Color, 3> colours = Settings::DefaultColours;
    bool ignoreCase = false;
    LineFolding folding; // its letterCase follows ignoreCase
    bool minimal = false;
    bool inlineDiff = true;
    bool sheetAlignRows = false;
    int sheetDigits = 0;
    bool sheetFormulas = false;
    int folderContentMode = 0;
    bool recursiveFolders = false;
    QString excludeNames;

    static ComparisonOptions load(const Settings &settings);
    // Sets them on the workspace (a batch run; the window sets them through its controls).
    void applyTo(Workspace &ws) const;
    // Sets those the options dialog changes (how lines and folders are compared): the window
    // takes them at start and again when the dialog closes.
    void applyDialogOptionsTo(Workspace &ws) const;
};
