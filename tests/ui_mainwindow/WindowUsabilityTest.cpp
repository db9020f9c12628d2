// The main window as a user meets it: menu help texts by real navigation, the binary walk,
// placement after a maximised start, the path row at a large font, the minimum size, Enter in a
// path box, clipboard text that ends in a line break and the default grid font.
#include "engine/EngineTexts.h"
#include "mainwindow/HelpMenu.h"
#include "mainwindow/ResultGridView.h"
#include "mainwindow/TextViewController.h"
#include "mainwindow/WindowPlacement.h"
#include "mainwindow/frmMain.h"
#include "platform/ui/Clipboard.h"
#include "support/TempFiles.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

namespace {

class WindowUsabilityTest : public ::testing::Test {
protected:
    QString iniPath() const { return files.filePath("setting.ini"); }

    std::unique_ptr<frmMain> open(const QStringList &args = {}) {
        auto w = std::make_unique<frmMain>(args, iniPath());
        w->show();
        QApplication::processEvents(); // the first showing stands in for the first activation
        QApplication::processEvents();
        w->waitForRun();
        return w;
    }

    TempFiles files;
};

// The menu that is open now (the pop-up of the menu bar or a context menu).
QMenu *openMenu() {
    return qobject_cast<QMenu *>(QApplication::activePopupWidget());
}

} // namespace

TEST_F(WindowUsabilityTest, MenuBarItemsShowTheirHelpTextAndClosingRestoresTheSummary) {
    const QString a = files.write("a.txt", "same\nold\n"), b = files.write("b.txt", "same\nnew\n");
    auto w = open({a, b});
    const QString summary = w->statusPanel->text();
    ASSERT_FALSE(summary.isEmpty());
    int shown = 0;
    for (QAction *title : w->menuBar()->actions()) {
        if (!title->isVisible() || !title->menu())
            continue;
        w->menuBar()->setActiveAction(title);
        QApplication::processEvents();
        QMenu *menu = openMenu();
        ASSERT_EQ(menu, title->menu()) << title->text().toStdString();
        // Walk every item with the keyboard: the panel shows the highlighted item's help.
        for (int step = 0; step < menu->actions().size(); ++step) {
            QTest::keyClick(menu, Qt::Key_Down);
            QAction *item = menu->activeAction();
            ASSERT_TRUE(item);
            EXPECT_EQ(w->statusPanel->text(), HelpMenu::menuHelpText(item))
                << item->text().toStdString();
            if (!HelpMenu::menuHelpText(item).isEmpty())
                ++shown;
        }
        QTest::keyClick(menu, Qt::Key_Escape); // back to the bar
        QTest::keyClick(w->menuBar(), Qt::Key_Escape);
        QApplication::processEvents();
        EXPECT_EQ(w->statusPanel->text(), summary) << title->text().toStdString();
    }
    EXPECT_GE(shown, 20); // every item of the five menus that has a text
}

// A title highlighted by the pointer alone (no menu open) takes no focus: Esc, the pointer on
// the bar's empty part and a click elsewhere each end its empty help text.
TEST_F(WindowUsabilityTest, HoveringTheMenuBarThenEscGivesBackTheSummary) {
    const QString a = files.write("a.txt", "same\nold\n"), b = files.write("b.txt", "same\nnew\n");
    auto w = open({a, b});
    const QString summary = w->statusPanel->text();
    ASSERT_FALSE(summary.isEmpty());
    QMenuBar *bar = w->menuBar();
    const QList<QAction *> titles = bar->actions();
    ASSERT_GE(titles.size(), 2);
    // A plain pointer move, as the desktop sends it (no button, not synthesised).
    auto moveTo = [](QWidget *widget, QPoint pos) {
        QMouseEvent move(QEvent::MouseMove, pos, widget->mapToGlobal(pos), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
        QApplication::processEvents();
    };
    auto hoverTitles = [&] {
        moveTo(bar, bar->actionGeometry(titles[0]).center());
        moveTo(bar, bar->actionGeometry(titles[1]).center());
        ASSERT_EQ(w->statusPanel->text(), QString()); // a title empties the panel
        ASSERT_EQ(QApplication::activePopupWidget(), nullptr);
    };

    hoverTitles();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(w->statusPanel->text(), summary);

    hoverTitles();
    const QRect last = bar->actionGeometry(titles.last());
    ASSERT_LT(last.right() + 10, bar->width());
    moveTo(bar, QPoint(last.right() + 10, last.center().y()));
    EXPECT_EQ(w->statusPanel->text(), summary);

    hoverTitles();
    QTest::mouseClick(w->activeView()->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(40, 40));
    EXPECT_EQ(w->statusPanel->text(), summary);

    // A later command's own text is not overwritten by an old pass.
    w->statusPanel->setText(QStringLiteral("after"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(w->statusPanel->text(), QStringLiteral("after"));
}

TEST_F(WindowUsabilityTest, PopupMenuClosedWithoutAChoiceGivesBackTheSummary) {
    const QString a = files.write("a.txt", "same\nold\n"), b = files.write("b.txt", "same\nnew\n");
    auto w = open({a, b});
    const QString summary = w->statusPanel->text();
    w->mnuEdit->popup(w->mapToGlobal(QPoint(200, 200)));
    QApplication::processEvents();
    ASSERT_EQ(openMenu(), w->mnuEdit);
    QTest::keyClick(w->mnuEdit, Qt::Key_Down);
    EXPECT_EQ(w->statusPanel->text(), HelpMenu::menuHelpText(w->mnuEdit->activeAction()));
    EXPECT_NE(w->statusPanel->text(), summary);
    QTest::keyClick(w->mnuEdit, Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(w->statusPanel->text(), summary);
}

TEST_F(WindowUsabilityTest, FirstNextDifferenceInBinaryModeFindsTheFirstDifferentRow) {
    QByteArray left(64, 'a'), right(64, 'a');
    right[40] = 'b'; // third row of sixteen bytes
    const QString a = files.write("a.bin", left), b = files.write("b.bin", right);
    files.write("setting.ini", "[Corvane]\nBinary=1\n");
    auto w = open({a, b});
    ASSERT_EQ(w->activeView(), w->view(ResultView::Binary));
    const ResultGrid &g = w->workspace().fgB;
    EXPECT_EQ(g.row(), 2); // the first data row is current
    w->textView().moveToDifference(true);
    EXPECT_EQ(g.row(), 4);
    EXPECT_NE(w->statusPanel->text(), QStringLiteral("終端まで検索しました"));
}

TEST_F(WindowUsabilityTest, RestoringAfterAMaximisedStartGivesTheStoredBounds) {
    files.write("setting.ini", "[Corvane]\nWinState=2\nX=1500\nY=1500\nW=9000\nH=7000\n");
    auto w = open();
    w->showNormal();
    QApplication::processEvents();
    const double px = w->logicalDpiX() / 1440.0;
    EXPECT_NEAR(w->width(), 9000 * px, 2);
    EXPECT_NEAR(w->height(), 7000 * px, 2);
    EXPECT_GT(w->activeView()->height(), 100); // the grid shows rows
}

// Bounds stored with a second monitor that is no longer there come back whole on a screen.
TEST(WindowPlacement, BoundsOffTheScreensComeBackWholeOnTheNearestOne) {
    const QRect laptop(0, 0, 1366, 728), right(1366, 0, 1920, 1040);
    const QRect onLaptop(100, 50, 800, 600);
    EXPECT_EQ(placedOnScreens(onLaptop, {laptop}), onLaptop);
    const QRect across(1000, 100, 800, 600); // across two screens side by side: as it is
    EXPECT_EQ(placedOnScreens(across, {laptop, right}), across);

    // Only 79 x 42 px of it still on the laptop: moved inside, size kept.
    EXPECT_EQ(placedOnScreens(QRect(1366 - 79, 728 - 42, 800, 600), {laptop}),
              QRect(1366 - 800, 728 - 600, 800, 600));
    // Wholly on a detached monitor: onto the nearest screen that is left.
    const QRect far(3400, 200, 800, 600);
    EXPECT_EQ(placedOnScreens(far, {laptop, right}), QRect(3286 - 800, 200, 800, 600));
    EXPECT_EQ(placedOnScreens(far, {laptop}), QRect(1366 - 800, 128, 800, 600));
    EXPECT_EQ(placedOnScreens(QRect(-2000, -900, 800, 600), {laptop, right}),
              QRect(0, 0, 800, 600));
    // Larger than the screen it lands on: shrunk to it.
    EXPECT_EQ(placedOnScreens(QRect(2000, 0, 1900, 1000), {laptop}), laptop);
    // Overlapping two screens with a part off both: onto the one it overlaps most.
    EXPECT_EQ(placedOnScreens(QRect(1300, 700, 800, 600), {laptop, right}),
              QRect(1366, 440, 800, 600));
}

TEST_F(WindowUsabilityTest, AWindowStoredOffScreenOpensWholeOnTheScreen) {
    files.write("setting.ini", "[Corvane]\nWinState=0\nX=90000\nY=-30000\nW=9000\nH=7000\n");
    auto w = open();
    const QRect area = w->screen()->availableGeometry();
    const QRect frame = w->frameGeometry();
    EXPECT_TRUE(area.contains(frame))
        << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
    const double px = w->logicalDpiX() / 1440.0;
    EXPECT_NEAR(w->width(), 9000 * px, 2); // the size it had
    EXPECT_NEAR(w->height(), 7000 * px, 2);
}

TEST_F(WindowUsabilityTest, PathRowGrowsWithALargeFont) {
    files.write("setting.ini", "[Corvane]\nFontSize=16\n");
    auto w = open();
    w->resize(1000, 600);
    QApplication::processEvents();
    for (int i = 0; i < 2; ++i) {
        QComboBox *box = w->cb[size_t(i)];
        QToolButton *button = w->cmd[size_t(i)];
        EXPECT_GE(box->height(), box->sizeHint().height());
        EXPECT_GT(button->width(), button->fontMetrics().horizontalAdvance(button->text()));
        EXPECT_EQ(button->geometry().left(), box->geometry().right() + 1);
        EXPECT_LE(button->geometry().right(), w->pic1->width()); // not cut by the window
    }
    for (QLabel *label : w->pic1->findChildren<QLabel *>()) {
        if (!label->text().startsWith(QStringLiteral("ﾊﾟｽ")))
            continue;
        EXPECT_GT(label->width(), label->fontMetrics().horizontalAdvance(label->text()));
        const QComboBox *box = label->text().endsWith(u'1') ? w->cb[0] : w->cb[1];
        EXPECT_LE(label->geometry().right(), box->geometry().left());
    }
    EXPECT_LT(w->cmd[0]->geometry().right(), w->cb[1]->geometry().left());
    EXPECT_GE(w->activeView()->geometry().top(), w->cb[0]->geometry().bottom());
}

TEST_F(WindowUsabilityTest, AtItsMinimumSizeTheLegendLeavesTheSummaryReadable) {
    const QString a = files.write("a.txt", "same\nold\ngone\n");
    const QString b = files.write("b.txt", "same\nnew\n");
    auto w = open({a, b});
    w->resize(100, 100);
    QApplication::processEvents();
    EXPECT_EQ(w->size(), w->minimumSize());
    EXPECT_GE(w->minimumWidth(), 300);
    EXPECT_GE(w->minimumHeight(), 250);
    const QString summary = w->statusPanel->text();
    ASSERT_TRUE(summary.contains(QStringLiteral("不一致行=1")));
    EXPECT_GE(w->statusPanel->width(), w->statusPanel->fontMetrics().horizontalAdvance(summary));
    EXPECT_LE(w->statusPanel->geometry().right(), w->txtState[0]->geometry().left());
    for (int k = 0; k < 2; ++k)
        EXPECT_LE(w->txtState[size_t(k)]->geometry().right(),
                  w->txtState[size_t(k + 1)]->geometry().left());
    EXPECT_GT(w->activeView()->height(), 60);
}

TEST_F(WindowUsabilityTest, EnterInAPathBoxCompares) {
    const QString a = files.write("a.txt", "one\ntwo\n"), b = files.write("b.txt", "one\n2\n");
    auto w = open();
    w->cb[0]->setEditText(a);
    w->cb[1]->setEditText(b);
    QTest::keyClick(w->cb[1]->lineEdit(), Qt::Key_Return);
    w->waitForRun();
    EXPECT_EQ(w->workspace().fg.text(2, 3), QStringLiteral("2"));
    EXPECT_EQ(w->workspace().DiffCount, 1);
}

// Clipboard text ending in CR LF ends with an empty last line, as a text file ending in a line
// break does: the two sides of the same text compare equal.
TEST_F(WindowUsabilityTest, ClipboardTextEndingInALineBreakHasTheEmptyLastLineOfAFile) {
    const QString a = files.write("a.txt", "a\r\nb\r\nc\r\n");
    auto w = open({a, QString()});
    const int fileRows = w->workspace().fg.rows();
    setClipboardText(QStringLiteral("a\r\nb\r\nc\r\n"));
    w->view(ResultView::Text)->setCurrentCell(1, 3);
    w->textView().compareClipboardText();
    w->waitForRun();
    ASSERT_EQ(w->cb[1]->currentText(), ClipboardWord);
    const ResultGrid &g = w->workspace().fg;
    EXPECT_EQ(g.rows(), fileRows);
    EXPECT_EQ(g.rows(), 5); // header, a, b, c and the empty last line
    EXPECT_EQ(
        w->workspace().DiffCount + w->workspace().LeftOnlyCount + w->workspace().RightOnlyCount, 0);
}

TEST_F(WindowUsabilityTest, WithoutAFontSettingTheGridsTakeAFixedWidthJapaneseFont) {
    const QString japanese = QStringLiteral("Noto Sans Mono CJK JP");
    if (!QFontDatabase::hasFamily(japanese))
        GTEST_SKIP() << "fonts-noto-cjk is not installed";
    auto w = open();
    const QFontInfo shown(w->view(ResultView::Text)->font());
    EXPECT_EQ(shown.family(), japanese);
    // Digits keep their width whether kana or Latin letters follow.
    const QFontMetrics metrics(w->view(ResultView::Text)->font());
    EXPECT_EQ(metrics.horizontalAdvance(QStringLiteral("12あ")),
              metrics.horizontalAdvance(QStringLiteral("12ab")));
}
