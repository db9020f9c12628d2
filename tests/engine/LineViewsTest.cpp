#include "engine/LineViews.h"

#include <gtest/gtest.h>

namespace {

// Lines over one text, as a split makes them: empty lines and the empty last line included.
QStringList linesOver(const QString &text) {
    QStringList lines;
    qsizetype from = 0;
    for (qsizetype at = text.indexOf(u'\n'); at >= 0; at = text.indexOf(u'\n', from)) {
        lines << QString::fromRawData(text.constData() + from, at - from);
        from = at + 1;
    }
    lines << QString::fromRawData(text.constData() + from, text.size() - from);
    return lines;
}

} // namespace

TEST(LineViews, GiveEveryLineBackWhereverItLies) {
    const QString text = QStringLiteral("first\n\n  third line\n\n");
    const QStringList shared = linesOver(text);
    const QStringList own = {QString::fromLatin1("made"), QString(), QString::fromLatin1("apart")};
    QStringList mixed = shared;
    mixed.insert(2, QString::fromLatin1("one of its own"));
    const QStringList *all[] = {&shared, &own, &mixed};
    for (const QStringList *lines : all) {
        const LineViews views(*lines);
        ASSERT_EQ(views.size(), lines->size());
        for (qsizetype k = 0; k < lines->size(); ++k)
            EXPECT_EQ(views[k], (*lines)[k]) << k;
    }
    // Shared lines are given back over the text itself, with no copy.
    const LineViews views(shared);
    EXPECT_TRUE(views.allShared());
    EXPECT_EQ(views[2].constData(), shared[2].constData());
    EXPECT_FALSE(LineViews(own).allShared());
    EXPECT_FALSE(LineViews(mixed).allShared());
    EXPECT_EQ(LineViews(QStringList()).size(), 0);
}

TEST(LineViews, SplitTextGivesTheLinesWhereTheyLieInTheText) {
    const QString text = QStringLiteral("a\r\nb\n\n\rc\r");
    const LineViews plain = LineViews::splitText(text);
    EXPECT_EQ(plain.toList(), QStringList({"a\r", "b", "", "\rc\r"}));
    EXPECT_TRUE(plain.allShared());
    EXPECT_EQ(plain[1].constData(), text.constData() + 3);
    // Only the CR of a CR LF pair goes with the break.
    EXPECT_EQ(LineViews::splitText(text, true).toList(), QStringList({"a", "b", "", "\rc\r"}));
    EXPECT_EQ(LineViews::splitText(QStringLiteral("\n")).toList(), QStringList({"", ""}));
    EXPECT_EQ(LineViews::splitText(QString()).size(), 0);
}
