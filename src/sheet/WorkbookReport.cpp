#include "sheet/WorkbookReport.h"

#include "engine/LineMatching.h"
#include "sheet/CellFormat.h"
#include "sheet/SheetPairMarks.h"

#include <utility>

namespace {

const QString Stopped = QStringLiteral("中断しました");

QString cellAddress(int row, int col) {
    return ColumnLetters(col) + QString::number(row);
}

QString addressOf(const CellDifference &d) {
    if (d.leftRow == 0)
        return cellAddress(d.rightRow, d.col);
    if (d.rightRow == 0 || d.rightRow == d.leftRow)
        return cellAddress(d.leftRow, d.col);
    return cellAddress(d.leftRow, d.col) + QChar(0x2192) + cellAddress(d.rightRow, d.col);
}

// A cell's text in the report. With formulas compared, a formula is shown ("=SUM(A1:A3)") where
// the value would not tell the difference: the file holds no result, or both values agree.
QString reportText(const Sheet &sheet, int row, int col, const CellValue &value, bool formulas,
                   bool sameValues) {
    if (formulas && (sameValues || value.kind == CellValue::Kind::Empty)) {
        const auto formula = sheet.formulas.constFind(Sheet::key(row, col));
        if (formula != sheet.formulas.constEnd())
            return u'=' + *formula;
    }
    return shownAndHeldText(sheet, value);
}

void addSheetRows(WorkbookReport &report, const Sheet &left, const Sheet &right,
                  const SheetComparison &comparison, const SheetCompareRules &rules) {
    for (const CellDifference &d : comparison.differences) {
        WorkbookReportRow row;
        row.sheet = left.name == right.name ? left.name : left.name + QChar(0x2192) + right.name;
        row.cell = addressOf(d);
        row.state = d.state;
        const CellValue valueL = d.leftRow > 0 ? left.cell(d.leftRow, d.col) : CellValue();
        const CellValue valueR = d.rightRow > 0 ? right.cell(d.rightRow, d.col) : CellValue();
        const bool same = cellValuesEqual(valueL, valueR, rules.digits);
        if (d.leftRow > 0)
            row.left = reportText(left, d.leftRow, d.col, valueL, rules.formulas, same);
        if (d.rightRow > 0)
            row.right = reportText(right, d.rightRow, d.col, valueR, rules.formulas, same);
        switch (d.state) {
        case CellState::Changed:
            ++report.changed;
            break;
        case CellState::LeftOnly:
            ++report.leftOnly;
            break;
        case CellState::RightOnly:
            ++report.rightOnly;
            break;
        }
        report.rows << std::move(row);
    }
}

void addLoneSheet(WorkbookReport &report, const Sheet &sheet, CellState state) {
    WorkbookReportRow row;
    row.sheet = sheet.name;
    row.state = state;
    report.rows << row;
    ++(state == CellState::LeftOnly ? report.leftOnly : report.rightOnly);
}

} // namespace

QString reportStateWord(CellState state) {
    switch (state) {
    case CellState::Changed:
        return QStringLiteral("CHG");
    case CellState::LeftOnly:
        return QStringLiteral("DEL");
    case CellState::RightOnly:
        return QStringLiteral("ADD");
    }
    return QString();
}

std::optional<WorkbookReport> compareWorkbooks(const QString &leftPath, const QString &rightPath,
                                               bool alignRows, QString *error,
                                               const std::function<bool()> &stop,
                                               const SheetCompareRules &rules) {
    WorkbookReport report;
    report.paths = {leftPath, rightPath};
    std::optional<std::array<Workbook, 2>> read = readWorkbookPair(report.paths, error, stop);
    if (!read)
        return std::nullopt;
    const std::array<Workbook, 2> &books = *read;

    // Sheets stand in the order the sheet lists show them. Sheets of the same name are
    // compared, any other is one-sided; two workbooks of one sheet each (two CSV files, named
    // after their files) are compared whatever the names.
    QStringList names[2];
    for (int side = 0; side < 2; ++side) {
        for (const Sheet &sheet : books[side].sheets)
            names[side] << sheet.name;
    }
    const bool single = names[0].size() == 1 && names[1].size() == 1;
    PairTable table;
    matchLines(names[0], names[1], MatchParams{}, table);
    const std::array<Color, 3> noColours{};
    for (int r = 1; r <= table.lastRow(); ++r) {
        const int leftIndex = table.row(r).left;
        // The right sheet of the same name, or the only one.
        const int partner = leftIndex < 0 ? -1
                            : single      ? 0
                                          : int(names[1].indexOf(names[0][leftIndex]));
        if (leftIndex >= 0 && partner < 0)
            addLoneSheet(report, books[0].sheets[leftIndex], CellState::LeftOnly);
        if (partner >= 0) {
            const Sheet &left = books[0].sheets[leftIndex];
            const Sheet &right = books[1].sheets[partner];
            const SheetComparison comparison =
                compareSheets(left, right, noColours, alignRows, stop, rules);
            if (comparison.stopped || (stop && stop())) {
                if (error)
                    *error = Stopped;
                return std::nullopt;
            }
            addSheetRows(report, left, right, comparison, rules);
        }
        const int rightIndex = table.row(r).right;
        if (rightIndex >= 0 && !single && !names[0].contains(names[1][rightIndex]))
            addLoneSheet(report, books[1].sheets[rightIndex], CellState::RightOnly);
    }
    return report;
}
