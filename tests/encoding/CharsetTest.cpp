#include "encoding/Charset.h"
#include "TestBytes.h"
#include "encoding/DetectEncoding.h"
#include "encoding/IcuConvert.h"

#include <gtest/gtest.h>

namespace {

const QString Sample = QStringLiteral(u"日本語テキスト ｶﾀｶﾅ ①\\~ abc");

} // namespace

TEST(Charset, AnsiIsWindows31j) {
    EXPECT_EQ(decodeAnsi("\x82\xA0"), QStringLiteral(u"あ"));
    // Unlike plain Shift_JIS, 0x5C and 0x7E stay backslash and tilde.
    EXPECT_EQ(decodeAnsi("\x5C\x7E"), QStringLiteral("\\~"));
    EXPECT_EQ(decodeAnsi("\x87\x40"), QStringLiteral(u"①")); // NEC special row
    EXPECT_EQ(EncodeAnsi(QStringLiteral(u"あ\\")), QByteArray("\x82\xA0\x5C"));
    EXPECT_EQ(decodeAnsi(EncodeAnsi(Sample)), Sample);
    EXPECT_TRUE(EncodeAnsi(QString()).isEmpty());
}

TEST(Charset, UnwritableCharactersBecomeBestFitsOrQuestionMarks) {
    // The converter's fallbacks for forms other systems use in Japanese text.
    EXPECT_EQ(EncodeAnsi(QStringLiteral(u"10〜20")), QByteArray("10\x81\x60"
                                                                "20"));
    EXPECT_EQ(EncodeAnsi(QStringLiteral(u"\u2212\u2016\u2014")),
              QByteArray("\x81\x7C\x81\x61\x81\x5C"));
    // Cent, pound and not sign in the code page's full-width forms.
    EXPECT_EQ(EncodeAnsi(QStringLiteral(u"¢£¬")), QByteArray("\x81\x91\x81\x92\x81\xCA"));
    // Accented letters as their base letters; what has no fit becomes "?", one per code point.
    EXPECT_EQ(EncodeAnsi(QStringLiteral(u"Müller Åke café")), QByteArray("Muller Ake cafe"));
    EXPECT_EQ(EncodeAnsi(QStringLiteral(u"a\U0001F600b한")), QByteArray("a?b?"));
    EXPECT_EQ(EncodeAnsi(QStringLiteral("x") + QChar(0xD800) + QStringLiteral("y")), "x?y");
    EXPECT_EQ(EncodeAnsi(QStringLiteral(u"ü\x1A〜")), QByteArray("u\x1A\x81\x60"));
    // Characters the code page holds are untouched by any of this.
    EXPECT_EQ(EncodeAnsi(QStringLiteral(u"～¥")), QByteArray("\x81\x60\x5C"));
}

TEST(Charset, AnsiOutputIsAlwaysValidShiftJis) {
    QString every;
    for (char32_t c = 1; c < 0x30000; ++c) {
        if (c < 0xD800 || c > 0xDFFF)
            every += QString::fromUcs4(&c, 1);
    }
    every += QChar(0xDC00); // a lone low surrogate
    const QByteArray bytes = EncodeAnsi(every);
    EXPECT_TRUE(decodesStrictly("windows-31j", bytes));
    EXPECT_EQ(bytes.indexOf("\xFC\xFC"), -1);
}

TEST(Charset, DecodersReadTheirCharsets) {
    EXPECT_EQ(decodeEucJp(encodedAs("EUC-JP", Sample)), Sample);
    EXPECT_EQ(DecodeIso2022Jp(encodedAs("ISO-2022-JP", QStringLiteral(u"日本語 abc"))),
              QStringLiteral(u"日本語 abc"));
    EXPECT_EQ(DecodeUtf7("+ZeVnLIqe-"), QStringLiteral(u"日本語"));
    EXPECT_EQ(DecodeUtf7("1 +- 1"), QStringLiteral("1 + 1"));
    EXPECT_EQ(DecodeUtf8(Sample.toUtf8()), Sample);
    EXPECT_EQ(DecodeWithCharset("UTF-8", QByteArray()), QString());
}

TEST(Charset, Utf8MarkIsDroppedOnlyAtTheStart) {
    EXPECT_EQ(DecodeUtf8("\xEF\xBB\xBF"
                         "abc"),
              QStringLiteral("abc"));
    EXPECT_EQ(DecodeUtf8("a\xEF\xBB\xBF"), QStringLiteral(u"a\uFEFF"));
    EXPECT_EQ(decodeByName(EncodingName::Utf8, "\xEF\xBB\xBF"
                                               "x\r\n"),
              QStringLiteral("x\n"));
}

TEST(Charset, InvalidBytesBecomeReplacementCharacters) {
    EXPECT_EQ(DecodeUtf8("a\xFF"
                         "b"),
              QStringLiteral(u"a\uFFFDb"));
    EXPECT_EQ(DecodeUtf8("a\xE3\x81"), QStringLiteral(u"a\uFFFD"));
    EXPECT_TRUE(decodeEucJp("\xA4").contains(QChar(0xFFFD)) || decodeEucJp("\xA4").size() == 1);
    EXPECT_FALSE(decodeAnsi("a\x82").isEmpty());
    EXPECT_EQ(decodeAnsi("a\x82").front(), QLatin1Char('a'));
}

TEST(Charset, UnknownCharsetGivesEmptyText) {
    EXPECT_EQ(DecodeWithCharset("NO-SUCH-CHARSET", "abc"), QString());
    EXPECT_EQ(DecodeWithCharset(nullptr, "abc"), QString());
}

TEST(Charset, Utf16LeIsTakenDirectly) {
    const QByteArray body("a\0\x42\x30\n\0", 6); // "aあ\n"
    const QString expected = QStringLiteral(u"aあ\n");
    EXPECT_EQ(decodeByName(EncodingName::Unicode, body), expected);
    EXPECT_EQ(decodeByName(EncodingName::Unicode, "\xFF\xFE" + body), expected);
    // Only the first mark is dropped.
    EXPECT_EQ(decodeByName(EncodingName::Unicode, "\xFF\xFE\xFF\xFE" + body),
              QStringLiteral(u"\uFEFFaあ\n"));
    // A final byte without a partner becomes U+FFFD.
    EXPECT_EQ(decodeByName(EncodingName::Unicode, body + 'z'), expected + QChar(0xFFFD));
    EXPECT_EQ(decodeByName(EncodingName::Unicode, "\xFF"), QString(QChar(0xFFFD)));
    EXPECT_EQ(decodeByName(EncodingName::Unicode, "\xFF\xFE"), QString());
}

TEST(Charset, DispatchByName) {
    const QString text = QStringLiteral(u"漢字");
    EXPECT_EQ(decodeByName(EncodingName::Euc, encodedAs("EUC-JP", text)), text);
    EXPECT_EQ(decodeByName(EncodingName::Jis, encodedAs("ISO-2022-JP", text)), text);
    EXPECT_EQ(decodeByName(EncodingName::Utf8, text.toUtf8()), text);
    EXPECT_EQ(decodeByName(EncodingName::Utf7, encodedAs("UTF-7", text)), text);
    EXPECT_EQ(decodeByName(EncodingName::Sjis, "\x8A\xBF\x8E\x9A"), text);
    EXPECT_EQ(decodeByName(QStringLiteral("whatever"), "\x8A\xBF\x8E\x9A"), text);
}

TEST(Charset, LineEndsBecomeLf) {
    EXPECT_EQ(normalizeLineEnds(QStringLiteral("a\r\nb\rc\nd")), QStringLiteral("a\nb\nc\nd"));
    EXPECT_EQ(normalizeLineEnds(QStringLiteral("\r\r\n\n\r")), QStringLiteral("\n\n\n\n"));
    EXPECT_EQ(normalizeLineEnds(QStringLiteral("\n\r")), QStringLiteral("\n\n"));
    EXPECT_EQ(normalizeLineEnds(QStringLiteral("no breaks")), QStringLiteral("no breaks"));
    EXPECT_EQ(normalizeLineEnds(QString()), QString());
    const QString lf = QStringLiteral(u"一\n二\n\n三\n");
    QString crlf = lf;
    QString cr = lf;
    crlf.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    cr.replace(QLatin1Char('\n'), QLatin1Char('\r'));
    EXPECT_EQ(normalizeLineEnds(crlf), lf);
    EXPECT_EQ(normalizeLineEnds(cr), lf);
}

TEST(Charset, ReplacementHeavyInputOutgrowsTheFirstBuffer) {
    const QByteArray junk(100000, char(0xFF));
    EXPECT_EQ(DecodeUtf8(junk).size(), junk.size());
}

TEST(Charset, SevenBitShortcutDecodesAsTheConverterDoes) {
    QByteArray ascii;
    for (int b = 0; b < 0x80; ++b)
        ascii += char(b);
    EXPECT_EQ(decodeByName(EncodingName::Sjis, ascii), normalizeLineEnds(decodeAnsi(ascii)));
    EXPECT_EQ(decodeByName(EncodingName::Euc, ascii), normalizeLineEnds(decodeEucJp(ascii)));
    EXPECT_EQ(decodeByName(EncodingName::Utf8, ascii), normalizeLineEnds(DecodeUtf8(ascii)));
}

TEST(Charset, AnsiControlCodesMapToThemselves) {
    const QByteArray bytes("a\x1A"
                           "b\x1C\x7F\x82\xA0\x1A",
                           8);
    EXPECT_EQ(decodeAnsi(bytes), QStringLiteral(u"a\u001Ab\u001C\u007Fあ\u001A"));
    EXPECT_EQ(EncodeAnsi(decodeAnsi(bytes)), bytes);
}

// A run's stop check reaches long conversions: between slices of the input, which must join
// without losing a character cut at a slice's end.
TEST(Charset, LongDecodesTakeTheStopCheckBetweenSlices) {
    QByteArray utf8 = "x"; // one byte ahead, so slice ends fall inside the three-byte characters
    QByteArray sjis = "x";
    for (int k = 0; k < 5000000; ++k) {
        utf8 += "\xE3\x81\x82";
        sjis += "\x82\xA0";
    }
    for (const auto &[charset, bytes] :
         {std::pair{"UTF-8", utf8}, std::pair{"windows-31j", sjis}}) {
        const QString whole = DecodeWithCharset(charset, bytes);
        ASSERT_EQ(whole.size(), 5000001) << charset;
        int checks = 0;
        const std::function<bool()> never = [&checks] {
            ++checks;
            return false;
        };
        {
            const IcuConvert::StopScope scope(never);
            EXPECT_EQ(DecodeWithCharset(charset, bytes), whole) << charset;
        }
        EXPECT_GE(checks, 2) << charset;

        int calls = 0;
        const std::function<bool()> secondCall = [&calls] { return ++calls >= 2; };
        const IcuConvert::StopScope scope(secondCall);
        EXPECT_THROW(DecodeWithCharset(charset, bytes), IcuConvert::DecodingStopped) << charset;
    }
    // Outside a scope nothing is asked.
    EXPECT_EQ(DecodeWithCharset("UTF-8", utf8).size(), 5000001);
}
