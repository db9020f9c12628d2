#include "mainwindow/TooltipText.h"

#include <QStringList>
#include <QTextDocument>

#include <gtest/gtest.h>

TEST(TooltipText, ShortTextsStayAsTheyAre) {
    EXPECT_EQ(tooltipText(QString()), QString());
    EXPECT_EQ(tooltipText(QStringLiteral("一行")), QStringLiteral("一行"));
    const QString exact = QString(200, u'x') + u'\n' + QString(200, u'y');
    EXPECT_EQ(tooltipText(exact), exact);
}

TEST(TooltipText, LongLinesAndManyLinesAreCutWithAnEllipsis) {
    // One 3,000-character cell: one line of 200 characters, the last an ellipsis.
    const QString cell = QString(3000, u'あ');
    const QString shown = tooltipText(cell);
    EXPECT_EQ(shown.size(), 200);
    EXPECT_TRUE(shown.endsWith(QChar(0x2026)));
    EXPECT_FALSE(shown.contains(u'\n'));

    QStringList many;
    for (int k = 0; k < 50; ++k)
        many << QStringLiteral("line %1").arg(k);
    const QStringList lines = tooltipText(many.join(u'\n')).split(u'\n');
    ASSERT_EQ(lines.size(), 20);
    EXPECT_EQ(lines.first(), QStringLiteral("line 0"));
    EXPECT_EQ(lines.last(), QStringLiteral("line 19") + QChar(0x2026));

    // Short lines after a long run of text: still at most 20 lines.
    const QString tall = QString(5000, u'z') + QStringLiteral("\n") + many.join(u'\n');
    EXPECT_LE(tooltipText(tall).split(u'\n').size(), 20);
    EXPECT_TRUE(tooltipText(tall).endsWith(QChar(0x2026)));
}

TEST(TooltipText, MarkupInACellIsShownNotRendered) {
    const QString line = QStringLiteral("<b>bold</b> <img src=\"/etc/x.png\"> & more");
    QTextDocument shown;
    shown.setHtml(tooltipText(line));
    EXPECT_EQ(shown.toPlainText(), line);
    EXPECT_EQ(tooltipText(QStringLiteral("a < b")), QStringLiteral("a < b")); // plain stays plain
}
