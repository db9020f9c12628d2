#include "folder/ui/FileProgressWindow.h"
#include "folder/ui/frmDialog.h"
#include "mainwindow/FolderViewController.h"
#include "mainwindow/ResultGridModel.h"
#include "mainwindow/ResultGridView.h"
#include "mainwindow/frmMain.h"
#include "platform/NativePath.h"
#include "support/TempFiles.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QString Folder = QStringLiteral("フォルダ");
const QString Date = QStringLiteral("2024/01/02 03:04:05");

struct Entry {
    QString name, size, type, exact; // an empty name: no entry on that side
};

class FolderViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir().mkpath(left()));
        ASSERT_TRUE(QDir().mkpath(right()));
        w = std::make_unique<frmMain>(QStringList(), files.filePath("setting.ini"));
        w->resize(1200, 700);
        w->show();
        QApplication::processEvents();
        QApplication::processEvents();
        w->waitForRun();
        w->workspace().sShowView(ResultView::Folder);
        w->cb[0]->setEditText(left());
        w->cb[1]->setEditText(right());
        w->folderView().startInstance = [this](const QStringList &paths) {
            started << paths;
            return true;
        };
        w->folderView().openPath = [this](const QString &path) {
            opened << path;
            return true;
        };
    }

    QString left() const { return files.filePath("left"); }
    QString right() const { return files.filePath("right"); }
    ResultGrid &grid() { return w->workspace().fgF; }
    ResultGridView *view() { return w->view(ResultView::Folder); }

    // Fills the folder grid by hand: one row per pair of entries.
    void fill(const QList<std::pair<Entry, Entry>> &rows) {
        ResultGrid &g = grid();
        g.setRedraw(false);
        g.setRows(1 + int(rows.size()));
        const QStringList header = {"ファイル名", "サイズ", "種類", "更新日付"};
        for (int c = 0; c < 8; ++c)
            g.setText(0, c, header[c % 4]);
        for (int r = 1; r <= rows.size(); ++r) {
            const auto &[a, b] = rows[r - 1];
            const Entry *sides[2] = {&a, &b};
            for (int h = 0; h < 2; ++h) {
                const Entry &e = *sides[h];
                g.setText(r, 4 * h, e.name);
                g.setText(r, 4 * h + 1, e.size);
                g.setText(r, 4 * h + 2, e.type);
                g.setText(r, 4 * h + 3, e.name.isEmpty() ? QString() : Date);
                g.setText(r, 8 + h, e.name.isEmpty() ? QStringLiteral("0") : e.exact);
            }
        }
        g.setRow(1);
        g.setCol(0);
        g.setRedraw(true);
        QApplication::processEvents();
    }

    QStringList column(int c) {
        QStringList texts;
        for (int r = 1; r < grid().rows(); ++r)
            texts << grid().text(r, c);
        return texts;
    }

    void clickHeader(int col) {
        QHeaderView *header = view()->horizontalHeader();
        const QPoint at(header->sectionViewportPosition(col) + header->sectionSize(col) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    }

    void select(int firstRow, int lastRow, int col) {
        view()->setCurrentCell(firstRow, col);
        ResultGridModel *m = view()->gridModel();
        view()->selectionModel()->select(QItemSelection(m->index(m->modelRow(firstRow), col),
                                                        m->index(m->modelRow(lastRow), col)),
                                         QItemSelectionModel::ClearAndSelect);
    }

    TempFiles files;
    std::unique_ptr<frmMain> w;
    QList<QStringList> started;
    QStringList opened;
};

const QList<std::pair<Entry, Entry>> SortRows = {
    {{"b.txt", "1.00 KB", "txt", "1025"}, {"b.txt", "1.00 KB", "txt", "1025"}},
    {{"sub", "", Folder, "0"}, {"sub", "", Folder, "0"}},
    {{"A.txt", "900 byte", "txt", "900"}, {"A.txt", "900 byte", "txt", "900"}},
    {{"c.md", "2.00 KB", "md", "2048"}, {}},
    {{}, {"right", "", Folder, "0"}},
};

} // namespace

TEST_F(FolderViewTest, HeaderClicksSortFoldersFirstByExactSizeAndAlternate) {
    fill(SortRows);
    grid().setBackColor(4, 0, 0x123456); // c.md's colour travels with it

    clickHeader(1); // size, ascending: 900 byte before 1.00 KB before 2.00 KB
    EXPECT_EQ(column(0), QStringList({"sub", "", "A.txt", "b.txt", "c.md"}));
    EXPECT_EQ(column(4), QStringList({"sub", "right", "A.txt", "b.txt", ""}));
    EXPECT_EQ(grid().tag(), QStringLiteral("1"));
    EXPECT_EQ(grid().backColor(5, 0), Color(0x123456));
    EXPECT_EQ(grid().col(), 1);
    EXPECT_EQ(w->workspace().statusText(), QStringLiteral("完了"));

    clickHeader(1); // descending: folders last
    EXPECT_EQ(column(0), QStringList({"c.md", "b.txt", "A.txt", "", "sub"}));
    EXPECT_TRUE(grid().tag().isEmpty());
    EXPECT_EQ(grid().backColor(1, 0), Color(0x123456));

    clickHeader(1); // ascending again
    EXPECT_EQ(column(0), QStringList({"sub", "", "A.txt", "b.txt", "c.md"}));

    clickHeader(0); // names without regard to case; another column starts ascending
    EXPECT_EQ(column(0), QStringList({"sub", "", "A.txt", "b.txt", "c.md"}));
    EXPECT_EQ(grid().tag(), QStringLiteral("0"));
    clickHeader(0);
    EXPECT_EQ(column(0), QStringList({"c.md", "b.txt", "A.txt", "", "sub"}));

    clickHeader(5); // the right side's sizes: a missing entry counts as 0
    EXPECT_EQ(column(4), QStringList({"sub", "right", "", "A.txt", "b.txt"}));
}

TEST_F(FolderViewTest, MenuOpensOnTheFolderGridAndEnablesByCurrentEntry) {
    fill(SortRows);
    w->workspace().setStatus(QString());
    Q_EMIT view()->contextMenuRequested(QPoint(10, 10));
    EXPECT_TRUE(w->folderView().mnuFolder->isVisible());
    EXPECT_FALSE(w->mnuEdit->isVisible());
    w->folderView().mnuFolder->hide();

    FolderViewController &folder = w->folderView();
    QAction *open = folder.item(FolderCommand::Open), *copy = folder.item(FolderCommand::CopyFiles),
            *trash = folder.item(FolderCommand::Trash);
    view()->setCurrentCell(1, 0); // b.txt on the left
    w->folderView().mnuFolder_Click();
    EXPECT_TRUE(open->isEnabled());
    EXPECT_TRUE(copy->isEnabled());
    EXPECT_TRUE(trash->isEnabled());

    view()->setCurrentCell(4, 5); // c.md exists only on the left
    w->folderView().mnuFolder_Click();
    EXPECT_FALSE(open->isEnabled());
    EXPECT_FALSE(copy->isEnabled());
    EXPECT_FALSE(trash->isEnabled());

    view()->setCurrentCell(4, 2);
    w->cb[1]->setEditText(files.filePath("no such folder")); // the boxes as they stand now
    w->folderView().mnuFolder_Click();
    EXPECT_TRUE(open->isEnabled());
    EXPECT_FALSE(copy->isEnabled());
    EXPECT_TRUE(trash->isEnabled());

    // The other grids keep the Edit menu.
    Q_EMIT w->view(ResultView::Text)->contextMenuRequested(QPoint(10, 10));
    EXPECT_TRUE(w->mnuEdit->isVisible());
    EXPECT_FALSE(w->folderView().mnuFolder->isVisible());
    w->mnuEdit->hide();
}

TEST_F(FolderViewTest, PairsGoToASecondInstanceWithTheirExistingSidesOnly) {
    fill(SortRows);
    view()->setCurrentCell(1, 0);
    w->folderView().mnuFolderItem_Click(FolderCommand::ComparePair);
    view()->setCurrentCell(4, 0);
    w->folderView().mnuFolderItem_Click(FolderCommand::ComparePair);
    view()->setCurrentCell(5, 6);
    w->folderView().fgF_DblClick(5); // FDClk 1 by default: compare
    w->folderView().fgF_DblClick(0); // the header row does nothing
    ASSERT_EQ(started.size(), 3);
    EXPECT_EQ(started[0], QStringList({left() + "/b.txt", right() + "/b.txt"}));
    EXPECT_EQ(started[1], QStringList({left() + "/c.md"}));
    EXPECT_EQ(started[2], QStringList({right() + "/right"}));
    EXPECT_TRUE(view()->isEnabled());
    EXPECT_TRUE(w->workspace().statusText().isEmpty());

    // FDClk other than 1 opens the entry; an existing one only, and the folder itself
    // where the side has no entry.
    files.write("setting.ini", "[Corvane]\nFDClk=0\n");
    files.write("left/b.txt", "B");
    view()->setCurrentCell(1, 0);
    w->folderView().fgF_DblClick(1);
    view()->setCurrentCell(3, 0); // A.txt is not on disk
    w->folderView().fgF_DblClick(3);
    view()->setCurrentCell(5, 1); // no left entry: the left folder
    w->folderView().fgF_DblClick(5);
    EXPECT_EQ(opened, QStringList({left() + "/b.txt", left() + "/"}));
    EXPECT_EQ(started.size(), 3);
}

TEST_F(FolderViewTest, CopyListsTheSelectedNamesOfItsSideAndCopiesAfterConfirmation) {
    fill({
        {{"one.txt", "3 byte", "txt", "3"}, {}},
        {{}, {"r1.txt", "2 byte", "txt", "2"}},
        {{"dir", "", Folder, "0"}, {}},
        {{}, {"r2.txt", "2 byte", "txt", "2"}},
        {{"two.txt", "3 byte", "txt", "3"}, {"two.txt", "3 byte", "txt", "3"}},
    });
    files.write("left/one.txt", "ONE");
    ASSERT_TRUE(QDir().mkpath(left() + "/dir/inner"));
    files.write("left/dir/inner/deep.txt", "DEEP");
    files.write("left/two.txt", "NEW");
    files.write("right/two.txt", "OLD");
    files.write("right/r1.txt", "R1");

    QStringList listed, kinds;
    bool okEnabled = false;
    w->folderView().execDialog = [&](frmDialog &dialog) {
        listed = dialog.names();
        for (int r = dialog.firstListRow(); r < dialog.fg->rowCount(); ++r)
            kinds << dialog.fg->item(r, 0)->text();
        okEnabled = dialog.cmdMenu[0]->isEnabled();
        EXPECT_EQ(dialog.fg->item(1, 1)->text(), right()); // the destination
        return int(QDialog::Accepted);
    };
    select(1, 5, 0);
    w->folderView().mnuFolderItem_Click(FolderCommand::CopyFiles);
    w->waitForRun(); // the folders are compared again after the copy
    EXPECT_EQ(listed, QStringList({"one.txt", "dir", "two.txt"}));
    EXPECT_EQ(kinds, QStringList({"ファイル", Folder, "ファイル"}));
    EXPECT_TRUE(okEnabled);
    EXPECT_EQ(TempFiles::read(right() + "/one.txt"), "ONE");
    EXPECT_EQ(TempFiles::read(right() + "/dir/inner/deep.txt"), "DEEP");
    EXPECT_EQ(TempFiles::read(right() + "/two.txt"), "NEW");

    // Delete on the right side, cancelled: nothing moves.
    fill({{{}, {"r1.txt", "2 byte", "txt", "2"}}});
    w->folderView().execDialog = [&](frmDialog &dialog) {
        listed = dialog.names();
        EXPECT_EQ(dialog.kind(), FileOperationKind::Trash);
        return int(QDialog::Rejected);
    };
    view()->setCurrentCell(1, 4);
    view()->setFocus();
    QTest::keyClick(view(), Qt::Key_Delete);
    EXPECT_EQ(listed, QStringList({"r1.txt"}));
    EXPECT_EQ(TempFiles::read(right() + "/r1.txt"), "R1");
}

TEST_F(FolderViewTest, ConfirmationNeverOffersAnEmptyListAndDeleteTakesEntriesOut) {
    frmDialog empty(FileOperationKind::Trash, left(), QString(), {}, QString(), w.get());
    EXPECT_FALSE(empty.cmdMenu[0]->isEnabled());
    EXPECT_EQ(empty.fg->rowCount(), 2);
    EXPECT_TRUE(empty.names().isEmpty());
    EXPECT_EQ(empty.windowTitle(), QStringLiteral("ごみ箱へ移動"));

    files.write("left/a.txt", "A");
    files.write("left/b.txt", "B");
    ASSERT_TRUE(QDir().mkpath(left() + "/c"));
    // A vanished entry gives its row to the next name; only a vanished last one stays.
    frmDialog dialog(FileOperationKind::Copy, left(), right(),
                     {"a.txt", "gone", "b.txt", "c", "gone too"}, QString(), w.get());
    EXPECT_EQ(dialog.firstListRow(), 2);
    EXPECT_EQ(dialog.names(), QStringList({"a.txt", "b.txt", "c", "gone too"}));
    EXPECT_EQ(dialog.fg->item(5, 0)->text(), QString());
    EXPECT_TRUE(dialog.cmdMenu[0]->isEnabled());

    dialog.show();
    dialog.fg->setFocus();
    dialog.fg->clearSelection();
    dialog.fg->selectRow(3);
    QTest::keyClick(dialog.fg, Qt::Key_Delete);
    EXPECT_EQ(dialog.names(), QStringList({"a.txt", "c", "gone too"}));

    // The folder rows are never taken out; emptying the list disables OK.
    dialog.fg->selectAll();
    QTest::keyClick(dialog.fg, Qt::Key_Delete);
    EXPECT_TRUE(dialog.names().isEmpty());
    EXPECT_EQ(dialog.fg->rowCount(), 3);
    EXPECT_EQ(dialog.fg->item(0, 1)->text(), left());
    EXPECT_EQ(dialog.fg->item(1, 1)->text(), right());
    EXPECT_FALSE(dialog.cmdMenu[0]->isEnabled());
}

TEST_F(FolderViewTest, QuestionWithoutATrashStandsInFrontOfTheProgressInJapanese) {
    // No trash can be made: the data folder's parent is a file.
    files.write("blocker", "");
    const QByteArray savedData = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(files.filePath("blocker/data")));
    files.write("left/a.txt", "A");
    fill({{{"a.txt", "1 byte", "txt", "1"}, {}}});
    w->folderView().execDialog = [](frmDialog &) { return int(QDialog::Accepted); };

    QString owner, title;
    QStringList buttons;
    bool modal = false, ownerShown = false;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        auto *progress = qobject_cast<FileProgressWindow *>(box->parentWidget());
        owner = progress ? QStringLiteral("progress") : QStringLiteral("other");
        ownerShown = progress && progress->isVisible();
        title = progress ? progress->windowTitle() : QString();
        modal = box->isModal();
        for (QAbstractButton *b : box->buttons())
            buttons << b->text();
        box->defaultButton()->click(); // "no": nothing is deleted
    });
    view()->setCurrentCell(1, 0);
    w->folderView().mnuFolderItem_Click(FolderCommand::Trash);
    w->waitForRun();
    qputenv("XDG_DATA_HOME", savedData);

    EXPECT_EQ(owner, "progress");
    EXPECT_TRUE(ownerShown);
    EXPECT_EQ(title, QStringLiteral("ごみ箱へ移動"));
    EXPECT_TRUE(modal);
    EXPECT_EQ(buttons, QStringList({"はい(&Y)", "いいえ(&N)"}));
    EXPECT_EQ(TempFiles::read(left() + "/a.txt"), "A");
    // The fresh comparison's summary does not hide what went wrong.
    EXPECT_TRUE(w->statusPanel->text().startsWith(QStringLiteral("完了")));
    EXPECT_TRUE(w->statusPanel->text().contains(QStringLiteral("削除しませんでした")))
        << w->statusPanel->text().toStdString();
}

TEST(FileProgressWindowTest, NamesItsOperationAndStopsOnCancel) {
    FileProgressWindow copy(FileOperationKind::Copy, nullptr);
    EXPECT_EQ(copy.windowTitle(), QStringLiteral("ファイルコピー"));
    FileProgressWindow trash(FileOperationKind::Trash, nullptr);
    EXPECT_EQ(trash.windowTitle(), QStringLiteral("ごみ箱へ移動"));
    EXPECT_TRUE(trash.report(1, 4, decodeNativeName("caf\xe9.txt")));
    EXPECT_EQ(trash.value(), 250);
    EXPECT_TRUE(trash.findChild<QLabel *>()->text().endsWith(QStringLiteral("caf\uFFFD.txt")));
    trash.cancel();
    EXPECT_FALSE(trash.report(2, 4, "b.txt"));
}
