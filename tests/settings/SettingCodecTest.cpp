#include "settings/SettingCodec.h"

#include <gtest/gtest.h>

namespace {

TEST(SettingCodec, KnownStringEncodesExactly) {
    // 'a' = 61 00, 'b' = 62 00, each byte XOR 5A, hex without leading zeros.
    EXPECT_EQ(fEncodeSetting(QStringLiteral("ab")), QStringLiteral("&3B&5A&38&5A"));
    // 'Z' (5A) XOR 5A is 0, written as a single digit.
    EXPECT_EQ(fEncodeSetting(QStringLiteral("Z")), QStringLiteral("&0&5A"));
    // U+3042 'あ' = 42 30 in little-endian order.
    EXPECT_EQ(fEncodeSetting(QStringLiteral("あ")), QStringLiteral("&18&6A"));
    EXPECT_EQ(fEncodeSetting(QString()), QString());
}

TEST(SettingCodec, AnyTextRoundTrips) {
    const QString samples[] = {
        QString(),
        QStringLiteral("C:\\Users\\me\\a b.txt|D:\\x.txt"),
        QStringLiteral("C:\\データ\\比較結果.csv"),
        QStringLiteral("emoji 😀 and \t tab & ampersand"),
        QString(QChar(0)) + QStringLiteral("after nul"),
    };
    for (const QString &s : samples)
        EXPECT_EQ(fDecodeSetting(fEncodeSetting(s)), s) << s.toStdString();
}

TEST(SettingCodec, HandEditedGarbageDecodesWhatIsValid) {
    EXPECT_EQ(fDecodeSetting(QStringLiteral("&")), QString());
    EXPECT_EQ(fDecodeSetting(QStringLiteral("x")), QString());
    EXPECT_EQ(fDecodeSetting(QStringLiteral("&&&&")), QString());
    // Odd last byte dropped.
    EXPECT_EQ(fDecodeSetting(QStringLiteral("&3B&5A&38")), QStringLiteral("a"));
    // A damaged piece costs only its own character.
    EXPECT_EQ(fDecodeSetting(QStringLiteral("&ZZ&5A&38&5A")), QStringLiteral("b"));
    EXPECT_EQ(fDecodeSetting(QStringLiteral("&3B&5A&&5A&38&5A")), QStringLiteral("ab"));
    EXPECT_EQ(fDecodeSetting(QStringLiteral("&3B&5A&138&5A")), QStringLiteral("a"));
    EXPECT_EQ(fDecodeSetting(QStringLiteral("&+3&5A&3b&5a")), QStringLiteral("a"));
}

} // namespace
