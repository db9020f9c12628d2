#include "export/StringEx.h"

#include <gtest/gtest.h>

namespace {

TEST(StringEx, BuildsAtBothEnds) {
    StringEx s;
    s.AddRear(u"middle");
    s.AddForward(u"front ");
    s.AddString(u"[", u"]");
    s.AddString(QStringView(), u" end");
    s.AddString(u"> ", QStringView());
    EXPECT_EQ(s.Text(), QStringLiteral("> [front middle] end"));
    EXPECT_EQ(s.GetStrlen(), 20);
}

TEST(StringEx, SetTextStartsAfresh) {
    StringEx s;
    s.AddRear(u"old text");
    const QString given = QStringLiteral("new");
    s.setText(given);
    EXPECT_EQ(s.Text(), given);
    s.AddRear(u"er");
    s.AddForward(u"re");
    EXPECT_EQ(s.Text(), QStringLiteral("renewer"));
    EXPECT_EQ(given, QStringLiteral("new")); // the assigned string is not changed behind it
}

TEST(StringEx, LongMixedGrowthMatchesPlainConcatenation) {
    StringEx s;
    QString expected;
    for (int i = 0; i < 20000; ++i) {
        const QString piece = QString::number(i) + u'こ';
        if (i % 3 == 0) {
            s.AddForward(piece);
            expected.prepend(piece);
        } else {
            s.AddRear(piece);
            expected.append(piece);
        }
    }
    EXPECT_EQ(s.GetStrlen(), expected.size());
    EXPECT_EQ(s.Text(), expected);
    EXPECT_EQ(s.takeText(), expected);
    EXPECT_EQ(s.GetStrlen(), 0);
    EXPECT_EQ(s.Text(), QString());
}

} // namespace
