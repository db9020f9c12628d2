#include "engine/TextArena.h"

#include <QString>

#include <gtest/gtest.h>

// Every stored text reads back unchanged for as long as the arena lives, whatever its length
// and however many were stored after it; repeated short texts share their characters.
TEST(TextArena, StoredTextsStayIntactAndShortRepeatsAreKeptOnce) {
    TextArena arena;
    EXPECT_EQ(arena.store(QStringView()), nullptr);
    std::vector<std::pair<const char16_t *, QString>> kept;
    for (int k = 0; k < 20000; ++k) {
        QString text = QStringLiteral("name %1 ").arg(k).repeated(1 + k % 7);
        if (k % 997 == 0)
            text = QString(40000 + k, QChar(u'あ' + k % 50)); // beyond a block's share
        kept.emplace_back(arena.store(text), text);
    }
    for (const auto &[at, text] : kept)
        ASSERT_EQ(QStringView(at, text.size()), text);

    arena.clear();
    const char16_t *date = arena.store(u"2024/05/06 07:08:09");
    EXPECT_EQ(arena.store(QString::fromUtf16(u"2024/05/06 07:08:09")), date);
    EXPECT_NE(arena.store(u"2024/05/06 07:08:10"), date);

    TextArena other;
    other.swap(arena); // the texts move with their arena
    EXPECT_EQ(QStringView(date, 19), u"2024/05/06 07:08:09");
    EXPECT_EQ(other.store(u"2024/05/06 07:08:09"), date);
    EXPECT_NE(arena.store(u"2024/05/06 07:08:09"), date);
}
