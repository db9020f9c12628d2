#include "engine/LineKeys.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

LineFolding only(void (*set)(LineFolding &)) {
    LineFolding f;
    set(f);
    return f;
}

} // namespace

TEST(LineKeys, EachFoldingMakesItsFormsEqualAndNothingElse) {
    const LineFolding amount = only([](LineFolding &f) { f.space = LineFolding::SpaceAmount; });
    EXPECT_EQ(comparisonKey(u"a  b\t c  "_s, amount), comparisonKey(u"a b c"_s, amount));
    EXPECT_NE(comparisonKey(u"ab"_s, amount), comparisonKey(u"a b"_s, amount));
    EXPECT_NE(comparisonKey(u"  x"_s, amount), comparisonKey(u"x"_s, amount));
    EXPECT_EQ(comparisonKey(u"\u3000x"_s, amount), comparisonKey(u" x"_s, amount));

    const LineFolding all = only([](LineFolding &f) { f.space = LineFolding::AllSpace; });
    EXPECT_EQ(comparisonKey(u" a b\tc "_s, all), comparisonKey(u"abc"_s, all));

    const LineFolding width = only([](LineFolding &f) { f.width = true; });
    EXPECT_EQ(comparisonKey(u"ＡＢＣ１２３！"_s, width), u"ABC123!"_s);
    EXPECT_EQ(comparisonKey(u"ｶﾞｷﾞｸﾞ ﾊﾟﾝ"_s, width), u"ガギグ パン"_s);
    EXPECT_EQ(comparisonKey(u"①ｱ"_s, width), u"①ア"_s); // only width forms are folded
    EXPECT_NE(comparisonKey(u"あ"_s, width), comparisonKey(u"ア"_s, width));

    const LineFolding kana = only([](LineFolding &f) { f.kana = true; });
    EXPECT_EQ(comparisonKey(u"ひらがなゝ"_s, kana), comparisonKey(u"ヒラガナヽ"_s, kana));
    EXPECT_NE(comparisonKey(u"ｶ"_s, kana), comparisonKey(u"か"_s, kana)); // width still counts

    LineFolding both = width;
    both.kana = true;
    both.letterCase = true;
    EXPECT_EQ(comparisonKey(u"ｶﾞｸｾｲ Ｎｏ"_s, both), comparisonKey(u"がくせい no"_s, both));

    // Letter case alone does not make a key: the specified exact matching stays.
    LineFolding caseOnly;
    caseOnly.letterCase = true;
    EXPECT_FALSE(caseOnly.active());
    EXPECT_EQ(comparisonKey(u"ABC"_s, caseOnly), u"ABC"_s);
}

TEST(LineKeys, IgnoredBlankLinesStayOutOfThePairingAndComeBackInPlace) {
    const QStringList left{"alpha line", "", "beta line", "gamma line", "  "};
    const QStringList right{"", "alpha line", "beta line", "", "\t", "gamma line"};
    LineFolding f;
    f.blankLines = true;
    PairTable table;
    ASSERT_TRUE(matchFoldedLines(left, right, f, MatchParams{}, false, table));
    std::vector<PairTable::Row> rows(table.rows().begin() + 1, table.rows().end());
    const std::vector<PairTable::Row> expected{{-1, 0}, {0, 1},  {1, -1}, {2, 2},
                                               {-1, 3}, {-1, 4}, {3, 5},  {4, -1}};
    EXPECT_EQ(rows, expected);

    // Without the option the same texts pair their blank lines as lines.
    PairTable plain;
    ASSERT_TRUE(matchFoldedLines(left, right, LineFolding{}, MatchParams{}, false, plain));
    PairTable direct;
    ASSERT_TRUE(matchLines(left, right, MatchParams{}, direct));
    EXPECT_EQ(plain.rows(), direct.rows());
}

// The one-pass key must equal folding width, space, kana and case one after another, as the
// comparison has always defined it, on random lines of every kind of character it folds.
TEST(LineKeys, OnePassKeyEqualsTheFoldingsAppliedInTurn) {
    auto stepwise = [](const QString &line, const LineFolding &f) {
        QString key = line;
        if (f.width) {
            QString out;
            for (QChar c : key) {
                const char16_t u = c.unicode();
                const bool form =
                    (u >= 0xFF01 && u <= 0xFF5E) || (u >= 0xFF61 && u <= 0xFF9F) || u == 0x3000;
                out += form ? QString(c).normalized(QString::NormalizationForm_KC) : QString(c);
            }
            key = out;
        }
        if (f.space != LineFolding::KeepSpace) {
            QString out;
            bool inSpace = false;
            for (QChar c : key) {
                if (c.isSpace()) {
                    inSpace = true;
                    continue;
                }
                if (inSpace && f.space == LineFolding::SpaceAmount)
                    out += u' ';
                inSpace = false;
                out += c;
            }
            key = out;
        }
        if (f.kana) {
            for (QChar &c : key) {
                const char16_t u = c.unicode();
                if ((u >= 0x3041 && u <= 0x3096) || u == 0x309D || u == 0x309E)
                    c = QChar(char16_t(u + 0x60));
            }
        }
        return f.letterCase ? key.toCaseFolded() : key;
    };
    // Half-width voicing marks are folded apart from their letters here, so the pool keeps
    // them away from half-width katakana (normalisation would join them across the pair).
    const QString pool = u"aZ09 \t\r\u3000\u00a0\u0085ÉßΣσあゝカヽＡｚ１！ｱ①漢\U0001D400-_"_s;
    quint32 seed = 12345;
    auto next = [&] { return seed = seed * 1103515245u + 12345u; };
    for (int round = 0; round < 4000; ++round) {
        QString line;
        const int length = int(next() % 24);
        for (int k = 0; k < length; ++k) {
            qsizetype at = qsizetype(next() % quint32(pool.size()));
            if (pool[at].isLowSurrogate())
                --at;
            line += pool[at];
            if (pool[at].isHighSurrogate())
                line += pool[at + 1];
        }
        LineFolding f;
        const quint32 bits = next();
        f.space = int(bits % 3);
        f.width = bits & 4;
        f.kana = bits & 8;
        f.letterCase = bits & 16;
        if (!f.active())
            continue;
        ASSERT_EQ(comparisonKey(line, f), stepwise(line, f)) << line.toStdString();
    }
}
