#include "GridFixtures.h"

#include "mainwindow/ResultGridModel.h"
#include "mainwindow/ResultGridView.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

class GridViewTest : public ::testing::Test {
protected:
    void SetUp() override { show(makeTextGrid(200)); }

    void show(std::unique_ptr<ResultGrid> g) {
        view.reset();
        grid = std::move(g);
        view = std::make_unique<ResultGridView>(grid.get());
        view->resize(400, 300);
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    }

    // Centre of a cell in viewport coordinates (grid row).
    QPoint cellPos(int gridRow, int col) const {
        const QModelIndex index =
            view->gridModel()->index(view->gridModel()->modelRow(gridRow), col);
        return view->visualRect(index).center();
    }

    void select(int top, int left, int bottom, int right) {
        ResultGridModel *m = view->gridModel();
        view->setCurrentCell(top, left);
        view->selectionModel()->select(
            QItemSelection(m->index(m->modelRow(top), left), m->index(m->modelRow(bottom), right)),
            QItemSelectionModel::ClearAndSelect);
    }

    void wheel(int delta) {
        const QPointF pos = cellPos(view->topRow() + 1, 1);
        QWheelEvent event(pos, view->viewport()->mapToGlobal(pos), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view->viewport(), &event);
    }

    std::unique_ptr<ResultGrid> grid;
    std::unique_ptr<ResultGridView> view;
};

} // namespace

TEST_F(GridViewTest, SelectionTextSeparatesColumnsByTabAndRowsByCr) {
    select(2, 0, 4, 1);
    EXPECT_EQ(view->selectionText(), QStringLiteral("2\tL2\r3\tL3\r4\tL4"));

    grid->setText(3, 1, QString());
    select(3, 1, 3, 3);
    EXPECT_EQ(view->selectionText(), QStringLiteral("\t3\tR3"));

    QApplication::clipboard()->clear();
    QTest::keyClick(view.get(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("\t3\tR3"));
}

TEST_F(GridViewTest, SelectColumnAndSelectAllCoverTheDataRowsOnly) {
    view->setTopRow(100);
    view->setCurrentCell(105, 2);
    ASSERT_EQ(view->topRow(), 100);
    view->selectCurrentColumn();
    EXPECT_EQ(grid->row(), 1); // the current row moves to the first data row...
    EXPECT_EQ(grid->col(), 2);
    EXPECT_EQ(view->topRow(), 100); // ...without scrolling the view
    const QStringList column = view->selectionText().split(QLatin1Char('\r'));
    ASSERT_EQ(column.size(), 200);
    EXPECT_EQ(column.first(), QStringLiteral("1"));
    EXPECT_EQ(column.last(), QStringLiteral("200"));

    view->selectAllCells(false);
    EXPECT_TRUE(view->selectionText().startsWith(QStringLiteral("1\tL1\t1\tR1\r2\t")));
    EXPECT_EQ(grid->row(), 1);
    EXPECT_EQ(grid->col(), 0);

    // The folder grid stops before its two hidden size columns.
    auto folder = std::make_unique<ResultGrid>(10, 1);
    folder->setRows(3);
    for (int c = 0; c < 10; ++c)
        folder->setText(1, c, QString::number(c));
    show(std::move(folder));
    view->selectAllCells(true);
    EXPECT_EQ(view->selectionText().section(QLatin1Char('\r'), 0, 0),
              QStringLiteral("0\t1\t2\t3\t4\t5\t6\t7"));
}

TEST_F(GridViewTest, OneWheelStepScrollsThreeRows) {
    view->setTopRow(21);
    wheel(-120);
    EXPECT_EQ(view->topRow(), 24);
    wheel(-240);
    EXPECT_EQ(view->topRow(), 30);
    wheel(120);
    EXPECT_EQ(view->topRow(), 27);
    wheel(-60); // half a notch on a fine wheel: nothing yet
    EXPECT_EQ(view->topRow(), 27);
    wheel(-60);
    EXPECT_EQ(view->topRow(), 30);
    EXPECT_EQ(grid->topRow(), 30);
}

TEST_F(GridViewTest, KeysReportEnterPasteMenuAndViewer) {
    QSignalSpy activated(view.get(), &ResultGridView::activatedAt);
    QSignalSpy paste(view.get(), &ResultGridView::pasteRequested);
    QSignalSpy menu(view.get(), &ResultGridView::contextMenuRequested);
    QSignalSpy viewer(view.get(), &ResultGridView::viewerRequested);

    view->setCurrentCell(2, 1);
    QTest::mouseMove(view->viewport(), cellPos(5, 1));
    EXPECT_EQ(view->MouseRow(), 5);
    QTest::keyClick(view.get(), Qt::Key_Return);
    ASSERT_EQ(activated.count(), 1);
    EXPECT_EQ(activated.at(0).at(0).toInt(), 5); // the mouse row, not the current row

    QTest::keyClick(view.get(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(paste.count(), 1);
    QTest::keyPress(view.get(), Qt::Key_Menu);
    EXPECT_EQ(menu.count(), 0); // the menu waits for the key to come up
    QTest::keyRelease(view.get(), Qt::Key_Menu);
    EXPECT_EQ(menu.count(), 1);
    QTest::keyClick(view.get(), Qt::Key_F2);
    EXPECT_EQ(viewer.count(), 1);

    QTest::keyClick(view.get(), Qt::Key_Down); // other keys still move the current cell
    EXPECT_EQ(grid->row(), 3);

    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cellPos(7, 3));
    ASSERT_EQ(activated.count(), 2);
    EXPECT_EQ(activated.at(1).at(0).toInt(), 7);
}

TEST_F(GridViewTest, RightButtonKeepsASelectionItFallsInto) {
    QSignalSpy menu(view.get(), &ResultGridView::contextMenuRequested);
    select(2, 1, 5, 3);
    const QString before = view->selectionText();

    QTest::mouseClick(view->viewport(), Qt::RightButton, {}, cellPos(4, 2));
    EXPECT_EQ(view->selectionText(), before);
    EXPECT_EQ(grid->row(), 2);
    EXPECT_EQ(grid->col(), 1);
    EXPECT_EQ(menu.count(), 1);

    QTest::mouseClick(view->viewport(), Qt::RightButton, {}, cellPos(8, 0));
    EXPECT_EQ(grid->row(), 8);
    EXPECT_EQ(grid->col(), 0);
    EXPECT_EQ(view->selectionText(), QStringLiteral("8"));
    EXPECT_EQ(menu.count(), 2);

    // Below the last row there is no cell to make current: the menu opens on what is selected.
    show(makeTextGrid(2));
    QSignalSpy shortMenu(view.get(), &ResultGridView::contextMenuRequested);
    view->setCurrentCell(2, 3);
    QTest::mouseClick(view->viewport(), Qt::RightButton, {},
                      QPoint(10, view->viewport()->height() - 5));
    EXPECT_EQ(view->MouseRow(), -1);
    EXPECT_EQ(grid->row(), 2);
    EXPECT_EQ(grid->col(), 3);
    EXPECT_EQ(shortMenu.count(), 1);
}

TEST_F(GridViewTest, CurrentCellFollowsTheGridBothWays) {
    view->setCurrentCell(7, 3);
    EXPECT_EQ(grid->row(), 7);
    EXPECT_EQ(grid->col(), 3);
    EXPECT_EQ(view->currentIndex(), view->gridModel()->index(6, 3));

    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cellPos(3, 2));
    EXPECT_EQ(grid->row(), 3);
    EXPECT_EQ(grid->col(), 2);

    // A comparison writes the current cell into the grid with redrawing off.
    grid->setRedraw(false);
    grid->setRow(1);
    grid->setCol(1);
    grid->setRedraw(true);
    EXPECT_EQ(view->currentIndex(), view->gridModel()->index(0, 1));
}

TEST_F(GridViewTest, TopRowTravelsBetweenViewAndGridOnce) {
    QSignalSpy scrolled(view.get(), &ResultGridView::topRowChanged);
    QSignalSpy gridScrolled(grid.get(), &ResultGrid::topRowChanged);

    view->setTopRow(50);
    ASSERT_FALSE(scrolled.isEmpty());
    EXPECT_EQ(scrolled.last().at(0).toInt(), 50);
    EXPECT_EQ(grid->topRow(), 50);
    EXPECT_EQ(gridScrolled.count(), 1);

    grid->setTopRow(80); // navigation scrolls through the grid
    EXPECT_EQ(view->topRow(), 80);
    EXPECT_EQ(scrolled.last().at(0).toInt(), 80);
    EXPECT_EQ(gridScrolled.count(), 2); // no echo back from the view

    view->verticalScrollBar()->setValue(10); // the view's own scroll bar
    EXPECT_EQ(view->topRow(), 11);
    EXPECT_EQ(grid->topRow(), 11);
    EXPECT_GT(view->visibleRows(), 3);
}

TEST_F(GridViewTest, BinaryGridCountsItsTwoHeaderRows) {
    auto binary = std::make_unique<ResultGrid>(4, 2);
    binary->setRows(102);
    for (int r = 2; r < 102; ++r)
        binary->setText(r, 0, QString::number(r));
    show(std::move(binary));
    EXPECT_EQ(view->topRow(), 2);
    view->setTopRow(10);
    EXPECT_EQ(view->topRow(), 10);
    QTest::mouseMove(view->viewport(), cellPos(12, 0));
    EXPECT_EQ(view->MouseRow(), 12);
    EXPECT_EQ(view->toolTip(), QStringLiteral("12"));
    QTest::mouseMove(view->viewport(), cellPos(13, 0));
    EXPECT_EQ(view->toolTip(), QStringLiteral("13"));
}

TEST_F(GridViewTest, DroppedLocalFilesReportTheColumn) {
    QSignalSpy dropped(view.get(), &ResultGridView::filesDropped);
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a.txt")),
                  QUrl(QStringLiteral("https://example.com/b.txt"))});
    // A drop arrives only where the drag entered and was accepted.
    QDragEnterEvent enter(cellPos(3, 3), Qt::CopyAction, &mime, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(cellPos(3, 3), Qt::CopyAction, &mime, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &drop);
    ASSERT_EQ(dropped.count(), 1);
    EXPECT_EQ(dropped.at(0).at(0).toStringList(), QStringList{QStringLiteral("/tmp/a.txt")});
    EXPECT_EQ(dropped.at(0).at(1).toInt(), 3);

    QMimeData remoteOnly;
    remoteOnly.setUrls({QUrl(QStringLiteral("https://example.com/b.txt"))});
    QDragEnterEvent refused(cellPos(3, 1), Qt::CopyAction, &remoteOnly, Qt::NoButton,
                            Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &refused);
    EXPECT_FALSE(refused.isAccepted());
    QDropEvent ignored(cellPos(3, 1), Qt::CopyAction, &remoteOnly, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &ignored);
    EXPECT_EQ(dropped.count(), 1);
}

TEST(ResultGridViewMillion, ShowsAndScrollsAMillionRows) {
    auto grid = makeTextGrid(1000000);
    ResultGridView view(grid.get());
    view.resize(800, 600);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.repaint();
    for (int top : {500000, 999000, 1, 250000}) {
        view.setTopRow(top);
        view.repaint();
    }
    grid->setRedraw(false);
    grid->setRedraw(true); // a new result of the same size
    view.repaint();

    EXPECT_EQ(view.topRow(), 250000);
    view.setCurrentCell(1000000, 3);
    EXPECT_EQ(view.currentIndex().row(), 999999);
}
