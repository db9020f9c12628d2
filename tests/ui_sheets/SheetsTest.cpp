#include "mainwindow/SheetViewController.h"
#include "mainwindow/frmMain.h"
#include "settings/Settings.h"
#include "sheet/ui/SheetCompareWindow.h"
#include "support/HangGuard.h"
#include "support/TempFiles.h"
#include "support/XlsxPackage.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>
#include <xlsxwriter.h>

#include <functional>
#include <memory>

namespace {

using Rows = QList<SheetListItem>;

QColor colour(Color c) {
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int(c >> 16));
}

// Writes a workbook with one worksheet per name; fill() puts the cells of sheet k.
void writeWorkbook(const QString &path, const QStringList &sheetNames,
                   const std::function<void(int, lxw_worksheet *)> &fill) {
    lxw_workbook *book = workbook_new(QFile::encodeName(path).constData());
    ASSERT_NE(book, nullptr);
    for (int k = 0; k < sheetNames.size(); ++k)
        fill(k, workbook_add_worksheet(book, sheetNames[k].toUtf8().constData()));
    ASSERT_EQ(workbook_close(book), LXW_NO_ERROR);
}

class SheetListsTest : public ::testing::Test {
protected:
    void SetUp() override {
        w = std::make_unique<frmMain>(QStringList(), files.filePath("setting.ini"));
        w->resize(1000, 700);
        w->show();
        QApplication::processEvents();
        QApplication::processEvents();
        w->waitForRun();
        sheets().openInSpreadsheet = [this](const QStringList &paths) {
            spreadsheetOpened << paths;
        };
        sheets().openPath = [this](const QString &path) {
            opened << path;
            return true;
        };
    }

    SheetViewController &sheets() { return w->sheetView(); }

    // Rows Sheet1|Sheet1, Data|(gap), Sheet2|Sheet2, as the alignment builds them.
    void fillAligned() {
        w->workspace().setSheetLists(
            {Rows{{"1", "Sheet1", "A1:C3"}, {"2", "Data", "A1"}, {"3", "Sheet2", "B2:D9"}},
             Rows{{"1", "Sheet1", "A1:C4"}, {"", "", ""}, {"2", "Sheet2", "A1"}}},
            {"ファイル名：a.xlsx\r\n更新日時：x\r\nシート数：3", "ファイル名：b.xlsx"});
        w->workspace().sShowView(ResultView::Sheets);
        QApplication::processEvents();
    }

    QPoint rowCentre(int list, int row) {
        return sheets()
            .lv[size_t(list)]
            ->visualItemRect(sheets().lv[size_t(list)]->topLevelItem(row))
            .center();
    }
    void click(int list, int row, Qt::KeyboardModifiers mods = Qt::NoModifier,
               Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(sheets().lv[size_t(list)]->viewport(), button, mods,
                          rowCentre(list, row));
    }
    int selected(int list) {
        const auto items = sheets().lv[size_t(list)]->selectedItems();
        return items.isEmpty() ? -1 : sheets().lv[size_t(list)]->indexOfTopLevelItem(items.first());
    }
    void select(int left, int right) {
        sheets().lv[0]->setCurrentItem(sheets().lv[0]->topLevelItem(left));
        sheets().lv[1]->setCurrentItem(sheets().lv[1]->topLevelItem(right));
    }

    TempFiles files;
    std::unique_ptr<frmMain> w;
    QList<QStringList> spreadsheetOpened;
    QStringList opened;
};

} // namespace

TEST_F(SheetListsTest, ListsAndInformationFollowTheWorkspace) {
    fillAligned();
    QTreeWidget *right = sheets().lv[1];
    ASSERT_EQ(right->topLevelItemCount(), 3);
    EXPECT_EQ(right->topLevelItem(2)->text(0), "2");
    EXPECT_EQ(right->topLevelItem(2)->text(1), "Sheet2");
    EXPECT_EQ(sheets().lv[0]->topLevelItem(2)->text(2), "B2:D9");
    EXPECT_TRUE(right->topLevelItem(1)->text(0).isEmpty());
    EXPECT_EQ(sheets().txt[0]->toPlainText(), "ファイル名：a.xlsx\n更新日時：x\nシート数：3");

    // Another view in front keeps the selection; a run that empties the lists empties them.
    select(2, 2);
    w->workspace().sShowView(ResultView::Text);
    w->workspace().sShowView(ResultView::Sheets);
    EXPECT_EQ(selected(0), 2);
    w->workspace().lv = {};
    w->workspace().workbookInfo = {};
    w->workspace().sShowView(ResultView::Text);
    EXPECT_EQ(sheets().lv[0]->topLevelItemCount(), 0);
    EXPECT_TRUE(sheets().txt[0]->toPlainText().isEmpty());
}

TEST_F(SheetListsTest, ClickSelectsTheFacingRowUnlessCtrlIsHeld) {
    fillAligned();
    click(0, 2);
    EXPECT_EQ(selected(0), 2);
    EXPECT_EQ(selected(1), 2);
    click(1, 0);
    EXPECT_EQ(selected(0), 0);

    // Ctrl pairs rows the alignment did not put side by side.
    click(0, 2, Qt::ControlModifier);
    EXPECT_EQ(selected(0), 2);
    EXPECT_EQ(selected(1), 0);
}

TEST_F(SheetListsTest, RightButtonAndMenuKeyOpenThePopupForTheirSide) {
    fillAligned();
    const QList<QAction *> actions = sheets().mnuList->actions();
    ASSERT_EQ(actions.size(), 5);
    EXPECT_EQ(actions[0]->text(), "シートの比較(&C)");
    EXPECT_TRUE(actions[1]->isSeparator());
    EXPECT_EQ(actions[2]->text(), "ファイルを開く(&O)");
    EXPECT_TRUE(actions[3]->isSeparator());
    EXPECT_EQ(actions[4]->text(), "クリア(&L)");

    const QString book = files.write("b.xlsx", "x");
    w->cb[0]->setEditText(files.filePath("missing.xlsx"));
    w->cb[1]->setEditText(book);
    click(1, 0, Qt::NoModifier, Qt::RightButton);
    EXPECT_TRUE(sheets().mnuList->isVisible());
    sheets().mnuList->hide();
    sheets().mnuListOpen->trigger(); // the right list's file
    QTest::keyRelease(sheets().lv[0], Qt::Key_Menu);
    EXPECT_TRUE(sheets().mnuList->isVisible());
    sheets().mnuList->hide();
    sheets().mnuListOpen->trigger(); // the left file does not exist
    EXPECT_EQ(opened, QStringList{book});

    sheets().mnuListClear->trigger();
    EXPECT_EQ(sheets().lv[0]->topLevelItemCount(), 0);
    EXPECT_TRUE(w->cb[1]->currentText().isEmpty());

    // Ctrl+V in a list compares the clipboard text.
    QApplication::clipboard()->setText("one\r\ntwo");
    QTest::keyClick(sheets().lv[0], Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(w->cb[0]->currentText(), "Clipboard");
    EXPECT_EQ(w->workspace().clipboardSlot[0], "one\r\ntwo");
}

TEST_F(SheetListsTest, GapRowComparesNothing) {
    fillAligned();
    w->workspace().setStatus("before");
    select(1, 1);
    sheets().CompareSheets();
    sheets().mnuListCompare->trigger();
    EXPECT_EQ(w->workspace().statusText(), "before");
    EXPECT_EQ(sheets().sheetCompareWindow(), nullptr);
    EXPECT_TRUE(spreadsheetOpened.isEmpty());
}

TEST_F(SheetListsTest, DoubleClickComparesTheChosenSheetsAndShowsTheColours) {
    ASSERT_TRUE(Settings(files.filePath("setting.ini")).setSheetZoom(1));
    const QString left = files.filePath("left.xlsx"), right = files.filePath("right.xlsx");
    writeWorkbook(left, {"Other", "Data"}, [](int k, lxw_worksheet *s) {
        if (k == 0)
            return;
        worksheet_write_number(s, 0, 0, 1, nullptr);     // A1 1 = 1
        worksheet_write_string(s, 0, 1, "abc", nullptr); // B1 abc ≠ ABC
        worksheet_write_number(s, 1, 0, 0, nullptr);     // A2 0 = empty
    });
    writeWorkbook(right, {"Data"}, [](int, lxw_worksheet *s) {
        worksheet_write_number(s, 0, 0, 1, nullptr);
        worksheet_write_string(s, 0, 1, "ABC", nullptr);
        worksheet_write_string(s, 2, 2, "new", nullptr); // C3 only on the right
    });
    w->cb[0]->setEditText(left);
    w->cb[1]->setEditText(right);
    w->workspace().setSheetLists({Rows{{"1", "Other", "A1"}, {"2", "Data", "A1:B2"}},
                                  Rows{{"", "", ""}, {"1", "Data", "A1:C3"}}},
                                 {});
    w->workspace().sShowView(ResultView::Sheets);
    QApplication::processEvents();
    click(0, 1); // a double-click's first click pairs the facing row
    QTest::mouseDClick(sheets().lv[0]->viewport(), Qt::LeftButton, Qt::NoModifier, rowCentre(0, 1));
    w->waitForRun(); // the books are read and compared on a worker thread

    // The status names the folder of the coloured copies.
    ASSERT_EQ(sheets().sheetCopies().size(), 2);
    EXPECT_EQ(w->workspace().statusText(),
              "完了  コピーの保存先: " + QFileInfo(sheets().sheetCopies()[0]).path());
    SheetCompareWindow *window = sheets().sheetCompareWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->windowTitle().contains("Data"));
    const auto &legend = w->workspace().txtState;
    auto back = [&](int side, int row, int col) {
        return window->model(side)->data(window->model(side)->index(row, col), Qt::BackgroundRole);
    };
    EXPECT_EQ(back(0, 0, 1).value<QColor>(), colour(legend[0]));
    EXPECT_EQ(back(1, 0, 1).value<QColor>(), colour(legend[0]));
    EXPECT_EQ(back(0, 2, 2).value<QColor>(), colour(legend[2]));
    EXPECT_EQ(back(1, 2, 2).value<QColor>(), colour(legend[1]));
    EXPECT_FALSE(back(0, 0, 0).isValid());
    EXPECT_FALSE(back(0, 1, 0).isValid()); // 0 against an empty cell
    EXPECT_EQ(window->model(1)->rowCount(), 3);
    EXPECT_EQ(window->model(1)->data(window->model(1)->index(2, 2)).toString(), "new");
    EXPECT_EQ(window->model(0)->headerData(2, Qt::Horizontal).toString(), "C");

    const QStringList copies = sheets().sheetCopies();
    ASSERT_EQ(copies.size(), 2);
    EXPECT_EQ(spreadsheetOpened, QList<QStringList>{copies});
    // The copies are the users' own packages: the left one keeps its sheet "Other" too.
    const char *dataParts[2] = {"xl/worksheets/sheet2.xml", "xl/worksheets/sheet1.xml"};
    for (int side = 0; side < 2; ++side) {
        const QString &copy = copies[side];
        EXPECT_TRUE(QFileInfo(copy).isFile()) << copy.toStdString();
        EXPECT_TRUE(XlsxPackage::entry(copy, dataParts[side]).contains("zoomScale=\"85\""));
    }
    EXPECT_TRUE(XlsxPackage::entry(copies[0], "xl/workbook.xml").contains("Other"));
}

TEST_F(SheetListsTest, ListsMarkWhichPairsDifferAndAlignedRowsShowGaps) {
    ASSERT_TRUE(Settings(files.filePath("setting.ini")).setSheetAlignRows(true));
    const QString left = files.filePath("left.xlsx"), right = files.filePath("right.xlsx");
    const auto rows = [](const QList<const char *> &texts) {
        return [texts](int k, lxw_worksheet *s) {
            if (k == 0)
                worksheet_write_string(s, 0, 0, "same", nullptr);
            for (int r = 0; k == 1 && r < texts.size(); ++r)
                worksheet_write_string(s, lxw_row_t(r), 0, texts[r], nullptr);
        };
    };
    writeWorkbook(left, {"Same", "Data", "Gone"}, rows({"first row", "second row"}));
    writeWorkbook(right, {"Same", "Data"}, rows({"first row", "inserted", "second row"}));
    w->cb[0]->setEditText(left);
    w->cb[1]->setEditText(right);
    w->runComparison();
    w->waitForRun();
    // The marks come from a thread of their own; the window stays usable meanwhile.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return sheets().lv[0]->topLevelItem(1)->text(3) == "差分あり"; }, HangGuardMs));
    QTreeWidget *list = sheets().lv[0];
    ASSERT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(list->topLevelItem(0)->text(3), "一致");
    EXPECT_EQ(list->topLevelItem(1)->text(3), "差分あり");
    EXPECT_EQ(list->topLevelItem(1)->background(1).color(), colour(w->workspace().txtState[0]));
    EXPECT_EQ(list->topLevelItem(2)->text(3), "左のみ"); // no sheet to compare with
    EXPECT_EQ(sheets().lv[1]->topLevelItem(2)->text(3), QString());
    // The marks column starts inside the list, not beyond a wide range column.
    EXPECT_LT(list->header()->sectionViewportPosition(3), list->viewport()->width() / 2);

    // With rows aligned the inserted row stands alone: the left side shows a gap there.
    select(1, 1);
    sheets().CompareSheets();
    w->waitForRun();
    SheetCompareWindow *window = sheets().sheetCompareWindow();
    ASSERT_NE(window, nullptr);
    SheetTableModel *leftModel = window->model(0);
    ASSERT_EQ(leftModel->rowCount(), 3);
    EXPECT_EQ(leftModel->headerData(1, Qt::Vertical).toString(), QString());
    EXPECT_EQ(leftModel->headerData(2, Qt::Vertical).toString(), "2");
    EXPECT_EQ(leftModel->data(leftModel->index(2, 0)).toString(), "second row");
    EXPECT_FALSE(leftModel->data(leftModel->index(1, 0)).isValid());
    EXPECT_EQ(
        window->model(1)->data(window->model(1)->index(1, 0), Qt::BackgroundRole).value<QColor>(),
        colour(w->workspace().txtState[1]));
    EXPECT_TRUE(window->statusText().contains("1"));
    // The detail line names each side's own row: left row 2 faces right row 3.
    window->view(0)->setCurrentIndex(leftModel->index(2, 0));
    EXPECT_TRUE(window->detailText().startsWith("A2→A3")) << window->detailText().toStdString();
}

// Two sheets of different names facing each other are each one-sided, as a workbook report
// counts them: never "一致", even when their cells agree.
TEST_F(SheetListsTest, FacingSheetsOfDifferentNamesAreMarkedOneSided) {
    const QString left = files.filePath("left.xlsx"), right = files.filePath("right.xlsx");
    const auto sameCells = [](int, lxw_worksheet *s) {
        worksheet_write_string(s, 0, 0, "cell", nullptr);
    };
    writeWorkbook(left, {"Same", "OnlyLeft"}, sameCells);
    writeWorkbook(right, {"Same", "OnlyRight"}, sameCells);
    w->cb[0]->setEditText(left);
    w->cb[1]->setEditText(right);
    w->runComparison();
    w->waitForRun();
    EXPECT_TRUE(QTest::qWaitFor([&] { return sheets().lv[0]->topLevelItem(0)->text(3) == "一致"; },
                                HangGuardMs));
    ASSERT_EQ(sheets().lv[0]->topLevelItemCount(), 2);
    ASSERT_EQ(sheets().lv[1]->topLevelItemCount(), 2);
    EXPECT_EQ(sheets().lv[0]->topLevelItem(1)->text(3), "左のみ");
    EXPECT_EQ(sheets().lv[1]->topLevelItem(1)->text(3), "右のみ");
}

// A sheet comparison started before the marks are done has the processors first; the marks
// still come once it has ended.
TEST_F(SheetListsTest, MarksComeAfterASheetComparisonStartedBeforeThem) {
    const QString left = files.filePath("left.xlsx"), right = files.filePath("right.xlsx");
    const auto fill = [](const char *text) {
        return [text](int k, lxw_worksheet *s) {
            worksheet_write_string(s, 0, 0, k ? text : "x", nullptr);
        };
    };
    writeWorkbook(left, {"One", "Two"}, fill("old"));
    writeWorkbook(right, {"One", "Two"}, fill("new"));
    w->cb[0]->setEditText(left);
    w->cb[1]->setEditText(right);
    w->runComparison();
    w->waitForRun();
    select(0, 0);
    sheets().CompareSheets(); // before the marks have begun
    w->waitForRun();
    ASSERT_NE(sheets().sheetCompareWindow(), nullptr);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return sheets().lv[0]->topLevelItem(1)->text(3) == "差分あり"; }, HangGuardMs));
    EXPECT_EQ(sheets().lv[0]->topLevelItem(0)->text(3), "一致");
    EXPECT_EQ(sheets().lv[0]->topLevelItem(1)->text(3), "差分あり");
}

TEST_F(SheetListsTest, UnreadableWorkbookOrMissingSheetIsNamedNotDone) {
    const QString right = files.filePath("right.xlsx");
    writeWorkbook(right, {"Data"}, [](int, lxw_worksheet *) {});
    w->cb[0]->setEditText(files.write("broken.xlsx", "not a zip"));
    w->cb[1]->setEditText(right);
    w->workspace().setSheetLists({Rows{{"1", "Data", "A1"}}, Rows{{"1", "Gone", "A1"}}}, {});
    select(0, 0);
    sheets().CompareSheets();
    w->waitForRun();
    const QString status = w->workspace().statusText();
    EXPECT_TRUE(status.contains("broken.xlsx")) << status.toStdString();
    EXPECT_TRUE(status.contains("Gone")) << status.toStdString();
    EXPECT_EQ(sheets().sheetCompareWindow(), nullptr);
    EXPECT_TRUE(spreadsheetOpened.isEmpty());
}

namespace {

// A 200 × 40 sheet with coloured cells at B3, E3 and A10 (1-based rows and columns).
std::unique_ptr<SheetCompareWindow> makeWindow() {
    Sheet left, right;
    left.name = "L";
    right.name = "R";
    left.lastRow = right.lastRow = 200;
    left.lastCol = right.lastCol = 40;
    left.firstRow = left.firstCol = right.firstRow = right.firstCol = 1;
    SheetComparison cmp;
    cmp.lastRow = 200;
    cmp.lastCol = 40;
    for (auto [r, c] : {std::pair{3, 2}, {3, 5}, {10, 1}}) {
        cmp.leftColors.insert(Sheet::key(r, c), 65535);
        cmp.rightColors.insert(Sheet::key(r, c), 65535);
        cmp.differences.push_back({r, c, r, r, CellState::Changed});
    }
    cmp.changedCells = 3;
    auto window = std::make_unique<SheetCompareWindow>(left, right, cmp, "a", "b");
    window->show();
    QApplication::processEvents();
    return window;
}

std::pair<int, int> current(const SheetCompareWindow &window, int side) {
    const QModelIndex i = window.view(side)->currentIndex();
    return {i.row() + 1, i.column() + 1};
}

} // namespace

TEST(SheetCompareWindow, BothSidesScrollAndResizeTogether) {
    auto window = makeWindow();
    window->view(0)->verticalScrollBar()->setValue(50);
    EXPECT_EQ(window->view(1)->verticalScrollBar()->value(), 50);
    window->view(1)->horizontalScrollBar()->setValue(7);
    EXPECT_EQ(window->view(0)->horizontalScrollBar()->value(), 7);
    window->view(0)->setColumnWidth(3, 250);
    EXPECT_EQ(window->view(1)->columnWidth(3), 250);
    EXPECT_EQ(window->model(0)->headerData(26, Qt::Horizontal).toString(), "AA");
    EXPECT_EQ(window->model(0)->headerData(9, Qt::Vertical).toString(), "10");
}

TEST(SheetCompareWindow, DifferenceWalkGoesInRowOrderOnBothSidesByButtonAndKey) {
    auto window = makeWindow();
    EXPECT_TRUE(window->statusText().contains("3"));
    window->moveToDifference(true);
    EXPECT_EQ(current(*window, 0), std::pair(3, 2));
    EXPECT_EQ(current(*window, 1), std::pair(3, 2));
    window->moveToDifference(true);
    EXPECT_EQ(current(*window, 0), std::pair(3, 5));
    window->moveToDifference(true);
    EXPECT_EQ(current(*window, 1), std::pair(10, 1));
    window->moveToDifference(true); // the end: stays and says so
    EXPECT_EQ(current(*window, 0), std::pair(10, 1));
    EXPECT_TRUE(window->statusText().contains("終端まで検索しました"));
    window->moveToDifference(false);
    EXPECT_EQ(current(*window, 0), std::pair(3, 5));
    EXPECT_FALSE(window->statusText().contains("終端"));

    // A cell picked by hand is the starting point, on either side.
    window->view(1)->setCurrentIndex(window->model(1)->index(4, 0));
    EXPECT_EQ(current(*window, 0), std::pair(5, 1));
    window->moveToDifference(false);
    EXPECT_EQ(current(*window, 0), std::pair(3, 5));

    // The same walk from the keyboard.
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window->view(0), Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(current(*window, 1), std::pair(3, 2));
    QTest::keyClick(window->view(0), Qt::Key_F3);
    EXPECT_EQ(current(*window, 1), std::pair(3, 5));
}
