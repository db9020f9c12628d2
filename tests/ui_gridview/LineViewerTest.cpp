#include "mainwindow/LineViewer.h"

#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>

#include <gtest/gtest.h>

namespace {

class LineViewerTest : public ::testing::Test {
protected:
    void SetUp() override {
        QStringList lines;
        for (int i = 1; i <= 1000; ++i)
            lines << QStringLiteral("line %1").arg(i);
        viewer.setPlainText(lines.join(QLatin1Char('\n')));
        viewer.resize(300, 200);
        viewer.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&viewer));
    }

    int cursorLine() const { return viewer.textCursor().blockNumber() + 1; }

    LineViewer viewer;
};

} // namespace

TEST_F(LineViewerTest, JumpCentresTheLineAndPutsTheCursorOnIt) {
    viewer.sJumpLine(500);
    EXPECT_EQ(cursorLine(), 500);
    const int first = viewer.cursorForPosition(QPoint(1, 1)).blockNumber() + 1;
    EXPECT_LT(first, 500);
    EXPECT_GT(first, 490); // centred, not merely somewhere on screen
    const int y = viewer.cursorRect().center().y();
    EXPECT_NEAR(y, viewer.viewport()->height() / 2, viewer.fontMetrics().height() * 2);

    viewer.sJumpLine(5000); // past the end: the last line
    EXPECT_EQ(cursorLine(), 1000);
    viewer.sJumpLine(0);
    EXPECT_EQ(cursorLine(), 1);
}

TEST_F(LineViewerTest, IsReadOnlyWithoutWrapAndClosesOnF2Release) {
    EXPECT_TRUE(viewer.isReadOnly());
    EXPECT_EQ(viewer.lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_GT(viewer.viewport()->x(), 0); // room for the line numbers

    // A longer text needs a wider gutter straight away.
    const int narrow = viewer.viewport()->x();
    viewer.setPlainText(QStringLiteral("x\n").repeated(100000));
    EXPECT_GT(viewer.viewport()->x(), narrow);

    QSignalSpy closed(&viewer, &LineViewer::closeRequested);
    QTest::keyPress(&viewer, Qt::Key_F2);
    EXPECT_EQ(closed.count(), 0);
    QTest::keyRelease(&viewer, Qt::Key_F2);
    EXPECT_EQ(closed.count(), 1);
    QTest::keyClick(&viewer, Qt::Key_Down);
    EXPECT_EQ(closed.count(), 1);
}
