#include "mainwindow/ResultGridView.h"
#include "mainwindow/TextViewController.h"
#include "mainwindow/frmMain.h"
#include "oneline/ui/frmText.h"
#include "platform/ui/Clipboard.h"
#include "support/TempFiles.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QByteArray Left = "SAME LINE\nOLD TEXT\nSAME END\n";
const QByteArray Right = "SAME LINE\nNEW TEXT\nADDED LINE\nSAME END\n";

class OneLineCommandTest : public ::testing::Test {
protected:
    std::unique_ptr<frmMain> open(const QByteArray &settings = "[Corvane]\n") {
        files.write("setting.ini", settings);
        const QString a = files.write("a.txt", Left);
        const QString b = files.write("b.txt", Right);
        auto w = std::make_unique<frmMain>(QStringList{a, b}, files.filePath("setting.ini"));
        w->show();
        QApplication::processEvents(); // the first showing compares the two paths
        QApplication::processEvents();
        w->waitForRun();
        // Record what the window shows instead of running it modally.
        w->textView().execOneLine = [this](frmText &window) {
            ++shown;
            lines = window.rtb->toPlainText();
            leftCaption = window.lblLeft->text();
            EXPECT_EQ(window.parentWidget(), owner);
        };
        owner = w.get();
        return w;
    }

    QAction *oneLineItem(frmMain &w) {
        for (QAction *a : w.mnuEdit->actions())
            if (a->text() == QStringLiteral("１行比較(&1)"))
                return a;
        return nullptr;
    }

    TempFiles files;
    QWidget *owner = nullptr;
    int shown = 0;
    QString lines;
    QString leftCaption;
};

} // namespace

TEST_F(OneLineCommandTest, EditItemShowsTheCurrentRowOfTheGridInFront) {
    auto w = open();
    w->view(ResultView::Text)->setCurrentCell(2, 3);
    QAction *item = oneLineItem(*w);
    ASSERT_NE(item, nullptr);
    item->trigger();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(lines, QStringLiteral("OLD TEXT\nNEW TEXT"));
    EXPECT_EQ(leftCaption, QStringLiteral("左：") + files.filePath("a.txt"));
    w->view(ResultView::Text)->setCurrentCell(3, 1); // a right-only row
    item->trigger();
    EXPECT_EQ(lines, QStringLiteral("\nADDED LINE"));
    // The folder view has no lines to compare.
    w->workspace().sShowView(ResultView::Folder);
    item->trigger();
    EXPECT_EQ(shown, 2);
}

TEST_F(OneLineCommandTest, DoubleClickOpensTheWindowOnlyWhenSetToDoSo) {
    {
        auto w = open("[Corvane]\nDClk=1\n");
        ResultGridView *v = w->view(ResultView::Text);
        v->setCurrentCell(2, 1);
        Q_EMIT v->activatedAt(2);
        EXPECT_EQ(shown, 1);
        EXPECT_EQ(lines, QStringLiteral("OLD TEXT\nNEW TEXT"));
        Q_EMIT v->activatedAt(0); // the header row
        EXPECT_EQ(shown, 1);
    }
    shown = 0;
    {
        // The default opens the external editor instead (here one that does nothing).
        auto w = open("[Corvane]\nEditer=true %F\n");
        ResultGridView *v = w->view(ResultView::Text);
        v->setCurrentCell(2, 1);
        Q_EMIT v->activatedAt(2);
        EXPECT_EQ(shown, 0);
    }
}

TEST_F(OneLineCommandTest, ExternalEditorComparesTheLineOfAClipboardSide) {
    auto w = open("[Corvane]\nEditer=true %F\n");
    setClipboardText(QStringLiteral("SAME LINE\r\nPASTED TEXT"));
    w->view(ResultView::Text)->setCurrentCell(1, 3);
    w->textView().compareClipboardText();
    w->waitForRun();
    ASSERT_EQ(w->cb[1]->currentText(), QStringLiteral("Clipboard"));
    w->view(ResultView::Text)->setCurrentCell(2, 3);
    w->textView().openInEditor();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(lines, QStringLiteral("OLD TEXT\nPASTED TEXT"));
    // The file side still goes to the editor.
    w->view(ResultView::Text)->setCurrentCell(2, 1);
    w->textView().openInEditor();
    EXPECT_EQ(shown, 1);
}
