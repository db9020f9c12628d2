#include "sheet/ui/SheetCompareWindow.h"

#include <QApplication>
#include <QImage>
#include <QTableView>

#include <gtest/gtest.h>

namespace {

CellValue number(double n, quint16 format = 0) {
    CellValue v;
    v.kind = CellValue::Kind::Number;
    v.number = n;
    v.format = format;
    return v;
}

CellValue ofKind(CellValue::Kind kind, const QString &text, double n = 0) {
    CellValue v;
    v.kind = kind;
    v.text = text;
    v.number = n;
    return v;
}

// Left: a date in A1, a text "1" in B1, TRUE in C1, #N/A in D1, two lines in A2. Right: the
// next day in A1, the number 1 in B1, FALSE in C1, 0 in D1, the same two lines. A1 holds a
// formula on the right.
std::unique_ptr<SheetCompareWindow> makeWindow() {
    Sheet sides[2];
    for (int i = 0; i < 2; ++i) {
        Sheet &s = sides[i];
        s.name = i == 0 ? "L" : "R";
        s.numberFormats = QStringList{QString(), QStringLiteral("yyyy/mm/dd")};
        s.firstRow = s.firstCol = 1;
        s.lastRow = 2;
        s.lastCol = 4;
        s.cells.insert(Sheet::key(1, 1), number(45416 + i, 1));
        s.cells.insert(Sheet::key(1, 2), i == 0 ? ofKind(CellValue::Kind::Text, "1") : number(1));
        s.cells.insert(Sheet::key(1, 3), ofKind(CellValue::Kind::Boolean, {}, 1 - i));
        s.cells.insert(Sheet::key(1, 4),
                       i == 0 ? ofKind(CellValue::Kind::Error, "#N/A") : number(0));
        s.cells.insert(Sheet::key(2, 1), ofKind(CellValue::Kind::Text, "first\nsecond"));
    }
    sides[1].formulas.insert(Sheet::key(1, 1), QStringLiteral("A3+1"));
    const SheetComparison cmp = compareSheets(sides[0], sides[1], {0x00FFFF, 0xFF0000, 0xFFFF00});
    auto window = std::make_unique<SheetCompareWindow>(sides[0], sides[1], cmp, "a", "b");
    window->show();
    QApplication::processEvents();
    return window;
}

Qt::Alignment alignment(const SheetCompareWindow &w, int side, int row, int col) {
    return w.model(side)->index(row, col).data(Qt::TextAlignmentRole).value<Qt::Alignment>() &
           Qt::AlignHorizontal_Mask;
}

} // namespace

TEST(SheetWindowDisplay, ValuesShowAndAlignAsInASpreadsheet) {
    auto w = makeWindow();
    const auto shown = [&w](int side, int row, int col) {
        return w->model(side)->index(row, col).data().toString();
    };
    EXPECT_EQ(shown(0, 0, 0), "2024/05/04");
    EXPECT_EQ(shown(1, 0, 0), "2024/05/05");
    EXPECT_EQ(shown(0, 0, 2), "TRUE");
    EXPECT_EQ(shown(1, 0, 2), "FALSE");
    EXPECT_EQ(shown(0, 0, 3), "#N/A");
    // A text "1" and a number 1 read alike but stand apart.
    EXPECT_EQ(shown(0, 0, 1), "1");
    EXPECT_EQ(alignment(*w, 0, 0, 1), Qt::AlignLeft);
    EXPECT_EQ(alignment(*w, 1, 0, 1), Qt::AlignRight);
    EXPECT_EQ(alignment(*w, 0, 0, 2), Qt::AlignHCenter);
    EXPECT_EQ(alignment(*w, 0, 0, 3), Qt::AlignHCenter);
    // A cell of two lines gets a row tall enough for both.
    EXPECT_GE(w->view(0)->rowHeight(1), 2 * w->view(0)->fontMetrics().lineSpacing());
    EXPECT_EQ(w->view(1)->rowHeight(1), w->view(0)->rowHeight(1));
}

TEST(SheetWindowDisplay, FirstStepStopsOnA1AndTheDetailLineReadsTheCell) {
    auto w = makeWindow();
    w->view(0)->setFocus(); // the table makes A1 current by itself
    w->moveToDifference(true);
    EXPECT_EQ(w->view(0)->currentIndex().row(), 0);
    EXPECT_EQ(w->view(0)->currentIndex().column(), 0);
    EXPECT_EQ(w->detailText(),
              "A1    左: 2024/05/04 [45416]    右: 2024/05/05 [45417]  数式: =A3+1");
    w->moveToDifference(true);
    EXPECT_EQ(w->view(1)->currentIndex().column(), 1);
    // A text "1" against the number 1 says which is which.
    EXPECT_EQ(w->detailText(), "B1    左: 1    右: 1    (文字列 / 数値)");
    w->moveToDifference(true);
    EXPECT_EQ(w->detailText(), "C1    左: TRUE    右: FALSE");
    w->moveToDifference(true);
    EXPECT_EQ(w->detailText(), "D1    左: #N/A    右: 0    (エラー値 / 数値)");
    w->view(0)->setCurrentIndex(w->model(0)->index(1, 1));
    EXPECT_EQ(w->detailText(), "B2    左: (空)    右: (空)");
    w->view(0)->setCurrentIndex(w->model(0)->index(1, 0));
    EXPECT_EQ(w->detailText(), "A2    左: first ↵ second    右: first ↵ second");
}

TEST(SheetWindowDisplay, CurrentCellIsFramedAndKeepsItsColour) {
    auto w = makeWindow();
    w->moveToDifference(true);
    QTableView *view = w->view(0);
    const QRect cell = view->visualRect(view->currentIndex());
    const QImage image = view->viewport()->grab().toImage();
    // Inside the frame the cell keeps the colour of "変更" (yellow), not the selection's.
    EXPECT_EQ(QColor(image.pixel(cell.center().x(), cell.top() + 4)), QColor(255, 255, 0));
    EXPECT_NE(QColor(image.pixel(cell.center().x(), cell.top() + 1)), QColor(255, 255, 0));
}
