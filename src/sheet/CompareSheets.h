#pragma once

#include "engine/ResultGrid.h"
#include "platform/AtomicFile.h"
#include "sheet/Workbook.h"

#include <array>

// The cell-by-cell comparison of two sheets: which cells differ and their state colours.
struct SheetComparison {
    int lastRow = 0; // the compared range is A1 to (lastRow, lastCol): the larger of the two
    int lastCol = 0;
    // Colours per cell for each side; cells not listed keep their own look.
    QHash<quint64, Color> leftColors;
    QHash<quint64, Color> rightColors;
    int changedCells = 0;
};

// Compares two sheets over the larger of their used ranges. Numbers (dates and truth values
// included) compare numerically, texts exactly; an empty cell equals the empty text and 0; a
// number never equals a text. legend: the colours of "変更", "追加", "削除".
SheetComparison compareSheets(const Sheet &left, const Sheet &right,
                              const std::array<Color, 3> &legend);

// Cell values equal in the comparison's sense.
bool cellValuesEqual(const CellValue &a, const CellValue &b);

// Writes a sheet's values and the comparison's colours as a one-sheet .xlsx workbook (column
// widths kept, the zoom as a percentage, 0 for none). Fails, saying why, when it could not be
// written; an earlier file at path then stays as it was.
WriteResult writeColouredSheet(const Sheet &sheet, const QHash<quint64, Color> &colors,
                               int zoomPercent, const QString &path);
