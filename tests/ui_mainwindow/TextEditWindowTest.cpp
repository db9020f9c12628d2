#include "mainwindow/LineEditor.h"
#include "mainwindow/ResultGridView.h"
#include "mainwindow/TextEditController.h"
#include "mainwindow/frmMain.h"
#include "support/TempFiles.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

class TextEditWindowTest : public ::testing::Test {
protected:
    std::unique_ptr<frmMain> open(const QByteArray &left, const QByteArray &right) {
        leftPath = files.write("left.txt", left);
        rightPath = files.write("right.txt", right);
        auto w = std::make_unique<frmMain>(QStringList{leftPath, rightPath},
                                           files.filePath("setting.ini"));
        w->show();
        w->activateWindow();
        QApplication::setActiveWindow(w.get());
        QApplication::processEvents();
        QApplication::processEvents();
        w->waitForRun();
        w->textEdit().ask = [this](const QString &question, const QStringList &) {
            ++questions;
            lastQuestion = question;
            return answer;
        };
        return w;
    }

    static ResultGridView *textView(frmMain &w) { return w.view(ResultView::Text); }

    // The texts of a side as the grid shows them, row by row ("" where the side has no line).
    static QStringList column(frmMain &w, int col) {
        QStringList texts;
        const ResultGrid &g = w.workspace().fg;
        for (int r = 1; r < g.rows(); ++r)
            texts << g.text(r, col);
        return texts;
    }

    TempFiles files;
    QString leftPath, rightPath;
    int answer = 2; // cancel
    QString lastQuestion;
    int questions = 0;
};

} // namespace

TEST_F(TextEditWindowTest, TakingBlocksAcrossEditingAndUndoFollowInTheViewAndStatus) {
    auto w = open("one\ntwo\nthree\nfour\nfive\n", "one\nTWO\nthree\nfour\nextra\nfive\n");
    Workspace &ws = w->workspace();
    EXPECT_EQ(ws.DiffCount, 1);
    EXPECT_EQ(ws.RightOnlyCount, 1);
    const QString header = ws.fg.text(0, 3);
    ResultGridView *view = textView(*w);

    // Alt+→ on the changed row: the right side takes "two"; the cursor stays there.
    view->setCurrentCell(2, 1);
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(ws.DiffCount, 0);
    EXPECT_EQ(ws.RightOnlyCount, 1);
    EXPECT_EQ(ws.fg.row(), 2);
    EXPECT_EQ(ws.fg.text(2, 3), QStringLiteral("two"));
    EXPECT_EQ(ws.fg.text(0, 3), QStringLiteral("* ") + header);
    EXPECT_TRUE(w->windowTitle().startsWith(QStringLiteral("* ")));
    EXPECT_FALSE(w->textEdit().isModified(0));
    EXPECT_TRUE(w->statusPanel->text().startsWith(QStringLiteral("完了")));

    // Alt+← on the right-only row takes its lack across: the left side gains "extra".
    view->setCurrentCell(5, 3);
    QTest::keyClick(view, Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(ws.RightOnlyCount, 0);
    EXPECT_EQ(column(*w, 1).join(QLatin1Char('|')),
              QStringLiteral("one|two|three|four|extra|five|"));
    EXPECT_EQ(w->statusPanel->text(), QStringLiteral("完了"));

    // Typing on a row edits its line; Enter splits it and the new line is edited next.
    view->setCurrentCell(1, 1);
    view->setFocus();
    QTest::keyClicks(view, QStringLiteral("!"));
    auto *editor = view->viewport()->findChild<LineEditor *>();
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->text(), QStringLiteral("one!"));
    editor->setCursorPosition(3);
    QTest::keyClick(editor, Qt::Key_Return);
    ASSERT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->text(), QStringLiteral("!"));
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_EQ(column(*w, 1).mid(0, 3).join(QLatin1Char('|')), QStringLiteral("one|!|two"));
    EXPECT_EQ(ws.LeftOnlyCount, 1);

    // Undo three times gives back the texts as they were read.
    QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(ws.DiffCount, 1);
    EXPECT_EQ(ws.RightOnlyCount, 1);
    EXPECT_EQ(ws.fg.text(0, 3), header);
    EXPECT_FALSE(w->windowTitle().startsWith(QStringLiteral("* ")));
    // And redo does them again.
    QTest::keyClick(view, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(ws.DiffCount, 0);
    answer = 1; // the edited texts are dropped
}

TEST_F(TextEditWindowTest, UnsavedChangesAreAskedAboutAndCancelKeepsThem) {
    auto w = open("a\nb\n", "a\nc\n");
    ResultGridView *view = textView(*w);
    view->setCurrentCell(2, 1);
    w->textEdit().copyToSide(1);
    ASSERT_TRUE(w->textEdit().isModified(1));

    // A new comparison, clearing and closing each ask; cancel keeps the edited texts.
    w->runComparison();
    EXPECT_FALSE(w->isRunning());
    w->clearAll();
    EXPECT_EQ(w->workspace().fg.text(2, 3), QStringLiteral("b"));
    EXPECT_FALSE(w->close());
    EXPECT_EQ(questions, 3);
    EXPECT_TRUE(w->textEdit().isModified(1));

    // Not saving: the comparison runs and shows the files as they are.
    answer = 1;
    w->runComparison();
    w->waitForRun();
    EXPECT_FALSE(w->textEdit().hasSession());
    EXPECT_EQ(w->workspace().fg.text(2, 3), QStringLiteral("c"));
    EXPECT_EQ(questions, 4);
    // Without changes nothing is asked.
    EXPECT_TRUE(w->close());
    EXPECT_EQ(questions, 4);
}

TEST_F(TextEditWindowTest, WhatIsNotTwoTextsStaysReadOnlyAndSaysSo) {
    auto w = open("a\nb\n", "a\nc\n");
    w->tbBinary->trigger();
    w->waitForRun();
    ResultGridView *view = textView(*w);
    w->textEdit().copyToSide(1);
    EXPECT_FALSE(w->textEdit().hasSession());
    EXPECT_TRUE(w->statusPanel->text().contains(QStringLiteral("編集できません")));
    // The commands are greyed in the Edit menu.
    Q_EMIT w->mnuEdit->aboutToShow();
    for (QAction *action : w->mnuEdit->actions()) {
        if (action->text().startsWith(QStringLiteral("右へコピー"))) {
            EXPECT_FALSE(action->isEnabled());
        }
    }
    (void)view;
}

// The whole task as a user does it: take two blocks across, edit a line and take it back,
// save with Ctrl+S, compare again.
TEST_F(TextEditWindowTest, SavedSideKeepsItsLineEndsAndComparesEqualAfterwards) {
    auto w = open("one\r\ntwo\r\nthree\r\nfour\r\nfive\r\n", "one\nTWO\nthree\nfour\nFIVE\nsix\n");
    Workspace &ws = w->workspace();
    ResultGridView *view = textView(*w);
    view->setFocus();
    view->setCurrentCell(2, 1);
    QTest::keyClick(view, Qt::Key_Left, Qt::AltModifier);
    view->setCurrentCell(5, 1);
    QTest::keyClick(view, Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(ws.DiffCount + ws.LeftOnlyCount + ws.RightOnlyCount, 0);
    view->setCurrentCell(1, 1);
    w->textEdit().editCurrentLine(QStringLiteral("!"));
    QTest::keyClick(view->viewport()->findChild<LineEditor *>(), Qt::Key_Down);
    EXPECT_EQ(ws.DiffCount, 1);
    view->setFocus();
    QTest::keyClick(view->viewport()->findChild<LineEditor *>(), Qt::Key_Escape);
    QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(ws.DiffCount, 0);
    ASSERT_TRUE(w->textEdit().isModified(0));

    QTest::keyClick(view, Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(w->textEdit().isModified(0));
    EXPECT_EQ(files.read(leftPath), QByteArray("one\r\nTWO\r\nthree\r\nfour\r\nFIVE\r\nsix\r\n"));
    EXPECT_EQ(files.read(rightPath), QByteArray("one\nTWO\nthree\nfour\nFIVE\nsix\n"));
    EXPECT_FALSE(w->windowTitle().startsWith(QStringLiteral("* ")));

    w->runComparison();
    w->waitForRun();
    EXPECT_EQ(questions, 0);
    EXPECT_EQ(ws.DiffCount + ws.LeftOnlyCount + ws.RightOnlyCount, 0);
    EXPECT_TRUE(w->statusPanel->text().startsWith(QStringLiteral("完了")));
}

TEST_F(TextEditWindowTest, AFileChangedSinceItWasReadIsNotOverwrittenBlindly) {
    auto w = open("a\nb\n", "a\nc\n");
    textView(*w)->setCurrentCell(2, 1);
    w->textEdit().copyToSide(1);
    files.write("right.txt", "someone else's text\n");
    answer = 2; // cancel
    EXPECT_FALSE(w->textEdit().saveSide(1));
    EXPECT_TRUE(lastQuestion.contains(QStringLiteral("変更されています")));
    EXPECT_EQ(files.read(rightPath), QByteArray("someone else's text\n"));
    answer = 0; // overwrite
    EXPECT_TRUE(w->textEdit().saveSide(1));
    EXPECT_EQ(files.read(rightPath), QByteArray("a\nb\n"));
}
