#pragma once

#include "engine/ResultGrid.h"
#include "platform/AtomicFile.h"
#include "sheet/CompareSheets.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>

// Every difference between two workbooks, one row each: a differing cell of two sheets of the
// same name, or a sheet only one workbook has.
struct WorkbookReportRow {
    QString sheet;
    // "B5"; "B5→B7" when aligned rows put the cell in other rows; empty for a sheet row.
    QString cell;
    CellState state = CellState::Changed;
    QString left, right; // the values as text; empty for a missing cell or sheet
};

struct WorkbookReport {
    std::array<QString, 2> paths;
    // Sheets in the order of the aligned sheet lists, cells row by row within a sheet.
    QList<WorkbookReportRow> rows;
    int changed = 0;   // cells holding different values on both sides
    int leftOnly = 0;  // cells and sheets only the left workbook has
    int rightOnly = 0; // cells and sheets only the right workbook has
    bool differs() const { return changed != 0 || leftOnly != 0 || rightOnly != 0; }
};

// Reads both workbooks whole and compares every pair of sheets of the same name (rows aligned
// by their contents with alignRows; cells by rules). Nothing, with *error naming the file and the
// cause, when a workbook cannot be read or stop (may be empty) answered true.
std::optional<WorkbookReport> compareWorkbooks(const QString &leftPath, const QString &rightPath,
                                               bool alignRows, QString *error,
                                               const std::function<bool()> &stop = {},
                                               const SheetCompareRules &rules = {});

// The state word of a row, as the text CSV writes it in its right-hand state column: "CHG",
// "ADD" for what only the right workbook has, "DEL" for what only the left one has.
QString reportStateWord(CellState state);

enum class ReportFormat { Csv, Html, Xlsx };

// Writes the report: UTF-8 CSV with a byte-order mark, an HTML page or an .xlsx workbook; a
// header row (シート, セル, 差分結果, then the two workbooks' paths) and one row per difference.
// HTML and xlsx colour the value cells with legend (the colours of "変更", "追加", "削除") as
// the sheet comparison colours them.
WriteResult writeWorkbookReport(const WorkbookReport &report, const std::array<Color, 3> &legend,
                                ReportFormat format, const QString &path);
