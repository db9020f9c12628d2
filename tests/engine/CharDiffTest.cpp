#include "engine/CharDiff.h"
#include "engine/InlineMarks.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

#include <ostream>

void PrintTo(const CharSpan &span, std::ostream *os) {
    *os << "{" << span.start << "," << span.length << "}";
}

namespace {

using Spans = QList<CharSpan>;

void expectMarks(const QString &left, const QString &right, const Spans &expectedLeft,
                 const Spans &expectedRight, const LineFolding &folding = {}) {
    SCOPED_TRACE(("left \"" + left + "\" right \"" + right + "\"").toStdString());
    const LineMarks marks = diffCharacters(left, right, folding);
    EXPECT_EQ(marks.left, expectedLeft);
    EXPECT_EQ(marks.right, expectedRight);
}

// The characters a line keeps outside its marks.
QString unmarked(const QString &line, const Spans &spans) {
    QString kept;
    int from = 0;
    for (const CharSpan &s : spans) {
        kept += line.mid(from, s.start - from);
        from = s.start + s.length;
    }
    return kept + line.mid(from);
}

} // namespace

TEST(CharDiff, MarksOnlyTheCharactersThatDiffer) {
    expectMarks("abcde", "abXde", {{2, 1}}, {{2, 1}});
    expectMarks("same", "same", {}, {});
    expectMarks("", "", {}, {});
    expectMarks("あいう", "あかう", {{1, 1}}, {{1, 1}});
    expectMarks("int x = 10;", "int x = 12;", {{9, 1}}, {{9, 1}});
}

TEST(CharDiff, AnInsertionMarksOnlyTheSideThatHasIt) {
    // Unlike pairing by position, the rest of the line stays in step.
    expectMarks("abcdef", "abXcdef", {}, {{2, 1}});
    expectMarks("call(a, b)", "call(a, b, c)", {}, {{9, 3}});
    expectMarks("", "xy", {}, {{0, 2}});
    expectMarks("xy", "", {{0, 2}}, {});
    expectMarks("first second third", "first third", {{6, 7}}, {});
}

TEST(CharDiff, SeveralChangesInOneLineAreMarkedApart) {
    expectMarks("alpha beta gamma", "alpha BETA gamma DELTA", {{6, 4}}, {{6, 4}, {16, 6}});
    expectMarks("a1b2c3d4", "a9b2c3d7", {{1, 1}, {7, 1}}, {{1, 1}, {7, 1}});
}

TEST(CharDiff, ChanceMatchesInsideAChangeAreMarkedToo) {
    // "b" of "ab"/"bc" and the "e"s of two different words are not worth a gap in the marks.
    expectMarks("ab", "bc", {{0, 2}}, {{0, 2}});
    expectMarks("x = speed;", "x = level;", {{4, 5}}, {{4, 5}});
}

TEST(CharDiff, SurrogatePairsAreOneCharacter) {
    const QString smile = QStringLiteral("😀"), cry = QStringLiteral("😢"); // same high half
    expectMarks("a" + smile + "b", "a" + cry + "b", {{1, 2}}, {{1, 2}});
}

TEST(CharDiff, FoldsWhatTheComparisonIgnores) {
    LineFolding caseless;
    caseless.letterCase = true;
    expectMarks("Hello World", "hello world!", {}, {{11, 1}}, caseless);
    expectMarks("Hello", "hello", {{0, 1}}, {{0, 1}}); // case counts by default

    LineFolding width;
    width.width = true;
    expectMarks("ＡＢＣ１", "ABC2", {{3, 1}}, {{3, 1}}, width);
    expectMarks("ｶﾅ", "カナ", {}, {}, width);

    LineFolding kana;
    kana.kana = true;
    expectMarks("ひらがなX", "ヒラガナY", {{4, 1}}, {{4, 1}}, kana);

    LineFolding amount;
    amount.space = LineFolding::SpaceAmount;
    expectMarks("a  b\t", "a b", {}, {}, amount);
    expectMarks("a b", "ab", {{1, 1}}, {}, amount);

    LineFolding all;
    all.space = LineFolding::AllSpace;
    expectMarks("a b c", "abd", {{4, 1}}, {{2, 1}}, all);
}

TEST(CharDiff, UnmarkedCharactersAreCommonToBothLines) {
    // Whatever the diff chooses, what it leaves unmarked must read the same on both sides.
    QRandomGenerator random(7);
    for (int round = 0; round < 3000; ++round) {
        QString left, right;
        const int n = int(random.bounded(30)), m = int(random.bounded(30));
        for (int k = 0; k < n; ++k)
            left += QChar(char16_t(u'a' + random.bounded(4)));
        for (int k = 0; k < m; ++k)
            right += QChar(char16_t(u'a' + random.bounded(4)));
        const LineMarks marks = diffCharacters(left, right);
        SCOPED_TRACE((left + " / " + right).toStdString());
        ASSERT_EQ(unmarked(left, marks.left), unmarked(right, marks.right));
        for (const Spans *spans : {&marks.left, &marks.right}) {
            for (qsizetype s = 1; s < spans->size(); ++s)
                ASSERT_LT((*spans)[s - 1].start + (*spans)[s - 1].length, (*spans)[s].start);
        }
    }
}

TEST(CharDiff, CommonEndsFoundOnTheTextMarkAsCharactersDo) {
    // Without folding the common start and end are found on the UTF-16 text before the
    // characters are made; folding letter case over text without letters finds them
    // character by character. Both must mark alike, surrogate pairs and lone halves included.
    const char16_t alphabet[] = {u'1', u'2', u'-', 0xD83D, 0xDE00, 0xDE01, 0xDC00, u'日'};
    QRandomGenerator random(11);
    LineFolding characterByCharacter;
    characterByCharacter.letterCase = true;
    for (int round = 0; round < 20000; ++round) {
        QString common, left, right;
        for (int k = int(random.bounded(6)); k > 0; --k)
            common += QChar(alphabet[random.bounded(8)]);
        left = right = common;
        for (int k = int(random.bounded(5)); k > 0; --k)
            left.insert(int(random.bounded(int(left.size()) + 1)),
                        QChar(alphabet[random.bounded(8)]));
        for (int k = int(random.bounded(5)); k > 0; --k)
            right.insert(int(random.bounded(int(right.size()) + 1)),
                         QChar(alphabet[random.bounded(8)]));
        SCOPED_TRACE(round);
        ASSERT_EQ(diffCharacters(left, right), diffCharacters(left, right, characterByCharacter));
    }
}

TEST(CharDiff, AHugeLineWithScatteredChangesStaysCheap) {
    // Past the cap the whole stretch between the common start and end is marked.
    QString left, right;
    QRandomGenerator random(3);
    for (int k = 0; k < 100000; ++k) {
        left += QChar(char16_t(u'a' + random.bounded(26)));
        right += QChar(char16_t(u'a' + random.bounded(26)));
    }
    left.prepend(u"same start ");
    right.prepend(u"same start ");
    const LineMarks marks = diffCharacters(left, right);
    ASSERT_EQ(marks.left.size(), 1);
    EXPECT_EQ(marks.left.first().start, 11);
    EXPECT_EQ(marks.right.first().start, 11);
}

TEST(InlineMarks, AChangedPairHasALineOnEachSideInTheChangedColour) {
    ResultGrid grid(4, 1);
    grid.setRows(4);
    const Color changed = 65535, added = 16744448, deleted = 16776960;
    for (int r = 1; r < 4; ++r) {
        grid.setNumber(r, 0, r);
        grid.setText(r, 1, "left");
        grid.setNumber(r, 2, r);
        grid.setText(r, 3, "right");
    }
    for (int c = 0; c < 4; ++c)
        grid.setBackColor(1, c, changed);
    grid.setBackColor(2, 1, added);
    grid.setBackColor(2, 3, deleted);
    EXPECT_TRUE(isChangedPair(grid, 1, changed));
    EXPECT_FALSE(isChangedPair(grid, 2, changed)); // one-sided colours
    EXPECT_FALSE(isChangedPair(grid, 3, changed)); // equal
    EXPECT_FALSE(isChangedPair(grid, 0, changed)); // header
    EXPECT_EQ(strongerShade(0xFFFF00), 0xCCCC00u);
    EXPECT_EQ(strongerShade(65535), 0x00CCCCu);
}

TEST(InlineMarks, TheCacheKeepsRowsUntilCleared) {
    ResultGrid grid(4, 1);
    grid.setRows(2);
    grid.setText(1, 1, "abc");
    grid.setText(1, 3, "aXc");
    InlineMarkCache cache;
    EXPECT_EQ(cache.marks(grid, 1, {}).left, (Spans{{1, 1}}));
    grid.setText(1, 3, "abX");
    EXPECT_EQ(cache.marks(grid, 1, {}).left, (Spans{{1, 1}})); // kept
    cache.clear();
    EXPECT_EQ(cache.marks(grid, 1, {}).left, (Spans{{2, 1}}));
}

TEST(CharDiff, APairMarksAloneAsAfterLongerAndShorterPairs) {
    // The search keeps its arrays from pair to pair: what an earlier pair left in them,
    // longer or shorter, must never show in the next one's marks.
    const QString left = QStringLiteral("    value_7 = compute(49, \"record 7\");");
    const QString right = QStringLiteral("    other_9 = compute(63, \"entry 9\");");
    const LineMarks alone = diffCharacters(left, right);
    const QString longLeft = QString(70000, u'x') + left, longRight = QString(70000, u'y') + right;
    const std::pair<QString, QString> before[] = {
        {longLeft, longRight}, {QStringLiteral("ab"), QStringLiteral("bc")}, {left, left}};
    for (const auto &[a, b] : before) {
        diffCharacters(a, b);
        EXPECT_EQ(diffCharacters(left, right), alone);
    }
}
