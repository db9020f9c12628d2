#include "settings/ComparisonOptions.h"

#include "engine/Workspace.h"

ComparisonOptions ComparisonOptions::load(const Settings &settings) {
    ComparisonOptions options;
    options.onlyDifferences = settings.onlyDifferences();
    options.binary = settings.binary();
    options.csv = settings.csv();
    for (int k = 0; k < 3; ++k)
        options.colours[size_t(k)] = settings.colour(k);
    options.ignoreCase = settings.ignoreCase();
    options.folding.space = settings.ignoreSpace();
    options.folding.blankLines = settings.ignoreBlankLines();
    options.folding.width = settings.ignoreWidth();
    options.folding.kana = settings.ignoreKana();
    options.minimal = settings.minimalMatching();
    options.inlineDiff = settings.inlineDiff();
    options.sheetAlignRows = settings.sheetAlignRows();
    options.sheetDigits = settings.sheetDigits();
    options.sheetFormulas = settings.sheetFormulas();
    options.folderContentMode = settings.folderContentMode();
    options.recursiveFolders = settings.recursiveFolders();
    options.excludeNames = settings.excludeNames();
    return options;
}

void ComparisonOptions::applyTo(Workspace &ws) const {
    ws.OnlyDF = onlyDifferences;
    ws.Binary = binary;
    ws.Csv = csv;
    ws.txtState = colours;
    ws.sheetAlignRows = sheetAlignRows;
    ws.sheetDigits = sheetDigits;
    ws.sheetFormulas = sheetFormulas;
    applyDialogOptionsTo(ws);
}

void ComparisonOptions::applyDialogOptionsTo(Workspace &ws) const {
    ws.ignoreCase = ignoreCase;
    ws.folding = folding;
    ws.minimalMatching = minimal;
    ws.inlineDiff = inlineDiff;
    ws.folderContentMode = folderContentMode;
    ws.recursiveFolders = recursiveFolders;
    ws.excludeNames = excludeNames;
}
