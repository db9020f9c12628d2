// The folder grid of a comparison through every level shown as a tree: only expanded folders'
// rows in the view, indented names with markers, and the commands on the rows shown.
#include "mainwindow/DiffOverviewBar.h"
#include "mainwindow/FolderTreeController.h"
#include "mainwindow/FolderViewController.h"
#include "mainwindow/ResultGridModel.h"
#include "mainwindow/ResultGridView.h"
#include "mainwindow/TextViewController.h"
#include "mainwindow/frmMain.h"
#include "support/TempFiles.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <utility>

#include <utime.h>

namespace {

const QDateTime Time(QDate(2024, 5, 6), QTime(7, 8, 9));

class FolderTreeViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        w = std::make_unique<frmMain>(QStringList(), files.filePath("setting.ini"));
        w->resize(1200, 700);
        w->show();
        QApplication::processEvents();
        w->waitForRun();
        w->folderView().startInstance = [this](const QStringList &paths) {
            started << paths;
            return true;
        };
        // Both: b/ (b/in.txt equal, b/c/deep.txt differs), e/ (e/x equal), top.txt equal;
        // right only: b/c/new.txt.
        for (const QString side : {"left", "right"}) {
            for (const char *folder : {"b/c", "e"})
                QDir().mkpath(files.filePath(side + "/" + folder));
            write(side + "/b/in.txt", "in");
            write(side + "/b/c/deep.txt", side == "left" ? "left" : "right!");
            write(side + "/e/x", "x");
            write(side + "/top.txt", "top");
        }
        write("right/b/c/new.txt", "new");
        for (const QString side : {"left", "right"})
            for (const char *folder : {"b/c", "b", "e"})
                setTime(files.filePath(side + "/" + folder));
    }

    void write(const QString &name, const QByteArray &bytes) {
        QFile f(files.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        setTime(files.filePath(name));
    }
    static void setTime(const QString &path) {
        const utimbuf times{Time.toSecsSinceEpoch(), Time.toSecsSinceEpoch()};
        ASSERT_EQ(::utime(QFile::encodeName(path).constData(), &times), 0);
    }

    void compare(bool recursive) {
        w->workspace().recursiveFolders = recursive;
        w->cb[0]->setEditText(files.filePath("left"));
        w->cb[1]->setEditText(files.filePath("right"));
        w->runComparison();
        w->waitForRun();
        QApplication::processEvents();
    }

    ResultGrid &grid() { return w->workspace().fgF; }
    ResultGridView *view() { return w->view(ResultView::Folder); }
    ResultGridModel *model() { return view()->gridModel(); }
    FolderTreeController &tree() { return *view()->findChild<FolderTreeController *>(); }
    int rowOf(const QString &name) {
        for (int r = 1; r < grid().rows(); ++r)
            if (grid().text(r, 0) == name || grid().text(r, 4) == name)
                return r;
        return -1;
    }
    // The names of the rows shown, top to bottom.
    QStringList shown() {
        QStringList names;
        for (int k = 0; k < model()->rowCount(); ++k) {
            const int r = model()->gridRow(k);
            names << (grid().isEmpty(r, 0) ? grid().text(r, 4) : grid().text(r, 0));
        }
        return names;
    }
    QRect nameCellOf(const QString &name) {
        return view()->visualRect(model()->index(model()->modelRow(rowOf(name)), 0));
    }
    // The first and last columns with dark pixels in a name cell of `image`, from its left edge.
    std::pair<int, int> inkSpan(const QImage &image, const QString &name) {
        const QRect cell = nameCellOf(name);
        int first = -1, last = -1;
        for (int x = cell.left(); x < cell.right(); ++x)
            for (int y = cell.top() + 2; y < cell.bottom() - 1; ++y)
                if (qGray(image.pixel(x, y)) < 128) {
                    if (first < 0)
                        first = x - cell.left();
                    last = x - cell.left();
                }
        return {first, last};
    }
    void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(view(), Qt::Key(k), mods);
        QApplication::processEvents();
    }

    TempFiles files;
    std::unique_ptr<frmMain> w;
    QList<QStringList> started;
};

} // namespace

TEST_F(FolderTreeViewTest, TopLevelFirstThenKeysMarkerAndDoubleClickExpandAndCollapse) {
    compare(true);
    ASSERT_EQ(grid().rows(), 9); // every entry stays in the grid, for exports and commands
    QStringList top = shown();
    top.sort();
    EXPECT_EQ(top, (QStringList{"b", "e", "top.txt"}));

    const int b = rowOf("b");
    view()->setCurrentCell(b, 0);
    view()->setFocus();
    key(Qt::Key_Right);
    EXPECT_TRUE(shown().contains("b/c"));
    EXPECT_TRUE(shown().contains("b/in.txt"));
    EXPECT_FALSE(shown().contains("b/c/deep.txt"));
    EXPECT_EQ(grid().col(), 0); // Right opened the folder instead of moving
    key(Qt::Key_Right);
    EXPECT_EQ(grid().col(), 1); // an open folder: Right moves on

    // The marker of b/c, in the left name cell.
    const int c = rowOf("b/c");
    const QRect cell = view()->visualRect(model()->index(model()->modelRow(c), 0));
    const QPoint marker = FolderTreeController::markerRect(cell, 1).center();
    QTest::mouseClick(view()->viewport(), Qt::LeftButton, Qt::NoModifier, marker);
    EXPECT_TRUE(shown().contains("b/c/deep.txt"));
    EXPECT_TRUE(shown().contains("b/c/new.txt"));
    for (int k = 0; k + 1 < model()->rowCount(); ++k)
        EXPECT_LT(model()->gridRow(k), model()->gridRow(k + 1));

    // Collapsing b with the current row inside it moves the current row to b.
    view()->setCurrentCell(rowOf("b/c/deep.txt"), 0);
    tree().setExpanded(b, false);
    EXPECT_EQ(grid().row(), b);
    top = shown();
    top.sort();
    EXPECT_EQ(top, (QStringList{"b", "e", "top.txt"}));

    // A double click on a folder row opens it rather than comparing the pair.
    const QRect row = view()->visualRect(model()->index(model()->modelRow(rowOf("e")), 2));
    QTest::mouseDClick(view()->viewport(), Qt::LeftButton, Qt::NoModifier, row.center());
    EXPECT_TRUE(shown().contains("e/x"));
    EXPECT_TRUE(started.isEmpty());
    view()->setCurrentCell(b, 2);
    key(Qt::Key_Plus, Qt::ShiftModifier); // b again, with b/c as it was left: open
    EXPECT_TRUE(shown().contains("b/c/deep.txt"));
    key(Qt::Key_Minus);
    EXPECT_FALSE(shown().contains("b/c"));
}

TEST_F(FolderTreeViewTest, CommandsAndDifferenceWalkActOnTheRowsShown) {
    compare(true);
    // b collapsed and selected with the row after it: its hidden contents do not join in.
    const int b = rowOf("b");
    const int after = model()->gridRow(model()->modelRow(b) + 1);
    view()->setCurrentCell(b, 0);
    view()->selectionModel()->select(QItemSelection(model()->index(model()->modelRow(b), 0),
                                                    model()->index(model()->modelRow(after), 0)),
                                     QItemSelectionModel::ClearAndSelect);
    EXPECT_EQ(w->folderView().selectedFolderNames(0), (QStringList{"b", grid().text(after, 0)}));

    // The next differences lie in collapsed folders: each is shown and becomes current.
    view()->setCurrentCell(b, 1);
    w->textView().moveToDifference(true);
    EXPECT_EQ(grid().row(), rowOf("b/c"));
    w->textView().moveToDifference(true);
    const int deep = rowOf("b/c/deep.txt");
    EXPECT_EQ(grid().row(), deep);
    EXPECT_GE(model()->modelRow(deep), 0);
    EXPECT_EQ(view()->currentIndex().row(), model()->modelRow(deep));

    // A nested pair goes to the second instance by its path below each folder.
    w->folderView().mnuFolderItem_Click(FolderCommand::ComparePair);
    ASSERT_EQ(started.size(), 1);
    EXPECT_EQ(started[0], (QStringList{files.filePath("left/b/c/deep.txt"),
                                       files.filePath("right/b/c/deep.txt")}));
}

TEST_F(FolderTreeViewTest, NextAndPreviousDifferenceVisitEveryDifferingEntryAtAnyDepth) {
    // Only a/b/c/file.txt differs; a/b/same.txt and z.txt are equal.
    for (const QString side : {"left", "right"}) {
        QDir(files.filePath(side)).removeRecursively();
        QDir().mkpath(files.filePath(side + "/a/b/c"));
        write(side + "/a/b/c/file.txt", side == "left" ? "left" : "right!");
        write(side + "/a/b/same.txt", "same");
        write(side + "/z.txt", "z");
        for (const char *folder : {"a/b/c", "a/b", "a"})
            setTime(files.filePath(side + "/" + folder));
    }
    compare(true);
    QStringList top = shown();
    top.sort();
    ASSERT_EQ(top, (QStringList{"a", "z.txt"}));

    // Forward from z.txt with every folder closed: each folder opens on the way.
    const QStringList differing{"a", "a/b", "a/b/c", "a/b/c/file.txt"};
    view()->setCurrentCell(rowOf("z.txt"), 3);
    QStringList forth;
    for (int k = 0; k < 4; ++k) {
        w->textView().moveToDifference(true);
        forth << grid().text(grid().row(), 0);
        EXPECT_EQ(view()->currentIndex().row(), model()->modelRow(grid().row()));
    }
    EXPECT_EQ(forth, differing);
    EXPECT_TRUE(shown().contains("a/b/c/file.txt"));
    w->statusPanel->clear();
    w->textView().moveToDifference(true);
    EXPECT_EQ(grid().row(), rowOf("a/b/c/file.txt")); // the end: the row stays
    EXPECT_EQ(w->statusPanel->text(), QStringLiteral("終端まで検索しました"));

    // Back again, row by row, up to the first differing entry.
    QStringList back{grid().text(grid().row(), 0)};
    for (int k = 0; k < 3; ++k) {
        w->textView().moveToDifference(false);
        back.prepend(grid().text(grid().row(), 0));
    }
    EXPECT_EQ(back, differing);
    w->statusPanel->clear();
    w->textView().moveToDifference(false);
    EXPECT_EQ(grid().row(), rowOf("a"));
    EXPECT_EQ(w->statusPanel->text(), QStringLiteral("終端まで検索しました"));
}

TEST_F(FolderTreeViewTest, OverviewBarPicturesTheRowsShownAndFollowsOpenAndClose) {
    compare(true);
    // Every shown row's segment, top to bottom: coloured exactly where the row differs.
    auto expectBarMatchesRows = [this](const char *when) {
        const QImage &picture = w->pic0->picture();
        const int positions = model()->rowCount() + 1; // with the header row
        const double scale = double(picture.height() - 36) / double(positions - 1);
        for (int k = 0; k < model()->rowCount(); ++k) {
            const int r = model()->gridRow(k);
            bool differs = false;
            for (int c = 0; c < 4; ++c)
                differs = differs || grid().backColor(r, c) != ResultGrid::DefaultColor;
            const int y = qRound(scale * k + 18);
            const QRgb pixel = picture.pixel(DiffOverviewBar::Side1X, y);
            EXPECT_EQ(pixel != qRgb(255, 255, 255), differs)
                << when << " " << shown()[k].toStdString();
        }
    };
    expectBarMatchesRows("closed");
    const QImage closed = w->pic0->picture();
    tree().setExpanded(rowOf("b"), true);
    tree().setExpanded(rowOf("b/c"), true);
    EXPECT_NE(w->pic0->picture(), closed); // drawn again on opening
    expectBarMatchesRows("open");
    tree().setExpanded(rowOf("b"), false);
    EXPECT_EQ(w->pic0->picture(), closed);
}

TEST_F(FolderTreeViewTest, StarAndSlashExpandAndCollapseEveryFolderFromKeysAndMenu) {
    compare(true);
    const int top = model()->rowCount();
    view()->setCurrentCell(rowOf("top.txt"), 2);
    view()->setFocus();
    key(Qt::Key_Asterisk, Qt::ShiftModifier);
    EXPECT_EQ(model()->rowCount(), grid().rows() - 1); // every entry, in tree order
    for (int k = 0; k + 1 < model()->rowCount(); ++k)
        EXPECT_LT(model()->gridRow(k), model()->gridRow(k + 1));
    EXPECT_EQ(grid().row(), rowOf("top.txt")); // the same entry stays current
    EXPECT_EQ(view()->currentIndex().row(), model()->modelRow(rowOf("top.txt")));

    // Collapsing with a deep entry current: its top-level folder becomes current.
    view()->setCurrentCell(rowOf("b/c/deep.txt"), 1);
    key(Qt::Key_Slash);
    EXPECT_EQ(model()->rowCount(), top);
    EXPECT_EQ(grid().row(), rowOf("b"));
    EXPECT_EQ(grid().col(), 1);
    EXPECT_EQ(view()->currentIndex().row(), model()->modelRow(rowOf("b")));
    // Opening b again shows b/c closed: collapsing all forgot every open folder.
    tree().setExpanded(rowOf("b"), true);
    EXPECT_FALSE(shown().contains("b/c/deep.txt"));

    // The same from the folder menu, which shows the keys and is enabled for a tree only.
    FolderViewController &folder = w->folderView();
    folder.mnuFolder_Click();
    QAction *expandAll = folder.item(FolderCommand::ExpandAll);
    EXPECT_TRUE(expandAll->isEnabled());
    EXPECT_EQ(expandAll->shortcut(), QKeySequence(Qt::Key_Asterisk));
    EXPECT_EQ(folder.item(FolderCommand::CollapseAll)->shortcut(), QKeySequence(Qt::Key_Slash));
    folder.mnuFolderItem_Click(FolderCommand::ExpandAll);
    EXPECT_TRUE(shown().contains("b/c/new.txt"));
    folder.mnuFolderItem_Click(FolderCommand::CollapseAll);
    EXPECT_EQ(model()->rowCount(), top);

    compare(false);
    folder.mnuFolder_Click();
    EXPECT_FALSE(folder.item(FolderCommand::ExpandAll)->isEnabled());
    const int rows = model()->rowCount();
    view()->setFocus();
    key(Qt::Key_Asterisk, Qt::ShiftModifier); // nothing to open in a one-level result
    EXPECT_EQ(model()->rowCount(), rows);
}

TEST_F(FolderTreeViewTest, SortingKeepsContentsUnderTheirFolderAndFoldersOpen) {
    compare(true);
    tree().setExpanded(rowOf("b"), true);
    QHeaderView *header = view()->horizontalHeader();
    auto clickHeader = [&] {
        const QPoint at(header->sectionViewportPosition(0) + 20, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    };
    clickHeader(); // ascending
    EXPECT_EQ(shown(), (QStringList{"b", "b/c", "b/in.txt", "e", "top.txt"}));
    view()->setCurrentCell(rowOf("top.txt"), 0); // the last row
    clickHeader();                               // descending: files first
    // The current row number stays; it holds b/c/new.txt now, inside closed b/c: no folder
    // opens for it, the row shown above it becomes current.
    EXPECT_EQ(shown(), (QStringList{"top.txt", "e", "b", "b/in.txt", "b/c"}));
    EXPECT_EQ(grid().row(), rowOf("b/c"));
    QStringList all;
    for (int r = 1; r < grid().rows(); ++r)
        all << (grid().isEmpty(r, 0) ? grid().text(r, 4) : grid().text(r, 0));
    EXPECT_EQ(all, (QStringList{"top.txt", "e", "e/x", "b", "b/in.txt", "b/c", "b/c/deep.txt",
                                "b/c/new.txt"}));
}

TEST_F(FolderTreeViewTest, NameCellsShowOwnNamesIndentedByDepth) {
    compare(true);
    tree().setExpanded(rowOf("b"), true);
    tree().setExpanded(rowOf("b/c"), true);
    view()->setCurrentCell(rowOf("top.txt"), 7); // no selection over the cells measured
    QApplication::processEvents();
    const QImage image = view()->viewport()->grab().toImage();
    // The first dark pixel of a name cell: where its marker or text starts.
    auto firstInk = [&](const QString &name) {
        const QRect cell = view()->visualRect(model()->index(model()->modelRow(rowOf(name)), 0));
        for (int x = cell.left(); x < cell.right(); ++x)
            for (int y = cell.top() + 2; y < cell.bottom() - 1; ++y)
                if (qGray(image.pixel(x, y)) < 128)
                    return x - cell.left();
        return -1;
    };
    // Folders start with their markers, files with their names (glyphs differ by a pixel).
    const int top = firstInk("b"), folder = firstInk("b/c");
    const int one = firstInk("b/in.txt"), two = firstInk("b/c/deep.txt");
    EXPECT_GE(top, 0);
    EXPECT_EQ(folder, top + FolderTreeController::Indent);
    EXPECT_GT(one, folder); // after the marker's room
    EXPECT_NEAR(two, one + FolderTreeController::Indent, 2);
    // The cell itself keeps the path relative to the compared folders.
    EXPECT_EQ(model()->data(model()->index(model()->modelRow(rowOf("b/c/deep.txt")), 0)),
              QVariant(QStringLiteral("b/c/deep.txt")));
}

TEST_F(FolderTreeViewTest, OneLevelResultShowsEveryRowWithoutMap) {
    compare(false);
    EXPECT_FALSE(model()->hasRowMap());
    EXPECT_EQ(model()->rowCount(), grid().rows() - 1);
    EXPECT_EQ(model()->gridRow(0), 1);
    EXPECT_EQ(model()->modelRow(grid().rows() - 1), grid().rows() - 2);
}

TEST_F(FolderTreeViewTest, LongNamesDeepDownTakeRoomFromTheIndentation) {
    w->resize(640, 700);
    compare(true); // for the column's width at the window's default size
    const QRect anyCell = view()->visualRect(model()->index(0, 0));
    const int side = std::min(anyCell.height(), FolderTreeController::Indent);
    // Too wide with the full indentation three levels down, narrow enough with a few pixels.
    const int target = anyCell.width() - 4 - side - 3 * 5;
    const QFontMetrics metrics = view()->fontMetrics();
    QString longName = QStringLiteral("n");
    while (metrics.horizontalAdvance(longName + QLatin1Char('n')) <= target)
        longName += QLatin1Char('n');
    ASSERT_GT(metrics.horizontalAdvance(longName), anyCell.width() - 4 - side - 3 * 12);
    for (const QString side : {"left", "right"}) {
        QDir().mkpath(files.filePath(side + "/a/b/c/" + longName + "d"));
        write(side + "/a/b/c/" + longName, "x");
        write(side + "/a/b/c/s", "x");
        write(side + "/a/b/c/" + longName + "d/in", "x");
    }
    compare(true);
    for (const char *folder : {"a", "a/b", "a/b/c"})
        tree().setExpanded(rowOf(folder), true);
    view()->setCurrentCell(rowOf("top.txt"), 1); // no scrolling, no selection measured
    QApplication::processEvents();
    const QImage image = view()->viewport()->grab().toImage();
    const QString prefix = QStringLiteral("a/b/c/");
    const auto [shortFirst, shortLast] = inkSpan(image, prefix + "s");
    const auto [longFirst, longLast] = inkSpan(image, prefix + longName);
    EXPECT_NEAR(shortFirst, 4 + 3 * FolderTreeController::Indent + side, 2); // a short name
    EXPECT_LT(longFirst, shortFirst - 3 * 4); // a long one moves left...
    EXPECT_GE(longLast - longFirst + 3, metrics.horizontalAdvance(longName)); // ...and shows whole

    // A click on the arrow where it is drawn opens the folder with the long name.
    const QString folder = prefix + longName + "d";
    EXPECT_FALSE(shown().contains(folder + "/in"));
    const QRect cell = nameCellOf(folder);
    const QPoint arrow(cell.left() + inkSpan(image, folder).first + 3, cell.center().y());
    EXPECT_LT(arrow.x() - cell.left(), shortFirst - 3 * 4);
    QTest::mouseClick(view()->viewport(), Qt::LeftButton, Qt::NoModifier, arrow);
    EXPECT_TRUE(shown().contains(folder + "/in"));
}

// In a window of the default width a tree's names get the room of the dates: a ten-character
// name three levels down shows whole, with the full indentation. One-level results keep their
// widths, and a wide window gives a tree the same widths as one level.
TEST_F(FolderTreeViewTest, NamesThreeLevelsDownShowWholeAtTheDefaultWidth) {
    for (const QString side : {"left", "right"}) {
        QDir().mkpath(files.filePath(side + "/a/b/c"));
        write(side + "/a/b/c/f00023.txt", "x");
    }
    auto widths = [&] {
        QList<int> out;
        for (int c = 0; c < 8; ++c)
            out << view()->columnWidth(c);
        return out;
    };
    w->resize(1280, 700);
    compare(false);
    const QList<int> wideOneLevel = widths();
    compare(true);
    EXPECT_EQ(widths(), wideOneLevel);

    w->resize(640, 700);
    compare(false);
    QApplication::processEvents();
    const QList<int> oneLevel = widths();
    compare(true);
    const QList<int> treeWidths = widths();
    for (const int c : {1, 2, 5, 6})
        EXPECT_EQ(treeWidths[c], oneLevel[c]);
    EXPECT_GT(treeWidths[0], oneLevel[0]);
    EXPECT_EQ(treeWidths[4], treeWidths[0]);
    EXPECT_LT(treeWidths[3], oneLevel[3]); // the dates make the room
    EXPECT_EQ(treeWidths[7], treeWidths[3]);

    for (const char *folder : {"a", "a/b", "a/b/c"})
        tree().setExpanded(rowOf(folder), true);
    view()->setCurrentCell(rowOf("top.txt"), 1); // no selection measured
    QApplication::processEvents();
    const QImage image = view()->viewport()->grab().toImage();
    const int side = std::min(nameCellOf("a").height(), FolderTreeController::Indent);
    const auto [first, last] = inkSpan(image, "a/b/c/f00023.txt");
    EXPECT_NEAR(first, 4 + 3 * FolderTreeController::Indent + side, 2);
    EXPECT_GE(last - first + 3, view()->fontMetrics().horizontalAdvance("f00023.txt"));

    // Back to one level: the widths it always had.
    compare(false);
    EXPECT_EQ(widths(), oneLevel);
}
