// The two ways a sheet comparison can be told to look at cells: numbers to a number of
// significant digits, and formula texts besides the values.
#include "sheet/CompareSheets.h"
#include "sheet/SheetFixtures.h"
#include "sheet/Workbook.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

namespace {

const std::array<Color, 3> Legend = {65535, 16744448, 16776960};

CellValue number(double n) {
    CellValue v;
    v.kind = CellValue::Kind::Number;
    v.number = n;
    return v;
}

void widen(Sheet &sheet, int row, int col) {
    if (sheet.lastRow == 0) {
        sheet.firstRow = sheet.lastRow = row;
        sheet.firstCol = sheet.lastCol = col;
    }
    sheet.lastRow = std::max(sheet.lastRow, row);
    sheet.lastCol = std::max(sheet.lastCol, col);
}
void put(Sheet &sheet, int row, int col, double n) {
    sheet.cells.insert(Sheet::key(row, col), number(n));
    widen(sheet, row, col);
}
// A formula cell; without a result it holds only its text, as a reader leaves it.
void putFormula(Sheet &sheet, int row, int col, const QString &formula,
                std::optional<double> result) {
    if (result)
        put(sheet, row, col, *result);
    sheet.formulas.insert(Sheet::key(row, col), formula);
    widen(sheet, row, col);
}

QList<std::tuple<int, int, CellState>> differences(const SheetComparison &c) {
    QList<std::tuple<int, int, CellState>> out;
    for (const CellDifference &d : c.differences)
        out << std::make_tuple(d.row, d.col, d.state);
    return out;
}

} // namespace

TEST(SheetCompareRules, DigitsCompareNumbersAsASpreadsheetShowsThem) {
    struct Case {
        double a, b;
        bool everyDigit, fifteen;
    };
    const Case cases[] = {
        {0.1 + 0.2, 0.3, false, true}, // sums saved with all 17 digits
        {1234.5678901234567, 1234.56789012346, false, true},
        {1.00000000000001, 1.00000000000002, false, false}, // the 15th digit differs
        {-2.5e-300, -2.5000000000000001e-300, true, true},
        {1e15 + 1, 1e15, false, true}, // a 16th digit is more than a spreadsheet shows
        {123456789012345680.0, 123456789012345677.0, true, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QString::number(c.a, 'g', 17).toStdString());
        EXPECT_EQ(cellValuesEqual(number(c.a), number(c.b)), c.everyDigit);
        EXPECT_EQ(cellValuesEqual(number(c.a), number(c.b), 15), c.fifteen);
        EXPECT_EQ(cellValuesEqual(number(c.b), number(c.a), 15), c.fifteen);
    }
    // Rounding never makes a text of a number, nor 0 of a tiny value.
    CellValue text;
    text.kind = CellValue::Kind::Text;
    text.text = QStringLiteral("0.3");
    EXPECT_FALSE(cellValuesEqual(number(0.3), text, 15));
    EXPECT_FALSE(cellValuesEqual(number(1e-20), CellValue(), 15));
    EXPECT_TRUE(cellValuesEqual(number(std::nan("")), number(std::nan("")), 15));

    // A column saved by another application with 15 digits: no false differences, a real
    // one stays, and aligned rows pair by the rounded values too.
    Sheet left, right, inserted;
    for (int r = 1; r <= 51; ++r) {
        const double full = r * 0.1 + 0.2;
        const double shown = r == 30 ? 9.9 : QString::number(full, 'g', 15).toDouble();
        put(left, r, 1, full);
        put(right, r, 1, shown);
        put(inserted, r + (r > 10 ? 1 : 0), 1, shown);
    }
    put(inserted, 11, 1, 42);
    const SheetCompareRules fifteen{15, false};
    EXPECT_GT(compareSheets(left, right, Legend).changedCells, 10);
    EXPECT_EQ(differences(compareSheets(left, right, Legend, false, {}, fifteen)),
              (QList<std::tuple<int, int, CellState>>{{30, 1, CellState::Changed}}));
    EXPECT_EQ(differences(compareSheets(left, inserted, Legend, true, {}, fifteen)),
              (QList<std::tuple<int, int, CellState>>{{11, 1, CellState::RightOnly},
                                                      {31, 1, CellState::Changed}}));
}

TEST(SheetCompareRules, FormulasCountBesideTheValues) {
    Sheet left, right;
    putFormula(left, 1, 1, "B1*2", 4); // same value, formula changed
    putFormula(right, 1, 1, "B1+B1", 4);
    putFormula(left, 2, 1, "SUM(B1:B3)", 6); // a formula replaced by its value
    put(right, 2, 1, 6);
    putFormula(left, 3, 1, "A1+1", std::nullopt); // no result stored: compared by text
    putFormula(right, 3, 1, "A1+1", 5);
    putFormula(left, 4, 1, "A1+1", std::nullopt);
    putFormula(right, 4, 1, "A1+2", std::nullopt);
    putFormula(left, 5, 1, "NOW()", std::nullopt); // a formula against nothing at all
    putFormula(right, 6, 1, "TODAY()", std::nullopt);
    putFormula(left, 7, 1, "B7", 1); // the value changed, the formula did not
    putFormula(right, 7, 1, "B7", 2);
    putFormula(left, 8, 1, "B8", 3); // nothing changed
    putFormula(right, 8, 1, "B8", 3);

    // By value only, as before: a formula without a result is an empty cell.
    EXPECT_EQ(differences(compareSheets(left, right, Legend)),
              (QList<std::tuple<int, int, CellState>>{{3, 1, CellState::RightOnly},
                                                      {7, 1, CellState::Changed}}));

    const SheetCompareRules formulas{0, true};
    const SheetComparison withFormulas = compareSheets(left, right, Legend, false, {}, formulas);
    EXPECT_EQ(differences(withFormulas), (QList<std::tuple<int, int, CellState>>{
                                             {1, 1, CellState::Changed},
                                             {2, 1, CellState::Changed},
                                             {4, 1, CellState::Changed},
                                             {5, 1, CellState::LeftOnly},
                                             {6, 1, CellState::RightOnly},
                                             {7, 1, CellState::Changed},
                                         }));
    EXPECT_EQ(withFormulas.leftColors.value(Sheet::key(5, 1)), Legend[1]);
    EXPECT_EQ(withFormulas.rightColors.value(Sheet::key(6, 1)), Legend[1]);

    // Aligned rows: each side's formulas stay with its own rows.
    Sheet before, after;
    put(after, 1, 2, 99); // an inserted row
    const char *texts[] = {"B1*2", "X", "Y"};
    for (int r = 1; r <= 3; ++r) {
        putFormula(before, r, 1, texts[r - 1], r + 3);
        putFormula(after, r + 1, 1, r == 1 ? "B1+B1" : texts[r - 1], r + 3);
    }
    const SheetComparison aligned = compareSheets(before, after, Legend, true, {}, formulas);
    ASSERT_EQ(aligned.differences.size(), 2u);
    EXPECT_EQ(aligned.differences[0].state, CellState::RightOnly);
    const CellDifference &changed = aligned.differences[1];
    EXPECT_EQ(std::make_tuple(changed.leftRow, changed.rightRow, changed.col, changed.state),
              std::make_tuple(1, 2, 1, CellState::Changed));
}

// What the readers keep: a formula an .xlsx holds without a result is compared by its text.
TEST(SheetCompareRules, FormulasWithoutResultsReadFromAWorkbook) {
    TempFiles files;
    const auto book = [&](const QString &name, const QByteArray &a2) {
        const QString path = files.filePath(name);
        const QByteArray body = "<row r=\"1\"><c r=\"A1\"><v>2</v></c></row>"
                                "<row r=\"2\"><c r=\"A2\">" +
                                a2 + "</c></row>";
        EXPECT_TRUE(SheetFixtures::writeZip(
            path, SheetFixtures::workbookParts({{"S", SheetFixtures::sheetXml(body)}})));
        return readWorkbook(path, true, nullptr).value_or(Workbook());
    };
    const Workbook script = book("script.xlsx", "<f>A1*3</f>");
    const Workbook edited = book("edited.xlsx", "<f>A1*4</f>");
    const Workbook saved = book("saved.xlsx", "<f>A1*3</f><v>6</v>");
    ASSERT_EQ(script.sheets.size(), 1);
    ASSERT_EQ(edited.sheets.size(), 1);
    ASSERT_EQ(saved.sheets.size(), 1);
    const SheetCompareRules formulas{0, true};
    const auto count = [&](const Workbook &a, const Workbook &b, const SheetCompareRules &rules) {
        return compareSheets(a.sheets[0], b.sheets[0], Legend, false, {}, rules).changedCells;
    };
    EXPECT_EQ(count(script, edited, {}), 0); // both read as empty
    EXPECT_EQ(count(script, edited, formulas), 1);
    EXPECT_EQ(count(script, saved, formulas), 0);
    EXPECT_EQ(count(script, saved, {}), 1);
}
