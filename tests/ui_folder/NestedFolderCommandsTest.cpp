// The folder commands on the rows of a comparison through every level, run in the window.
#include "folder/ui/frmDialog.h"
#include "mainwindow/FolderViewController.h"
#include "mainwindow/ResultGridModel.h"
#include "mainwindow/ResultGridView.h"
#include "mainwindow/frmMain.h"
#include "support/FolderNames.h"
#include "support/TempFiles.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <memory>

namespace {

class NestedFolderCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_savedData = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(files.filePath("data"))); // never the real one
        // Many equal files, so that the list scrolls.
        for (int i = 0; i < 60; ++i) {
            const QString name = QStringLiteral("f%1.txt").arg(i, 2, 10, QLatin1Char('0'));
            files.write("left/" + name, "SAME");
            files.write("right/" + name, "SAME");
        }
        files.write("left/a/same.txt", "SAME");
        files.write("right/a/same.txt", "SAME");
        files.write("left/a/b/c/new.txt", "NEW");
        files.write("right/a/gone.txt", "GONE");
        stampEverything();

        w = std::make_unique<frmMain>(QStringList(), files.filePath("setting.ini"));
        w->resize(1200, 700);
        w->show();
        QApplication::processEvents();
        w->waitForRun();
        w->workspace().recursiveFolders = true;
        w->workspace().sShowView(ResultView::Folder);
        w->cb[0]->setEditText(left());
        w->cb[1]->setEditText(right());
        w->folderView().execDialog = [this](frmDialog &dialog) {
            listed = dialog.names();
            return int(QDialog::Accepted);
        };
        w->folderView().startInstance = [this](const QStringList &paths) {
            started << paths;
            return true;
        };
        w->folderView().openPath = [this](const QString &path) {
            opened << path;
            return true;
        };
        compare();
    }
    void TearDown() override { qputenv("XDG_DATA_HOME", m_savedData); }

    // Every entry gets one time: entries written a second apart would differ by date.
    void stampEverything() {
        QDirIterator it(files.path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        const struct timespec times[2] = {{1577934245, 0}, {1577934245, 0}};
        while (it.hasNext())
            ::utimensat(AT_FDCWD, QFile::encodeName(it.next()).constData(), times, 0);
    }

    void compare() {
        w->runComparison();
        w->waitForRun();
    }

    QString left() const { return files.filePath("left"); }
    QString right() const { return files.filePath("right"); }
    ResultGrid &grid() { return w->workspace().fgF; }
    ResultGridView *view() { return w->view(ResultView::Folder); }

    int rowOf(const QString &name) {
        for (int r = grid().fixedRows(); r < grid().rows(); ++r) {
            if (grid().text(r, 0) == name || grid().text(r, 4) == name)
                return r;
        }
        ADD_FAILURE() << "no row " << name.toStdString();
        return -1;
    }

    QString nameAt(int r) { return grid().isEmpty(r, 0) ? grid().text(r, 4) : grid().text(r, 0); }

    bool changed(int r) { return grid().backColor(r, 0) == w->workspace().txtState[0]; }

    TempFiles files;
    QByteArray m_savedData;
    std::unique_ptr<frmMain> w;
    QStringList listed, opened;
    QList<QStringList> started;
};

} // namespace

TEST_F(NestedFolderCommandsTest, CopyOfADeepEntryMakesItsFoldersEqualAndKeepsTheViewsPlace) {
    ASSERT_TRUE(changed(rowOf("a")));
    const int oneSided = rowOf("a/b");
    ASSERT_TRUE(grid().isEmpty(oneSided, 4));
    // The view looks at the middle of the list, the current cell on the one-sided folder.
    const int top = std::max(grid().fixedRows() + 10,
                             std::min(oneSided, grid().rows() - view()->visibleRows() - 5));
    view()->setCurrentCell(oneSided, 0);
    view()->setTopRow(top);
    const QString topName = nameAt(top);
    w->folderView().mnuFolderItem_Click(FolderCommand::CopyFiles);
    w->waitForRun();

    EXPECT_EQ(listed, QStringList({"a/b"}));
    EXPECT_EQ(TempFiles::read(right() + "/a/b/c/new.txt"), "NEW");
    // The fresh comparison: the folders below "a" pair now; "a" still differs by gone.txt.
    EXPECT_EQ(grid().text(rowOf("a/b/c/new.txt"), 4), "a/b/c/new.txt");
    EXPECT_FALSE(changed(rowOf("a/b")));
    EXPECT_TRUE(changed(rowOf("a")));
    EXPECT_EQ(grid().text(grid().row(), 0), "a/b");
    EXPECT_EQ(nameAt(view()->topRow()), topName);

    // The last difference copied over: the pair of "a" becomes equal.
    view()->setCurrentCell(rowOf("a/gone.txt"), 4);
    w->folderView().mnuFolderItem_Click(FolderCommand::CopyFiles);
    w->waitForRun();
    EXPECT_EQ(TempFiles::read(left() + "/a/gone.txt"), "GONE");
    EXPECT_FALSE(changed(rowOf("a")));
    EXPECT_EQ(
        w->workspace().DiffCount + w->workspace().LeftOnlyCount + w->workspace().RightOnlyCount, 0);
    EXPECT_EQ(grid().text(grid().row(), 4), "a/gone.txt");
}

TEST_F(NestedFolderCommandsTest, DeepRowsOpenCompareAndGoToTheTrashOnce) {
    view()->setCurrentCell(rowOf("a/same.txt"), 4);
    w->folderView().mnuFolderItem_Click(FolderCommand::ComparePair);
    w->folderView().mnuFolderItem_Click(FolderCommand::Open);
    view()->setCurrentCell(rowOf("a/b"), 0);
    w->folderView().mnuFolderItem_Click(FolderCommand::ComparePair); // one side only
    ASSERT_EQ(started.size(), 2);
    EXPECT_EQ(started[0], QStringList({left() + "/a/same.txt", right() + "/a/same.txt"}));
    EXPECT_EQ(started[1], QStringList({left() + "/a/b"}));
    EXPECT_EQ(opened, QStringList({right() + "/a/same.txt"}));

    // The folder and the rows inside it selected together: the folder goes, once.
    const int first = rowOf("a"), last = rowOf("a/b");
    ASSERT_LT(first, last);
    view()->setCurrentCell(first, 0);
    ResultGridModel *m = view()->gridModel();
    view()->selectionModel()->select(
        QItemSelection(m->index(m->modelRow(first), 0), m->index(m->modelRow(last), 0)),
        QItemSelectionModel::ClearAndSelect);
    w->folderView().mnuFolderItem_Click(FolderCommand::Trash);
    w->waitForRun();
    EXPECT_TRUE(listed.contains("a"));
    EXPECT_TRUE(listed.contains("a/b"));
    const QString trash = files.filePath("data/Trash");
    EXPECT_EQ(namesIn(trash + "/files"), QStringList({"a"}));
    EXPECT_EQ(namesIn(trash + "/files/a"), QStringList({"b", "same.txt"}));
    EXPECT_FALSE(QFileInfo::exists(left() + "/a"));
    EXPECT_TRUE(grid().isEmpty(rowOf("a"), 0)); // now only on the right
}
