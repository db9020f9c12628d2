#pragma once

#include "sheet/CellStore.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// One cell's value as a workbook stores it. Dates are numbers (serial days), as the
// spreadsheet application keeps them.
struct CellValue {
    enum class Kind : quint8 { Empty, Number, Text, Boolean, Error };
    Kind kind = Kind::Empty;
    // The cell's number format: an index into its sheet's numberFormats (0: none known, shown
    // as General). Only for showing the value; comparisons ignore it.
    quint16 format = 0;
    double number = 0; // Number, and Boolean as 1 or 0
    QString text;      // Text, and the error's text ("#DIV/0!") for Error

    // Empty means an empty cell or the empty text (a cell holding 0 is not empty).
    bool isEmpty() const { return kind == Kind::Empty || (kind == Kind::Text && text.isEmpty()); }
    // What a cell shows as text (numbers in their shortest form).
    QString displayText() const;
};

// Widths the workbook gives to a run of columns (1-based, inclusive), in the application's
// character units.
struct ColumnWidth {
    int first = 0;
    int last = 0;
    double width = 0;
};

// Bounds of a worksheet, and of what one read keeps in memory.
namespace WorkbookLimits {
constexpr int MaxRows = 1048576;
constexpr int MaxCols = 16384;
// Cells kept by one readWorkbook call over all sheets; past it the workbook is refused.
constexpr qsizetype MaxCells = 5000000;
} // namespace WorkbookLimits

// One worksheet: its name, its used range (1-based, 0 when the sheet is empty) and, when read
// in full, its non-empty cells.
struct Sheet {
    QString name;
    int firstRow = 0, firstCol = 0, lastRow = 0, lastCol = 0;
    CellStore<CellValue> cells;      // key: (row << 32) | col, in that order
    QList<ColumnWidth> columnWidths; // only the runs the workbook sets; others are default
    // The number format texts the cells' format indexes name ("0.00%", "yyyy/m/d"); index 0,
    // an empty text and any index past the end stand for General.
    QStringList numberFormats;
    // The formula text of each cell that holds a formula ("SUM(A1:A3)", without "="), where the
    // file gives it; only for showing.
    QHash<quint64, QString> formulas;

    static quint64 key(int row, int col) { return (quint64(quint32(row)) << 32) | quint32(col); }
    CellValue cell(int row, int col) const { return cells.value(key(row, col)); }
    // The number format text of a cell; empty for General.
    QString numberFormat(const CellValue &value) const {
        return value.format > 0 && value.format < numberFormats.size() ? numberFormats[value.format]
                                                                       : QString();
    }
    // The used range in A1 style without dollar signs, from the first to the last used cell
    // ("A1:F20"; "A1" for a single cell or an empty sheet).
    QString usedRangeAddress() const;
};

// A workbook: its sheets in order. Read for the sheet lists with cells = false (names and used
// ranges only), or with the cells of every sheet.
struct Workbook {
    QList<Sheet> sheets;
};

// Reads an .xlsx/.xlsm/.xltx/.xltm, .xls, .ods or .csv file (the format by the extension).
// Returns nothing and sets *error (a message for the status bar) when the file cannot be read:
// damaged, encrypted, too large, not a workbook. stop (may be empty) is asked while an .xls is
// read, often enough for Esc to end a read of a large one at once.
std::optional<Workbook> readWorkbook(const QString &path, bool cells, QString *error,
                                     const std::function<bool()> &stop = {});

// A1-style column letters of a 1-based column: 1 → A, 26 → Z, 27 → AA, 703 → AAA.
QString ColumnLetters(int column);
