#include "oneline/ui/frmText.h"
#include "engine/Workspace.h"

#include <QLabel>
#include <QPushButton>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

constexpr Color Red = 0x0000FF;
constexpr Color Green = 0x00FF00;
constexpr Color Blue = 0xFF0000;

// The background of the character at a document position; invalid when it has none.
QColor backgroundAt(const frmText &w, int position) {
    QTextCursor c(w.rtb->document());
    c.setPosition(position + 1); // the format of the character before the cursor
    const QBrush brush = c.charFormat().background();
    return brush.style() == Qt::NoBrush ? QColor() : brush.color();
}

// A workspace whose text grid is in front, with legend colours that are easy to tell apart
// and one data row (row 2) that is the current row.
struct TextRow {
    TextRow(const QString &left, const QString &right) {
        ws.txtState = {Red, Green, Blue};
        ws.fg.setRows(4);
        ws.fg.setText(1, 1, QStringLiteral("other left"));
        ws.fg.setText(1, 3, QStringLiteral("other right"));
        ws.fg.setText(2, 1, left);
        ws.fg.setText(2, 3, right);
        ws.fg.setRow(2);
        ws.fg.setCol(1);
    }
    Workspace ws;
};

} // namespace

TEST(frmText, ShowsTheCurrentRowOfTheTextGridAndColoursItsDifferences) {
    TextRow t(QStringLiteral("abc"), QStringLiteral("aXcde"));
    frmText w(t.ws);
    EXPECT_EQ(w.rtb->toPlainText(), QStringLiteral("abc\naXcde"));
    ASSERT_EQ(w.rightStart(), 4);
    EXPECT_FALSE(backgroundAt(w, 0).isValid());
    EXPECT_EQ(backgroundAt(w, 1), QColor(255, 0, 0)); // b: changed
    EXPECT_FALSE(backgroundAt(w, 2).isValid());
    EXPECT_FALSE(backgroundAt(w, 4).isValid());
    EXPECT_EQ(backgroundAt(w, 5), QColor(255, 0, 0)); // X: changed
    EXPECT_FALSE(backgroundAt(w, 6).isValid());
    EXPECT_EQ(backgroundAt(w, 7), QColor(0, 255, 0)); // d, e: added
    EXPECT_EQ(backgroundAt(w, 8), QColor(0, 255, 0));
    // Colouring changes the background alone.
    QTextCursor plain(w.rtb->document());
    plain.setPosition(1);
    QTextCursor coloured(w.rtb->document());
    coloured.setPosition(2);
    EXPECT_EQ(coloured.charFormat().font(), plain.charFormat().font());
    // The caret waits at the start with nothing selected.
    EXPECT_EQ(w.rtb->textCursor().position(), 0);
    EXPECT_FALSE(w.rtb->textCursor().hasSelection());
}

TEST(frmText, IgnoreCaseAndEmptyLinesColourNothing) {
    {
        TextRow t(QStringLiteral("ABC"), QStringLiteral("abc"));
        t.ws.ignoreCase = true;
        frmText w(t.ws);
        for (int p : {0, 1, 2, 4, 5, 6})
            EXPECT_FALSE(backgroundAt(w, p).isValid()) << p;
    }
    {
        TextRow t{QString(), QString()};
        frmText w(t.ws);
        EXPECT_EQ(w.rtb->toPlainText(), QStringLiteral("\n"));
        EXPECT_EQ(w.rightStart(), 1);
        EXPECT_FALSE(backgroundAt(w, 0).isValid());
    }
    {
        // No current row inside the grid (nothing compared yet): two empty lines, no failure.
        Workspace ws;
        ws.fg.setRows(0);
        frmText w(ws);
        EXPECT_EQ(w.rtb->toPlainText(), QStringLiteral("\n"));
    }
}

TEST(frmText, BreaksInsideALineKeepBothLinesOnTheirRows) {
    // Clipboard lines are split at CR LF only: a lone LF or CR stays inside the line.
    TextRow t(QStringLiteral("a\nbc"), QStringLiteral("a\rbX"));
    frmText w(t.ws);
    EXPECT_EQ(w.rtb->document()->blockCount(), 2);
    EXPECT_EQ(w.rtb->toPlainText(), QStringLiteral("a␊bc\na␍bX"));
    ASSERT_EQ(w.rightStart(), 5);
    EXPECT_EQ(backgroundAt(w, 1), QColor(255, 0, 0)); // LF against CR
    EXPECT_FALSE(backgroundAt(w, 2).isValid());
    EXPECT_EQ(backgroundAt(w, 3), QColor(255, 0, 0));
    EXPECT_EQ(backgroundAt(w, 8), QColor(255, 0, 0));
}

TEST(frmText, ReadsTheBinaryGridWhenItIsInFront) {
    TextRow t(QStringLiteral("text left"), QStringLiteral("text right"));
    t.ws.sShowView(ResultView::Binary);
    ResultGrid &g = t.ws.fgB;
    g.setRows(4);
    g.setText(2, 1, QStringLiteral("41 42 43"));
    g.setText(2, 3, QStringLiteral("41 44 43"));
    g.setText(3, 1, QStringLiteral("ignored"));
    g.setRow(2);
    frmText w(t.ws);
    EXPECT_EQ(w.rtb->toPlainText(), QStringLiteral("41 42 43\n41 44 43"));
    EXPECT_EQ(backgroundAt(w, 4), QColor(255, 0, 0));
    EXPECT_EQ(backgroundAt(w, w.rightStart() + 4), QColor(255, 0, 0));
    EXPECT_FALSE(backgroundAt(w, 3).isValid());
}

TEST(frmText, CaptionsNameBothSourcesAsPlainText) {
    TextRow t(QStringLiteral("a"), QStringLiteral("b"));
    t.ws.cb = {QStringLiteral("/tmp/<b>left</b>.txt"), QStringLiteral("Clipboard")};
    frmText w(t.ws);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("１行比較"));
    EXPECT_EQ(w.lblLeft->text(), QStringLiteral("左：/tmp/<b>left</b>.txt"));
    EXPECT_EQ(w.lblLeft->textFormat(), Qt::PlainText);
    EXPECT_EQ(w.lblRight->text(), QStringLiteral("右：Clipboard"));
    EXPECT_EQ(w.cmdClose->text(), QStringLiteral("閉じる"));
    EXPECT_EQ(w.lblLeft->pos(), QPoint(3, 5));
    EXPECT_EQ(w.lblRight->x(), 3);
    EXPECT_GE(w.lblRight->y(), 20);
    EXPECT_GE(w.lblLeft->height(), 12);
    // Neither caption overlaps the other or the text box.
    EXPECT_GT(w.lblRight->y(), w.lblLeft->geometry().bottom());
    EXPECT_GT(w.rtb->y(), w.lblRight->geometry().bottom());
}

TEST(frmText, SizeFollowsTheOwnerAndResizeKeepsTheLayout) {
    QWidget owner;
    owner.resize(1000, 700);
    TextRow t(QStringLiteral("a"), QStringLiteral("b"));
    frmText w(t.ws, &owner);
    EXPECT_EQ(w.width(), 900);
    w.show();
    for (int width : {640, 501}) {
        w.resize(width, w.height());
        EXPECT_EQ(w.width(), width);
        EXPECT_EQ(w.rtb->x(), 0);
        EXPECT_EQ(w.rtb->width(), width);
        EXPECT_EQ(w.lblLeft->width(), width);
        EXPECT_EQ(w.lblRight->width(), width);
        EXPECT_EQ(w.cmdClose->x(), (width - w.cmdClose->width()) / 2);
        // The button stays below the text box and inside the window.
        EXPECT_GT(w.cmdClose->y(), w.rtb->geometry().bottom());
        EXPECT_LE(w.cmdClose->geometry().bottom(), w.height());
    }
    w.cmdClose->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.result(), QDialog::Accepted);
}
