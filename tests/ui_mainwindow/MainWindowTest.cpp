#include "engine/EngineTexts.h"
#include "mainwindow/DiffOverviewBar.h"
#include "mainwindow/HelpMenu.h"
#include "mainwindow/ResultGridView.h"
#include "mainwindow/SheetViewController.h"
#include "mainwindow/TextViewController.h"
#include "mainwindow/frmMain.h"
#include "platform/ui/Clipboard.h"
#include "settings/IniFile.h"
#include "settings/SettingCodec.h"
#include "settings/Settings.h"
#include "support/HangGuard.h"
#include "support/TempFiles.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

#include <memory>

namespace {

class MainWindowTest : public ::testing::Test {
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

    QString ini(const char *key) {
        return fReadIni(SettingsSection, QString::fromLatin1(key), iniPath(), "<missing>");
    }

    TempFiles files;
};

const QByteArray Left = "same line\nold text\nsame end\n";
const QByteArray Right = "same line\nnew text\nadded line\nsame end\n";

} // namespace

TEST_F(MainWindowTest, StartUpReadsTheSettingsAndShutDownWritesThemBack) {
    files.write("setting.ini",
                "[Corvane]\nToolbar=0\nDiffbar=0\nOnlyDF=1\nCsv=1\nColor0=255\nFontSize=12\n"
                "Return=1\nLetter=1\nFFile=2\nCombo=" +
                    (fEncodeSetting("/old/one") + "|" + fEncodeSetting("/old/ニ")).toUtf8() +
                    "\nHistory01=" + fEncodeSetting("/a|/b").toUtf8() +
                    "\nHistory02=" + fEncodeSetting("/c|/d").toUtf8() +
                    "\nHistory03=" + fEncodeSetting("no pair").toUtf8() + "\n");
    {
        auto w = open();
        Workspace &ws = w->workspace();
        EXPECT_FALSE(w->mnuViewToolbar->isChecked());
        EXPECT_TRUE(w->Toolbar1->isHidden());
        EXPECT_FALSE(w->mnuViewDiffbar->isChecked());
        EXPECT_TRUE(w->pic0->isHidden());
        EXPECT_TRUE(w->mnuViewStatusbar->isChecked());
        EXPECT_TRUE(w->tbOnlyDF->isChecked());
        EXPECT_TRUE(ws.OnlyDF);
        EXPECT_TRUE(ws.Csv);
        EXPECT_EQ(ws.txtState[0], Color(255));
        EXPECT_EQ(ws.txtState[1], Workspace::DefaultAddedColor);
        EXPECT_TRUE(ws.ignoreCase);
        EXPECT_EQ(ws.folderContentMode, 2);
        EXPECT_TRUE(ws.fg.wordWrap());
        EXPECT_EQ(w->view(ResultView::Text)->font().pointSize(), 12);
        ASSERT_EQ(w->historyLists().recentComparisons().pairs().size(), 2);
        EXPECT_EQ(w->historyLists().recentComparisons().pairs()[0].tag(), QStringLiteral("/a|/b"));
        EXPECT_EQ(w->cb[0]->count(), 2);
        EXPECT_EQ(w->cb[1]->itemText(1), QStringLiteral("/old/ニ"));
        EXPECT_TRUE(w->txtState[0]->isVisible());
        w->close();
    }
    EXPECT_EQ(ini("Toolbar"), QStringLiteral("0"));
    EXPECT_EQ(ini("Statusbar"), QStringLiteral("-1"));
    EXPECT_EQ(ini("Diffbar"), QStringLiteral("0"));
    EXPECT_EQ(ini("Top"), QStringLiteral("0"));
    EXPECT_EQ(ini("OnlyDF"), QStringLiteral("1"));
    EXPECT_EQ(ini("Binary"), QStringLiteral("0"));
    EXPECT_EQ(ini("Csv"), QStringLiteral("1"));
    EXPECT_EQ(ini("Color0"), QStringLiteral("255"));
    EXPECT_EQ(ini("Color2"), QStringLiteral("16776960"));
    EXPECT_EQ(fDecodeSetting(ini("History01")), QStringLiteral("/a|/b"));
    EXPECT_EQ(fDecodeSetting(ini("History02")), QStringLiteral("/c|/d"));
    EXPECT_EQ(Settings(iniPath()).pathHistory(), QStringList({"/old/one", "/old/ニ"}));
    EXPECT_EQ(ini("WinState"), QStringLiteral("0"));
    EXPECT_NE(ini("W"), QStringLiteral("<missing>"));
    EXPECT_EQ(ini("FontSize"), QStringLiteral("12")); // untouched lines stay
}

TEST_F(MainWindowTest, MissingSettingsFileGivesTheDefaults) {
    auto w = open();
    EXPECT_TRUE(w->mnuViewToolbar->isChecked());
    EXPECT_TRUE(w->mnuViewDiffbar->isChecked());
    EXPECT_FALSE(w->mnuOptionsOnTop->isChecked());
    EXPECT_EQ(w->workspace().txtState[2], Workspace::DefaultDeletedColor);
    EXPECT_EQ(w->view(ResultView::Text)->font().pointSize(), 9);
    // 9600 twips square at the screen's logical DPI.
    EXPECT_EQ(w->width(), qRound(9600 * w->logicalDpiX() / 1440.0));
}

TEST_F(MainWindowTest, CommandLinePathsAreComparedAtFirstShowing) {
    const QString a = files.write("a.txt", Left), b = files.write("b.txt", Right);
    auto w = open({a, b});
    const Workspace &ws = w->workspace();
    EXPECT_EQ(w->cb[0]->currentText(), a);
    EXPECT_EQ(w->cb[1]->currentText(), b);
    EXPECT_EQ(ws.DiffCount, 1);
    EXPECT_EQ(ws.RightOnlyCount, 1);
    EXPECT_TRUE(w->statusPanel->text().startsWith(QStringLiteral("完了     不一致行=1")));
    EXPECT_EQ(w->historyLists().pathHistory().entries(), QStringList({b, a}));
    EXPECT_EQ(w->historyLists().recentComparisons().pairs().first().tag(), a + "|" + b);
    // The overview bar was drawn with runs: side 1 has the changed colour somewhere.
    const QImage picture = w->pic0->picture();
    bool changedSeen = false;
    for (int y = 0; y < picture.height(); ++y)
        changedSeen |= picture.pixelColor(DiffOverviewBar::Side1X, y) == QColor(255, 255, 0);
    EXPECT_TRUE(changedSeen);

    // One argument alone is shown by itself.
    auto single = open({a});
    EXPECT_EQ(single->workspace().fg.text(2, 1), QStringLiteral("old text"));
    EXPECT_TRUE(single->workspace().fg.isEmpty(1, 2));
}

TEST_F(MainWindowTest, DroppedFilesFillThePathBoxesBySideAndCompare) {
    const QString a = files.write("a.txt", Left), b = files.write("b.txt", Right);
    auto w = open();
    w->fg_Drop({b}, 3);
    w->waitForRun();
    EXPECT_EQ(w->cb[1]->currentText(), b);
    EXPECT_TRUE(w->cb[0]->currentText().isEmpty());
    w->fg_Drop({a}, 1);
    w->waitForRun();
    EXPECT_EQ(w->cb[0]->currentText(), a);
    EXPECT_EQ(w->workspace().DiffCount, 1);
    w->fg_Drop({b, a, b}, 0);
    w->waitForRun();
    EXPECT_EQ(w->cb[0]->currentText(), b);
    EXPECT_EQ(w->cb[1]->currentText(), a);
    // A sheet list takes one file for its own side.
    w->sheetView().lv_Drop(1, {b});
    w->waitForRun();
    EXPECT_EQ(w->cb[1]->currentText(), b);
    w->sheetView().lv_Drop(0, {a});
    w->waitForRun();
    EXPECT_EQ(w->cb[0]->currentText(), a);
}

TEST_F(MainWindowTest, EscapeOutsideARunFollowsTheKey) {
    auto w = open();
    Workspace &ws = w->workspace();
    // The key goes to a path box, not to the grid: the abort flag is the window's.
    QTest::keyPress(w->cb[1], Qt::Key_Escape);
    EXPECT_TRUE(ws.bAbort);
    QTest::keyRelease(w->cb[1], Qt::Key_A);
    EXPECT_FALSE(ws.bAbort);
}

TEST_F(MainWindowTest, DifferenceWalkMovesBetweenBlocksAndReportsTheEnd) {
    const QString a = files.write("a.txt", "same a\nold b\nsame c\nsame d\n");
    const QString b = files.write("b.txt", "same a\nnew b\nadded line\nsame c\nsame d\n");
    auto w = open({a, b});
    ResultGrid &g = w->workspace().fg;
    ResultGridView *v = w->view(ResultView::Text);
    v->setCurrentCell(1, 1);
    w->textView().moveToDifference(true);
    EXPECT_EQ(g.row(), 2); // the changed row
    w->textView().moveToDifference(true);
    EXPECT_EQ(g.row(), 3); // the adjacent added row, of another colour
    w->textView().moveToDifference(true);
    EXPECT_EQ(g.row(), 3);
    EXPECT_EQ(w->statusPanel->text(), QStringLiteral("終端まで検索しました"));
    w->textView().moveToDifference(false);
    EXPECT_EQ(g.row(), 2);
}

TEST_F(MainWindowTest, ClipboardTextBecomesTheSideUnderTheCursor) {
    const QString a = files.write("a.txt", Left);
    auto w = open({a, QString()});
    setClipboardText(QStringLiteral("SAME LINE\r\nPASTED"));
    w->view(ResultView::Text)->setCurrentCell(1, 3);
    w->textView().compareClipboardText();
    w->waitForRun();
    EXPECT_EQ(w->cb[1]->currentText(), ClipboardWord);
    EXPECT_EQ(w->workspace().clipboardSlot[1], QStringLiteral("SAME LINE\r\nPASTED"));
    EXPECT_EQ(w->workspace().fg.text(2, 3), QStringLiteral("PASTED"));
    // Swapping takes the clipboard text along to the other side.
    w->swapSides();
    w->waitForRun();
    EXPECT_EQ(w->cb[0]->currentText(), ClipboardWord);
    EXPECT_EQ(w->workspace().clipboardSlot[0], QStringLiteral("SAME LINE\r\nPASTED"));
    EXPECT_EQ(w->workspace().fg.text(2, 1), QStringLiteral("PASTED"));
    // An empty clipboard does nothing.
    setClipboardText(QString());
    w->textView().compareClipboardText();
    w->waitForRun();
    EXPECT_EQ(w->cb[0]->currentText(), ClipboardWord);
}

TEST_F(MainWindowTest, ExternalEditorGetsThePathAndLineWithoutAShell) {
    const QString a = files.write("a b;$(x).txt", Left), b = files.write("b.txt", Right);
    files.write("setting.ini", "[Corvane]\nEditer=/usr/bin/touch \"%F.%L\"\n");
    auto w = open({a, b});
    w->view(ResultView::Text)->setCurrentCell(2, 1);
    w->textView().openInEditor();
    const QString expected = a + ".2";
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(expected); }, HangGuardMs));
    EXPECT_EQ(w->statusPanel->text(), QStringLiteral("ファイルを開きます"));
}

TEST_F(MainWindowTest, ClearEmptiesPathsAndViewsButKeepsTheHistory) {
    const QString a = files.write("a.txt", Left), b = files.write("b.txt", Right);
    auto w = open({a, b});
    w->clearAll();
    EXPECT_TRUE(w->cb[0]->currentText().isEmpty());
    EXPECT_TRUE(w->cb[1]->currentText().isEmpty());
    EXPECT_EQ(w->workspace().fg.rows(), 2);
    EXPECT_EQ(w->cb[0]->count(), 2);
    EXPECT_TRUE(w->statusPanel->text().isEmpty());
}

TEST_F(MainWindowTest, BinaryToggleSwitchesTheViewAndTheScrollBarMinimum) {
    auto w = open();
    w->tbBinary->trigger();
    w->waitForRun();
    EXPECT_EQ(w->workspace().shownView(), ResultView::Binary);
    EXPECT_EQ(w->activeView(), w->view(ResultView::Binary));
    EXPECT_EQ(w->pic0->vs()->minimum(), 2);
    w->tbBinary->trigger();
    w->waitForRun();
    EXPECT_EQ(w->activeView(), w->view(ResultView::Text));
    EXPECT_EQ(w->pic0->vs()->minimum(), 1);
}

TEST_F(MainWindowTest, HighlightedMenuItemsShowTheirHelpText) {
    auto w = open();
    QAction *compare = nullptr, *exit = nullptr;
    for (QAction *a : w->mnuFile->actions()) {
        if (a->text() == QStringLiteral("比較(&C)"))
            compare = a;
        if (a->text() == QStringLiteral("終了(&X)"))
            exit = a;
    }
    ASSERT_TRUE(compare && exit);
    Q_EMIT w->mnuFile->hovered(compare);
    EXPECT_EQ(w->statusPanel->text(), QStringLiteral("ファイル比較を実行します"));
    Q_EMIT w->mnuFile->hovered(exit);
    EXPECT_EQ(w->statusPanel->text(), QStringLiteral("Corvaneを終了します"));
    for (QAction *a : w->mnuView->actions()) {
        if (a->isSeparator()) {
            Q_EMIT w->mnuView->hovered(a);
            EXPECT_TRUE(w->statusPanel->text().isEmpty());
            break;
        }
    }
    EXPECT_TRUE(HelpMenu::versionText().startsWith(QStringLiteral("Corvane Ver")));
    EXPECT_TRUE(HelpMenu::versionText().contains(QStringLiteral("\t作者 ")));
}

// Within each menu of the menu bar, and in the bar itself, an access key leads to one item.
TEST_F(MainWindowTest, AccessKeysAreUniqueWithinEachMenu) {
    auto w = open();
    const auto keysOf = [](const QList<QAction *> &actions) {
        QStringList clashes;
        QHash<QChar, QString> seen;
        for (const QAction *a : actions) {
            const qsizetype at = a->text().indexOf(u'&');
            if (a->isSeparator() || at < 0 || at + 1 >= a->text().size())
                continue;
            const QChar key = a->text()[at + 1].toUpper();
            if (seen.contains(key))
                clashes << seen[key] + QStringLiteral(" / ") + a->text();
            seen.insert(key, a->text());
        }
        return clashes;
    };
    EXPECT_EQ(keysOf(w->menuBar()->actions()), QStringList());
    for (const QAction *title : w->menuBar()->actions()) {
        if (title->menu()) {
            EXPECT_EQ(keysOf(title->menu()->actions()), QStringList()) << qPrintable(title->text());
        }
    }
}

TEST_F(MainWindowTest, ClosingMaximisedKeepsTheLastNormalPlacement) {
    files.write("setting.ini", "[Corvane]\nX=1500\nY=1500\nW=9000\nH=7000\n");
    {
        auto w = open();
        w->showMaximized();
        QApplication::processEvents();
        if (!w->isMaximized())
            GTEST_SKIP() << "this platform does not maximise";
        w->close();
    }
    EXPECT_EQ(ini("WinState"), QStringLiteral("2"));
    EXPECT_EQ(ini("W"), QStringLiteral("9000"));
    EXPECT_EQ(ini("X"), QStringLiteral("1500"));
}

TEST_F(MainWindowTest, WrapModeGrowsTheRowsOnScreenToShowTheirLinesWhole) {
    files.write("setting.ini", "[Corvane]\nReturn=1\n");
    QByteArray longLine;
    for (int k = 0; k < 60; ++k)
        longLine += "word" + QByteArray::number(k) + " ";
    QByteArray left = "first line\n" + longLine + "\nlast line\n";
    QByteArray right = "first line\n" + longLine + "changed\nlast line\n";
    for (int k = 0; k < 3000; ++k)
        left += "more " + QByteArray::number(k) + "\n",
            right += "more " + QByteArray::number(k) + "\n";
    left += "tail " + longLine + "\n";
    right += "tail " + longLine + "\n";
    auto w = open({files.write("l.txt", left), files.write("r.txt", right)});
    w->resize(900, 600);
    ResultGridView *view = w->view(ResultView::Text);
    const int standard = view->verticalHeader()->defaultSectionSize();
    auto heightOf = [&](const QString &text) {
        QApplication::processEvents();
        for (int r = 0; r < view->model()->rowCount(); ++r)
            if (view->model()->index(r, 1).data().toString() == text)
                return view->rowHeight(r);
        return -1;
    };
    const int wrapped = heightOf(QString::fromLatin1(longLine));
    EXPECT_GE(wrapped, 3 * standard) << "a 300-character line in a 400-pixel column";
    EXPECT_EQ(heightOf("first line"), standard);

    // Narrower columns and a larger font need taller rows.
    w->resize(600, 600);
    const int narrower = heightOf(QString::fromLatin1(longLine));
    EXPECT_GT(narrower, wrapped);
    QFont font = view->font();
    font.setPointSizeF(font.pointSizeF() * 1.5);
    view->setFont(font);
    EXPECT_GT(heightOf(QString::fromLatin1(longLine)), narrower);

    // A row scrolled into view is measured as it comes.
    const QString far = QString::fromLatin1("tail " + longLine);
    EXPECT_EQ(heightOf(far), view->verticalHeader()->defaultSectionSize()); // not yet on screen
    view->setTopRow(view->grid()->rows() - 3);
    EXPECT_GE(heightOf(far), 3 * view->verticalHeader()->defaultSectionSize());

    // Wrap mode off: every row back to the standard height.
    w->textView().setWordWrap(false);
    EXPECT_EQ(heightOf(QString::fromLatin1(longLine)),
              view->verticalHeader()->defaultSectionSize());
}
