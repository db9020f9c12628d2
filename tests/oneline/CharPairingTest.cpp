#include "oneline/CharPairing.h"

#include <gtest/gtest.h>

#include <ostream>

void PrintTo(const MarkedRun &run, std::ostream *os) {
    *os << "{" << run.start << "," << run.length << ","
        << (run.mark == CharMark::Changed ? "changed" : "added") << "}";
}

namespace {

using Runs = QList<MarkedRun>;

MarkedRun changed(int start, int length) {
    return {start, length, CharMark::Changed};
}
MarkedRun added(int start, int length) {
    return {start, length, CharMark::Added};
}

void expectPairing(const QString &left, const QString &right, bool ignoreCase,
                   const Runs &expectedLeft, const Runs &expectedRight) {
    SCOPED_TRACE(("left \"" + left + "\" right \"" + right + "\"").toStdString());
    const CharPairing p = pairCharacters(left, right, ignoreCase);
    EXPECT_EQ(p.left, expectedLeft);
    EXPECT_EQ(p.right, expectedRight);
}

const QString WideA = QStringLiteral("Ａ"); // U+FF21, full-width

} // namespace

TEST(CharWidth, TabsReachTheNextStopOfEight) {
    EXPECT_EQ(CharWidth(U'\t', 0), 8);
    EXPECT_EQ(CharWidth(U'\t', 2), 6);
    EXPECT_EQ(CharWidth(U'\t', 7), 1);
    EXPECT_EQ(CharWidth(U'\t', 8), 8);
}

TEST(CharWidth, WideAndFullWidthCharactersTakeTwo) {
    EXPECT_EQ(CharWidth(U'a', 0), 1);
    EXPECT_EQ(CharWidth(U' ', 5), 1);
    EXPECT_EQ(CharWidth(U'あ', 0), 2);
    EXPECT_EQ(CharWidth(U'漢', 3), 2);
    EXPECT_EQ(CharWidth(U'Ａ', 0), 2);
    EXPECT_EQ(CharWidth(U'한', 0), 2);             // wide, though the code page lacks it
    EXPECT_EQ(CharWidth(char32_t(0x1F600), 0), 2); // an emoji beyond the 16-bit range
    EXPECT_EQ(CharWidth(U'ｱ', 0), 1);              // half-width katakana: one byte in the code page
}

TEST(CharWidth, AmbiguousCharactersFollowTheCodePage) {
    // Double-byte in windows-31j, so Japanese text shows them wide.
    EXPECT_EQ(CharWidth(U'α', 0), 2);
    EXPECT_EQ(CharWidth(U'Д', 0), 2);
    EXPECT_EQ(CharWidth(U'─', 0), 2);
    EXPECT_EQ(CharWidth(U'×', 0), 2);
    // Not in the code page: its substitution character must not count as double-byte.
    EXPECT_EQ(CharWidth(U'é', 0), 1);
    EXPECT_EQ(CharWidth(U'ß', 0), 1);
}

TEST(CharWidth, TakesTheFirstCharacterOfAText) {
    EXPECT_EQ(CharWidth(QString(), 0), 0);
    EXPECT_EQ(CharWidth(QStringLiteral("\t"), 3), 5);
    EXPECT_EQ(CharWidth(QStringLiteral("😀"), 0), 2); // a surrogate pair is one character
}

TEST(CharPairing, EqualWidthsCompareOneToOne) {
    expectPairing("abcde", "abXde", false, {changed(2, 1)}, {changed(2, 1)});
    expectPairing("abcde", "abcde", false, {}, {});
    expectPairing("あいう", "あかう", false, {changed(1, 1)}, {changed(1, 1)});
}

TEST(CharPairing, TheLongerLineHasItsRestAdded) {
    expectPairing("abc", "abcdef", false, {}, {added(3, 3)});
    expectPairing("abcdef", "abc", false, {added(3, 3)}, {});
    expectPairing("", "xy", false, {}, {added(0, 2)});
    expectPairing("", "", false, {}, {});
    expectPairing("xy", "", false, {added(0, 2)}, {});
    // A changed character directly before the added rest stays a run of its own.
    expectPairing("ab", "aXc", false, {changed(1, 1)}, {changed(1, 1), added(2, 1)});
}

TEST(CharPairing, NarrowCharactersMakeUpAWideOne) {
    // The wide A stands against a (D = -1); b makes up the width; the x are then paired.
    expectPairing(WideA + "x", "abx", false, {changed(0, 1)}, {changed(0, 2)});
    // The same with the sides swapped (D = +1): the left side catches up.
    expectPairing("abx", WideA + "x", false, {changed(0, 2)}, {changed(0, 1)});
    // The left line ends while the right is catching up: the rest is added.
    expectPairing(WideA, "ab", false, {changed(0, 1)}, {changed(0, 1), added(1, 1)});
    // Overshoot: a wide character catching up turns the difference around.
    expectPairing(QStringLiteral("aあz"), WideA + "bz", false, {changed(0, 2)}, {changed(0, 2)});
    // Equal widths but different characters stay one to one.
    expectPairing(QStringLiteral("あい"), QStringLiteral("あＡ"), false, {changed(1, 1)},
                  {changed(1, 1)});
}

TEST(CharPairing, TabsAreMeasuredAtTheirColumn) {
    // A tab at index 2 counts 6 against a space: five more right characters make it up.
    expectPairing("ab\tZ", "ab cdefgZ", false, {changed(2, 1)}, {changed(2, 6)});
    // A tab after a wide character reaches the same stop as one after two narrow ones, so
    // the two tabs and what follows them pair one to one.
    expectPairing(QStringLiteral("あ\tx"), "ab\tx", false, {changed(0, 1)}, {changed(0, 2)});
    expectPairing("\tx", "\tx", false, {}, {});
}

TEST(CharPairing, IgnoreCaseComparesLowerCase) {
    expectPairing("ABC", "abc", true, {}, {});
    expectPairing("ABC", "abc", false, {changed(0, 3)}, {changed(0, 3)});
    expectPairing(QStringLiteral("ＡＢ"), QStringLiteral("ａｂ"), true, {}, {});
    expectPairing("AbC", "aXc", true, {changed(1, 1)}, {changed(1, 1)});
}

TEST(CharPairing, SurrogatePairsAreNeverSplit) {
    expectPairing(QStringLiteral("a😀b"), QStringLiteral("a😁b"), false, {changed(1, 2)},
                  {changed(1, 2)});
    expectPairing(QStringLiteral("a😀b"), QStringLiteral("a😀b"), false, {}, {});
    // An emoji is wide: it stands against two narrow characters.
    expectPairing(QStringLiteral("😀z"), "xyz", false, {changed(0, 2)}, {changed(0, 2)});
    // A lone surrogate is one narrow character of its own.
    const QString lone = QString(QChar(0xD800)) + "b";
    expectPairing(lone, "ab", false, {changed(0, 1)}, {changed(0, 1)});
}
