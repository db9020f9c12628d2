#pragma once

#include "sheet/CompareSheets.h"
#include "sheet/Workbook.h"

#include <QString>
#include <QStringList>

#include <array>
#include <functional>

// One sheet of each of two workbook files, compared cell by cell, with a coloured copy of
// each written for the spreadsheet application.
struct SheetFileRequest {
    std::array<QString, 2> paths;      // the two workbook files
    std::array<QString, 2> sheetNames; // the sheet to compare in each
    std::array<Color, 3> legend{};     // colours of "変更", "追加", "削除"
    int zoomPercent = 0;               // of the written copies; 0 leaves the zoom unset
    bool alignRows = false;            // rows paired by their contents first
    SheetCompareRules rules;           // digits and formulas
    // Where the copies go (created when missing), asked once both sheets were read; empty
    // when there is no such folder.
    std::function<QString()> outputFolder;
    // Asked while a book is read and while rows are aligned (may be empty): true stops the
    // work, named as a failure.
    std::function<bool()> stop;
};

struct SheetFileComparison {
    // Both sheets were read: sheets and comparison hold them, whatever else failed.
    bool compared = false;
    std::array<Sheet, 2> sheets;
    SheetComparison comparison;
    QStringList copies;   // the coloured copies written, left before right
    QStringList problems; // each failure in the words the status line shows, in order
};

// Reads both books, compares the two sheets and writes the coloured copies. A failure never
// passes for a comparison without differences: each one is named in problems.
SheetFileComparison compareSheetFiles(const SheetFileRequest &request);

// The two steps of compareSheetFiles, for a window that shows the comparison before the
// copies are written: reading (both books at once) and comparing, then writing the copies of
// a comparison that was made (sheets and comparison are only read).
SheetFileComparison readAndCompareSheets(const SheetFileRequest &request);
void writeSheetCopies(const SheetFileRequest &request, SheetFileComparison &result);

// The zoom of the written copies from the setting's list index: 0 → 100 %, 1 → 85 %,
// 2 → 70 %, anything else leaves the zoom unset (0).
int sheetZoomPercent(int index);
