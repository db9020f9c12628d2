#include "encoding/DecodeText.h"
#include "TestBytes.h"
#include "encoding/DetectEncoding.h"

#include <gtest/gtest.h>

namespace {

const QString Japanese = QStringLiteral(u"日本語の文章を比較します。◇記号と漢字とかな。\n");

QByteArray asciiLines(int count) {
    QByteArray out;
    for (int k = 0; k < count; ++k)
        out += "Plain ASCII documentation line number " + QByteArray::number(k) + ".\n";
    return out;
}

QByteArray utf16(const QString &text, bool bigEndian) {
    return encodedAs(bigEndian ? "UTF-16BE" : "UTF-16LE", text);
}

} // namespace

TEST(DecodeText, EucJpBetweenAsciiHeadAndTailIsNotShownAsShiftJis) {
    // The scanned head and tail are ASCII: the scores tie and the tie goes to Shift_JIS, which
    // cannot read the Japanese in the middle. The old answer left U+FFFD / U+001A in the text.
    const QString text = QString::fromLatin1(asciiLines(40)) + Japanese.repeated(5) +
                         QString::fromLatin1(asciiLines(40));
    const QByteArray euc = encodedAs("EUC-JP", text);
    ASSERT_GT(euc.size(), 3000); // head and tail are 1,000 bytes each
    ASSERT_EQ(DetectEncoding(euc), EncodingName::Sjis);
    ASSERT_FALSE(decodesStrictly("windows-31j", euc));
    const DecodedText decoded = decodeText(euc);
    EXPECT_EQ(decoded.encoding, EncodingName::Euc);
    EXPECT_TRUE(decoded.clean);
    EXPECT_FALSE(decoded.chosen);
    EXPECT_EQ(decoded.text, text);

    // Text that the detector's answer reads whole keeps that answer.
    const QByteArray sjis = encodedAs("windows-31j", text);
    EXPECT_EQ(decodeText(sjis).encoding, EncodingName::Sjis);
    EXPECT_EQ(decodeText(sjis).text, text);
    const DecodedText ascii = decodeText(asciiLines(3));
    EXPECT_EQ(ascii.encoding, EncodingName::Sjis);
    EXPECT_TRUE(ascii.clean);
}

TEST(DecodeText, MarksOfUtf16BeAndUtf32AreHonoured) {
    const QString text = QStringLiteral(u"Mark first\r\n") + Japanese;
    const QString lf = QStringLiteral(u"Mark first\n") + Japanese;
    const QByteArray be = "\xFE\xFF" + utf16(text, true);
    EXPECT_EQ(DetectEncoding(be), EncodingName::Utf16Be);
    DecodedText decoded = decodeText(be);
    EXPECT_EQ(decoded.text, lf);
    EXPECT_TRUE(decoded.byteOrderMark);
    EXPECT_EQ(decoded.crLf, 1);

    for (const char *charset : {"UTF-32LE", "UTF-32BE"}) {
        const QByteArray marked = encodedAs(charset, QChar(0xFEFF) + text);
        EXPECT_EQ(DetectEncoding(marked), EncodingName::Utf32) << charset;
        decoded = decodeText(marked);
        EXPECT_EQ(decoded.text, lf) << charset;
        EXPECT_TRUE(decoded.byteOrderMark) << charset;
    }
    // UTF-16LE's mark is still UTF-16LE.
    EXPECT_EQ(decodeText("\xFF\xFE" + utf16(text, false)).text, lf);
}

TEST(DecodeText, MarklessUtf16IsFoundByWhereItsZeroBytesLie) {
    // Mostly ASCII with Japanese whose characters (U+3000, U+4E00) put zero bytes at the
    // other parity too.
    QString text;
    for (int k = 0; k < 30; ++k)
        text += QStringLiteral(u"line %1:　一二三 text\n").arg(k);
    const QByteArray be = utf16(text, true), le = utf16(text, false);
    EXPECT_EQ(DetectEncoding(be), EncodingName::Utf16Be);
    EXPECT_EQ(DetectEncoding(le), EncodingName::Unicode);
    EXPECT_EQ(decodeText(be).text, text);
    EXPECT_EQ(decodeText(le).text, text);
    // The short case the detector used to leave to its scores.
    EXPECT_EQ(DetectEncoding(QByteArray("\0h\0e\0l\0l\0o\0\n", 12)), EncodingName::Utf16Be);
    // A stray zero byte at an even index of ordinary text is no UTF-16BE.
    QByteArray stray = asciiLines(5);
    if (stray.size() % 2 != 0)
        stray += ' ';
    stray += QByteArray(1, '\0') + asciiLines(5);
    EXPECT_EQ(DetectEncoding(stray), EncodingName::Sjis);
}

TEST(DecodeText, TextNoEncodingReadsIsMarkedUnclean) {
    const QString chinese =
        QStringLiteral(u"这是一个测试文件。我们今天去公园散步，天气很好。\n简体中文的内容。\n");
    const QByteArray gb = encodedAs("GB18030", chinese);
    for (const char *charset : {"windows-31j", "EUC-JP", "UTF-8", "ISO-2022-JP", "UTF-7"})
        ASSERT_FALSE(decodesStrictly(charset, gb)) << charset;
    const DecodedText guessed = decodeText(gb);
    EXPECT_FALSE(guessed.clean);
    EXPECT_EQ(guessed.encoding, DetectEncoding(gb)); // shown as detected, and said so
    // Named by the user, it reads as written.
    const DecodedText chosen = decodeText(gb, QStringLiteral("gb18030"));
    EXPECT_TRUE(chosen.chosen);
    EXPECT_TRUE(chosen.clean);
    EXPECT_EQ(chosen.encoding, EncodingName::Gb18030);
    EXPECT_EQ(chosen.detected, DetectEncoding(gb));
    EXPECT_EQ(chosen.text, chinese);
}

TEST(DecodeText, EveryNamedEncodingReadsItsOwnBytes) {
    const QString western = QStringLiteral(u"Café crème, naïve façade\r\nÀ bientôt\n");
    const QString lf = QStringLiteral(u"Café crème, naïve façade\nÀ bientôt\n");
    for (const EncodingInfo &e : knownEncodings()) {
        const QString text = e.name == EncodingName::Big5      ? QStringLiteral(u"中文內容\r\n")
                             : e.name == EncodingName::EucKr   ? QStringLiteral(u"한국어\r\n")
                             : e.name == EncodingName::Gb18030 ? QStringLiteral(u"简体中文\r\n")
                             : e.name == EncodingName::Sjis || e.name == EncodingName::Jis ||
                                     e.name == EncodingName::Euc
                                 ? QStringLiteral(u"日本語\r\n")
                                 : western;
        QString expected = text;
        expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        const QByteArray bytes = encodedAs(e.converter, text);
        ASSERT_FALSE(bytes.isEmpty()) << e.caption;
        const DecodedText decoded = decodeText(bytes, e.name.toLower());
        EXPECT_EQ(decoded.encoding, e.name);
        EXPECT_TRUE(decoded.clean) << e.caption;
        EXPECT_EQ(decoded.text, expected) << e.caption;
        EXPECT_EQ(decoded.crLf, 1) << e.caption;
    }
    // An unknown name reads as the code page.
    EXPECT_EQ(decodeText("abc", QStringLiteral("KOI8")).encoding, EncodingName::Sjis);
}

TEST(DecodeText, LineEndsAreCountedByKind) {
    const DecodedText mixed = decodeText("a\r\nb\rc\nd\r\n");
    EXPECT_EQ(mixed.text, QStringLiteral("a\nb\nc\nd\n"));
    EXPECT_EQ(mixed.crLf, 2);
    EXPECT_EQ(mixed.loneCr, 1);
    const DecodedText bom = decodeText("\xEF\xBB\xBF");
    EXPECT_TRUE(bom.clean); // a mark alone is an empty text, not a failure
    EXPECT_TRUE(bom.byteOrderMark);
    EXPECT_EQ(bom.text, QString());
}
