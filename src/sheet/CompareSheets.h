#pragma once

#include "engine/ResultGrid.h"
#include "platform/AtomicFile.h"
#include "sheet/SheetRowAlignment.h"
#include "sheet/Workbook.h"

#include <QHash>

#include <array>
#include <functional>
#include <vector>

// How a differing cell differs: both sides hold values, or only one side does.
enum class CellState : quint8 { Changed, LeftOnly, RightOnly };

// One differing cell: its place in the result (row of the result, column) and the rows of the
// two sheets it stands for (0 for a side without a row there; both equal the result's row when
// rows are compared by number).
struct CellDifference {
    int row = 0;
    int col = 0;
    int leftRow = 0;
    int rightRow = 0;
    CellState state = CellState::Changed;
};

// The cell-by-cell comparison of two sheets: which cells differ and their state colours.
struct SheetComparison {
    int lastRow = 0; // the compared range is A1 to (lastRow, lastCol): the larger of the two
    int lastCol = 0;
    // With aligned rows: result row r (1-based) shows rowPairs[r - 1]. Empty when rows are
    // compared by number, result row r being row r of both sheets.
    std::vector<RowPair> rowPairs;
    // Colours per cell for each side, keyed by the sheet's own row and column; cells not
    // listed keep their own look.
    QHash<quint64, Color> leftColors;
    QHash<quint64, Color> rightColors;
    std::vector<CellDifference> differences; // in the result's row-major order
    int changedCells = 0;
    bool stopped = false; // the alignment was stopped: nothing was compared

    int rowCount() const { return rowPairs.empty() ? lastRow : int(rowPairs.size()); }
    // The row of a side (0 left, 1 right) shown in result row r; 0 when it has none there.
    int sheetRow(int side, int r) const {
        if (rowPairs.empty())
            return r;
        if (r < 1 || r > int(rowPairs.size()))
            return 0;
        return side == 0 ? rowPairs[size_t(r - 1)].left : rowPairs[size_t(r - 1)].right;
    }
};

// Compares two sheets over the larger of their used ranges. Numbers (dates and truth values
// included) compare numerically, texts exactly; an empty cell equals the empty text and 0; a
// number never equals a text. legend: the colours of "変更", "追加", "削除". With alignRows the
// rows are first paired by their contents (alignSheetRows) and a row without a partner has
// every value coloured as one-sided; otherwise row r faces row r. stop is asked while the rows
// are aligned. rules: digits and formulas (a formula without a result is not empty).
SheetComparison compareSheets(const Sheet &left, const Sheet &right,
                              const std::array<Color, 3> &legend, bool alignRows = false,
                              const std::function<bool()> &stop = {},
                              const SheetCompareRules &rules = {});

// Cell values equal in the comparison's sense; numbers to digits significant digits (0 all).
bool cellValuesEqual(const CellValue &a, const CellValue &b, int digits = 0);

// Writes a sheet's values and the comparison's colours as a one-sheet .xlsx workbook (column
// widths kept, the zoom as a percentage, 0 for none). Fails, saying why, when it could not be
// written; an earlier file at path then stays as it was.
WriteResult writeColouredSheet(const Sheet &sheet, const QHash<quint64, Color> &colors,
                               int zoomPercent, const QString &path);
