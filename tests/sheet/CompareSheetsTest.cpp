#include "sheet/CompareSheets.h"

#include "support/TempFiles.h"
#include "support/XlsxPackage.h"

#include <QDir>

#include <cmath>

using Kind = CellValue::Kind;

namespace {

CellValue number(double n) {
    CellValue v;
    v.kind = Kind::Number;
    v.number = n;
    return v;
}
CellValue text(const QString &s) {
    CellValue v;
    v.kind = Kind::Text;
    v.text = s;
    return v;
}
CellValue boolean(bool b) {
    CellValue v;
    v.kind = Kind::Boolean;
    v.number = b ? 1 : 0;
    return v;
}
CellValue error(const QString &s) {
    CellValue v;
    v.kind = Kind::Error;
    v.text = s;
    return v;
}

void put(Sheet &sheet, int row, int col, const CellValue &v) {
    sheet.cells.insert(Sheet::key(row, col), v);
    if (sheet.lastRow == 0) {
        sheet.firstRow = sheet.lastRow = row;
        sheet.firstCol = sheet.lastCol = col;
    }
    sheet.firstRow = std::min(sheet.firstRow, row);
    sheet.firstCol = std::min(sheet.firstCol, col);
    sheet.lastRow = std::max(sheet.lastRow, row);
    sheet.lastCol = std::max(sheet.lastCol, col);
}

// The legend's default colours: 変更, 追加, 削除.
const std::array<Color, 3> Legend = {65535, 16744448, 16776960};

} // namespace

TEST(CompareSheets, ValueRules) {
    struct Case {
        CellValue a, b;
        bool equal;
        const char *why;
    };
    const Case cases[] = {
        {CellValue(), number(0), true, "an empty cell is 0"},
        {CellValue(), text(QString()), true, "an empty cell is the empty text"},
        {CellValue(), boolean(false), true, "an empty cell is FALSE"},
        {text(QString()), number(0), false, "the empty text is a text"},
        {text(QStringLiteral("1")), number(1), false, "a number never equals a text"},
        {text(QStringLiteral("abc")), text(QStringLiteral("ABC")), false, "case counts"},
        {number(2), number(2.0), true, "numbers compare numerically"},
        {number(0.1 + 0.2), number(0.3), false, "no tolerance"},
        {boolean(true), number(1), true, "truth values compare numerically"},
        {CellValue(), number(-0.0), true, "minus zero is zero"},
        {error(QStringLiteral("#N/A")), error(QStringLiteral("#N/A")), true, "same error"},
        {error(QStringLiteral("#N/A")), error(QStringLiteral("#REF!")), false, "other error"},
        {error(QStringLiteral("#N/A")), text(QStringLiteral("#N/A")), false,
         "an error is not its spelling"},
        {error(QStringLiteral("#N/A")), CellValue(), false, "an error is not empty"},
        {number(std::nan("")), number(std::nan("")), true, "a stored NaN is itself"},
        {number(std::nan("")), number(0), false, "a NaN is no number"},
        {number(std::nan("")), CellValue(), false, "a NaN is not empty"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(cellValuesEqual(c.a, c.b), c.equal) << c.why;
        EXPECT_EQ(cellValuesEqual(c.b, c.a), c.equal) << c.why << " (swapped)";
    }
}

TEST(CompareSheets, ColoursFollowTheStateTable) {
    Sheet left, right;
    put(left, 1, 1, text(QStringLiteral("only left")));
    put(left, 2, 2, text(QStringLiteral("abc")));
    put(right, 2, 2, text(QStringLiteral("ABC")));
    put(right, 3, 3, number(5));
    put(left, 4, 1, number(0)); // against nothing: equal
    put(left, 5, 1, text(QStringLiteral("1")));
    put(right, 5, 1, number(1));
    put(left, 6, 1, text(QString())); // the empty text against 0: changed, left counts empty
    put(right, 6, 1, number(0));
    put(left, 7, 7, text(QStringLiteral("same")));
    put(right, 7, 7, text(QStringLiteral("same")));

    const SheetComparison result = compareSheets(left, right, Legend);
    EXPECT_EQ(result.changedCells, 5);
    const auto at = [](int r, int c) { return Sheet::key(r, c); };
    EXPECT_EQ(result.leftColors.value(at(1, 1)), Legend[1]);
    EXPECT_EQ(result.rightColors.value(at(1, 1)), Legend[2]);
    EXPECT_EQ(result.leftColors.value(at(2, 2)), Legend[0]);
    EXPECT_EQ(result.rightColors.value(at(2, 2)), Legend[0]);
    EXPECT_EQ(result.leftColors.value(at(3, 3)), Legend[2]);
    EXPECT_EQ(result.rightColors.value(at(3, 3)), Legend[1]);
    EXPECT_EQ(result.leftColors.value(at(5, 1)), Legend[0]);
    EXPECT_EQ(result.rightColors.value(at(5, 1)), Legend[0]);
    EXPECT_EQ(result.leftColors.value(at(6, 1)), Legend[2]);
    EXPECT_EQ(result.rightColors.value(at(6, 1)), Legend[1]);
    EXPECT_FALSE(result.leftColors.contains(at(4, 1)));
    EXPECT_FALSE(result.leftColors.contains(at(7, 7)));
    EXPECT_EQ(result.leftColors.size(), 5);
    EXPECT_EQ(result.rightColors.size(), 5);
}

TEST(CompareSheets, RangeIsTheLargerOfBoth) {
    Sheet left, right;
    put(left, 3, 26, number(1)); // ends in column Z
    put(right, 9, 6, number(1)); // ends in column F
    const SheetComparison result = compareSheets(left, right, Legend);
    EXPECT_EQ(result.lastRow, 9);
    EXPECT_EQ(ColumnLetters(result.lastCol), QStringLiteral("Z"));

    // A full-size sheet against an empty one: only the held cells are visited (a visit of
    // every cell in range, seventeen billion of them, would not end within the test's time).
    Sheet huge, empty;
    put(huge, 1, 1, number(1));
    put(huge, WorkbookLimits::MaxRows, WorkbookLimits::MaxCols, number(2));
    const SheetComparison big = compareSheets(huge, empty, Legend);
    EXPECT_EQ(big.lastRow, WorkbookLimits::MaxRows);
    EXPECT_EQ(big.lastCol, WorkbookLimits::MaxCols);
    EXPECT_EQ(big.changedCells, 2);
}

TEST(CompareSheets, ColouredSheetWrittenAndReadBack) {
    TempFiles tmp;
    Sheet sheet;
    sheet.name = QStringLiteral("集計");
    put(sheet, 1, 1, text(QStringLiteral("見出し")));
    put(sheet, 1, 2, number(12.5));
    put(sheet, 2, 1, boolean(true));
    put(sheet, 2, 2, error(QStringLiteral("#DIV/0!")));
    sheet.columnWidths << ColumnWidth{2, 2, 30};
    sheet.numberFormats = {QString(), QStringLiteral("yyyy/m/d")};
    CellValue date = number(45416);
    date.format = 1;
    put(sheet, 4, 1, date);
    QHash<quint64, Color> colors;
    colors.insert(Sheet::key(1, 2), 65535);      // yellow: 0x00BBGGRR
    colors.insert(Sheet::key(3, 3), 0x00FF8000); // a coloured cell with no value
    const QString path = tmp.write(QStringLiteral("out.xlsx"), "an earlier file");

    ASSERT_TRUE(writeColouredSheet(sheet, colors, 85, path));
    const XlsxPackage::Sheet written = XlsxPackage::read(path);
    ASSERT_TRUE(written.ok);
    EXPECT_EQ(written.cell(QStringLiteral("A1")).value, QStringLiteral("見出し"));
    EXPECT_EQ(written.cell(QStringLiteral("B1")).value, QStringLiteral("12.5"));
    EXPECT_FALSE(written.cell(QStringLiteral("B1")).isString);
    EXPECT_EQ(written.cell(QStringLiteral("B1")).style.fill, QStringLiteral("FFFFFF00"));
    EXPECT_EQ(written.cell(QStringLiteral("C3")).style.fill, QStringLiteral("FF0080FF"));
    EXPECT_TRUE(written.cell(QStringLiteral("A1")).style.fill.isEmpty());
    EXPECT_NEAR(written.column(2).width, 30, 1);
    const QByteArray sheetXml = XlsxPackage::entry(path, "xl/worksheets/sheet1.xml");
    EXPECT_TRUE(sheetXml.contains("zoomScale=\"85\""));
    EXPECT_TRUE(XlsxPackage::entry(path, "xl/workbook.xml").contains("集計"));
    // Only the target is left in the folder: the scratch files are gone.
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);

    // Our own reader takes the written values back unchanged.
    QString readError;
    const auto book = readWorkbook(path, true, &readError);
    ASSERT_TRUE(book) << readError.toStdString();
    const Sheet &back = book->sheets[0];
    EXPECT_TRUE(cellValuesEqual(back.cell(1, 1), sheet.cell(1, 1)));
    EXPECT_TRUE(cellValuesEqual(back.cell(1, 2), sheet.cell(1, 2)));
    EXPECT_EQ(back.cell(2, 1).kind, Kind::Boolean);
    EXPECT_EQ(back.cell(2, 2).text, QStringLiteral("#DIV/0!"));
    EXPECT_EQ(back.usedRangeAddress(), QStringLiteral("A1:C4"));
    // The date keeps its number format.
    EXPECT_TRUE(XlsxPackage::entry(path, "xl/styles.xml").contains("formatCode=\"yyyy/m/d\""));

    // No zoom, and a folder that does not exist.
    ASSERT_TRUE(writeColouredSheet(sheet, {}, 0, path));
    EXPECT_FALSE(XlsxPackage::entry(path, "xl/worksheets/sheet1.xml").contains("zoomScale"));
    EXPECT_FALSE(writeColouredSheet(sheet, colors, 100, tmp.filePath(QStringLiteral("no/x.xlsx"))));
}

// The library writes 16 significant digits; the copy must read back bit for bit.
TEST(CompareSheets, ColouredSheetKeepsEveryNumberExactly) {
    TempFiles tmp;
    const double numbers[] = {
        0.1 + 0.2, 1.0 / 3, -(0.1 + 0.2),      123456789012345678.0, 5e-324, 1.7976931348623157e308,
        2.5,       0.1,     45416.000000000007};
    Sheet sheet;
    sheet.numberFormats = {QString(), QStringLiteral("0.00")};
    int row = 1;
    for (const double v : numbers) {
        CellValue value = number(v);
        value.format = quint16(row % 2);
        put(sheet, row, 1, value);
        put(sheet, row, 2, text(QString::number(v, 'g', 17))); // texts stay as they are
        ++row;
    }
    QHash<quint64, Color> colors;
    colors.insert(Sheet::key(1, 1), 65535);
    const QString path = tmp.filePath(QStringLiteral("exact.xlsx"));
    ASSERT_TRUE(writeColouredSheet(sheet, colors, 100, path));
    QString error;
    const auto book = readWorkbook(path, true, &error);
    ASSERT_TRUE(book) << error.toStdString();
    for (int r = 1; r < row; ++r) {
        const CellValue back = book->sheets[0].cell(r, 1);
        EXPECT_EQ(back.kind, Kind::Number) << r;
        EXPECT_EQ(std::bit_cast<quint64>(back.number), std::bit_cast<quint64>(numbers[r - 1]))
            << r << ": " << back.number;
        EXPECT_EQ(book->sheets[0].cell(r, 2).text, sheet.cell(r, 2).text) << r;
    }
    EXPECT_EQ(XlsxPackage::read(path).cell(QStringLiteral("A1")).style.fill,
              QStringLiteral("FFFFFF00"));
}

TEST(CompareSheets, AlignedRowsShowAnInsertedRowAlone) {
    Sheet left, right;
    for (int r = 1; r <= 12; ++r) {
        const int shifted = r >= 5 ? r + 1 : r; // a row inserted on the right before row 5
        for (int c = 1; c <= 3; ++c) {
            put(left, r, c, text(QStringLiteral("r%1c%2").arg(r).arg(c)));
            put(right, shifted, c, text(QStringLiteral("r%1c%2").arg(r).arg(c)));
        }
    }
    put(right, 5, 2, number(42));
    put(right, 10, 3, text(QStringLiteral("edited"))); // left row 9, column C
    put(left, 20, 1, number(0)); // beyond the right's rows: the range grows, 0 equals nothing

    // By number every cell from the insertion on differs: rows 5 to 13, three cells each.
    EXPECT_EQ(compareSheets(left, right, Legend).changedCells, 27);

    const SheetComparison result = compareSheets(left, right, Legend, true);
    ASSERT_FALSE(result.stopped);
    ASSERT_EQ(result.differences.size(), 2u);
    const CellDifference &added = result.differences[0];
    EXPECT_EQ(added.row, 5);
    EXPECT_EQ(added.col, 2);
    EXPECT_EQ(added.leftRow, 0);
    EXPECT_EQ(added.rightRow, 5);
    EXPECT_EQ(added.state, CellState::RightOnly);
    const CellDifference &changed = result.differences[1];
    EXPECT_EQ(changed.row, 10);
    EXPECT_EQ(changed.col, 3);
    EXPECT_EQ(changed.leftRow, 9);
    EXPECT_EQ(changed.rightRow, 10);
    EXPECT_EQ(changed.state, CellState::Changed);
    // Colours are keyed by each sheet's own rows, as its coloured copy needs them.
    EXPECT_EQ(result.rightColors.value(Sheet::key(5, 2)), Legend[1]);
    EXPECT_EQ(result.leftColors.size(), 1);
    EXPECT_EQ(result.leftColors.value(Sheet::key(9, 3)), Legend[0]);
    EXPECT_EQ(result.rightColors.value(Sheet::key(10, 3)), Legend[0]);
    // The result's rows: the gap on the left, each side's own rows elsewhere.
    EXPECT_EQ(result.sheetRow(0, 5), 0);
    EXPECT_EQ(result.sheetRow(1, 5), 5);
    EXPECT_EQ(result.sheetRow(0, 6), 5);
    EXPECT_EQ(result.sheetRow(1, 6), 6);
    EXPECT_EQ(result.rowCount(), 21);

    // Stopped before the rows are paired: nothing is compared.
    const SheetComparison stopped = compareSheets(left, right, Legend, true, [] { return true; });
    EXPECT_TRUE(stopped.stopped);
    EXPECT_TRUE(stopped.differences.empty());
}
