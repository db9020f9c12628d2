#include "encoding/DetectEncoding.h"
#include "TestBytes.h"

#include <gtest/gtest.h>

using namespace modJudge;

namespace {

int windowBound(const QByteArray &b) {
    return int(qMin<qsizetype>(b.size() - 1, 1999));
}

const QString Japanese =
    QStringLiteral(u"日本語の文章を比較します。漢字とかなが混ざっています。\r\n");

} // namespace

TEST(DetectEncoding, TinyBuffersVisitTheMiddleByteTwice) {
    // "A": head and tail are both index 0, divisor 2.
    const QByteArray one("A");
    EXPECT_EQ(ScoreSjis(one, 0), 100);
    EXPECT_EQ(ScoreJis(one, 0), 100);
    EXPECT_EQ(ScoreEuc(one, 0), 100);
    EXPECT_EQ(ScoreUtf8(one, 0), 100);
    EXPECT_EQ(ScoreUtf7(one, 0), 100);
    EXPECT_EQ(ScoreUnicode(one, 0), 0);
    EXPECT_EQ(DetectEncoding(one), EncodingName::Sjis);

    // "ab": UNICODE counts the pair twice (200, halved to 100), the others 3 points (75); but
    // seven-bit bytes without a zero byte are no UTF-16 text.
    const QByteArray ab("ab");
    EXPECT_EQ(ScoreUnicode(ab, 1), 100);
    EXPECT_EQ(ScoreSjis(ab, 1), 75);
    EXPECT_EQ(ScoreJis(ab, 1), 75);
    EXPECT_EQ(DetectEncoding(ab), EncodingName::Sjis);

    EXPECT_EQ(DetectEncoding(QByteArray()), EncodingName::Sjis);
}

TEST(DetectEncoding, PlainAsciiIsNeverUtf16) {
    // UNICODE rounds one point ahead of the other scorers, yet the text is the code page's.
    const QByteArray hello = repeated("hello world\r\n", 10);
    ASSERT_EQ(hello.size(), 130);
    const int a = windowBound(hello);
    EXPECT_EQ(ScoreUnicode(hello, a), 51);
    EXPECT_EQ(ScoreSjis(hello, a), 50);
    EXPECT_EQ(ScoreJis(hello, a), 50);
    EXPECT_EQ(ScoreEuc(hello, a), 50);
    EXPECT_EQ(ScoreUtf8(hello, a), 50);
    EXPECT_EQ(ScoreUtf7(hello, a), 50);
    EXPECT_EQ(DetectEncoding(hello), EncodingName::Sjis);

    // Short lower-case files that used to come out as CJK garbage.
    for (const QByteArray &text :
         {QByteArray("hello\n"), QByteArray("old text\nsame\n"), QByteArray("new text\nsame\n"),
          QByteArray("#!/bin/sh\nset -e\ncd /tmp\nexec make all\n"), QByteArray("{\"a\": true}"),
          QByteArray("include /etc/ld.so.conf.d/*.conf\n")})
        EXPECT_EQ(DetectEncoding(text), EncodingName::Sjis) << text.constData();

    // A capital letter as a high byte rules UTF-16 out of the head; the tail alone is low.
    const QByteArray upper = repeated("Hello World 2024\r\n", 10);
    EXPECT_LT(ScoreUnicode(upper, windowBound(upper)), 50);
    EXPECT_EQ(DetectEncoding(upper), EncodingName::Sjis);
}

TEST(DetectEncoding, ScoresRoundHalfToEven) {
    // 200 bytes: 201 visits (index 99 twice), divisor 400.
    QByteArray b(200, 'x');
    for (int k : {0, 10, 20}) // 198 points -> 49.5 -> 50
        b[k] = char(0x80);
    EXPECT_EQ(ScoreJis(b, 199), 50);
    for (int k : {30, 40, 50, 60}) // 194 points -> 48.5 -> 48
        b[k] = char(0x80);
    EXPECT_EQ(ScoreJis(b, 199), 48);
}

TEST(DetectEncoding, MarksAndEscapesAreDefinitive) {
    const QByteArray sjis = encodedAs("windows-31j", Japanese);
    EXPECT_EQ(DetectEncoding("\xEF\xBB\xBF" + sjis), EncodingName::Utf8);
    EXPECT_EQ(DetectEncoding("\xFF\xFE" + sjis), EncodingName::Unicode);
    EXPECT_EQ(DetectEncoding(sjis + "\x1B(B"), EncodingName::Jis);
    EXPECT_EQ(DetectEncoding(sjis + "\x1B$B"), EncodingName::Jis);
    // JIS is checked before the marks.
    EXPECT_EQ(DetectEncoding("\xFF\xFE\x1B$B"), EncodingName::Jis);
    EXPECT_EQ(DetectEncoding("\xEF\xBB\xBF\x1B(J"), EncodingName::Jis);
    // Marks are recognised anywhere in the visited window, not only at the start.
    EXPECT_EQ(ScoreUtf8("abc\xEF\xBB\xBF", 5), Definitive);

    // An escape needs two bytes after ESC in the buffer; the third is never checked.
    EXPECT_NE(ScoreJis("ab\x1B(", 3), Definitive);
    EXPECT_EQ(ScoreJis("ab\x1B(Z", 4), Definitive);
    EXPECT_NE(ScoreJis("ab\x1B)B", 4), Definitive);
    EXPECT_NE(ScoreUtf8("ab\xEF\xBB", 3), Definitive);
}

TEST(DetectEncoding, JapaneseTextFindsItsEncoding) {
    const QString text = repeated(Japanese.toUtf8(), 8);
    const QByteArray sjis = encodedAs("windows-31j", text);
    const QByteArray euc = encodedAs("EUC-JP", text);
    const QByteArray utf8 = text.toUtf8();
    ASSERT_FALSE(sjis.isEmpty());
    ASSERT_FALSE(euc.isEmpty());
    EXPECT_GE(ScoreSjis(sjis, windowBound(sjis)), 90);
    EXPECT_EQ(DetectEncoding(sjis), EncodingName::Sjis);
    EXPECT_EQ(DetectEncoding(euc), EncodingName::Euc);
    EXPECT_EQ(DetectEncoding(utf8), EncodingName::Utf8);
    EXPECT_EQ(DetectEncoding(encodedAs("ISO-2022-JP", text)), EncodingName::Jis);
}

TEST(DetectEncoding, SjisIgnoresZeroBytesAtOddIndexes) {
    const QByteArray utf16(reinterpret_cast<const char *>(u"hello world here"), 32);
    const int a = windowBound(utf16);
    EXPECT_LE(ScoreSjis(utf16, a), 27);
    EXPECT_GE(ScoreJis(utf16, a), 50);
    EXPECT_GE(ScoreUnicode(utf16, a), 50);
    EXPECT_EQ(DetectEncoding(utf16), EncodingName::Unicode);
    // A zero byte at an even index is an ordinary control byte.
    EXPECT_EQ(ScoreSjis(QByteArray("\0a", 2), 1), 75);
}

TEST(DetectEncoding, MarklessUtf16LeIsFoundByItsZeroBytes) {
    auto utf16le = [](const QString &text) {
        return QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    };
    // As a Windows tool writes it: CR LF, capitals and digits, longer than the window. The tail
    // scan starts at an odd index and reads "A" or "4" as high bytes: the scores alone give JIS.
    QString log;
    for (int k = 0; k < 200; ++k)
        log += QStringLiteral("Line %1: Build OK at 12:34\r\n").arg(k);
    const QByteArray wide = utf16le(log);
    ASSERT_GT(wide.size(), 2000);
    EXPECT_LT(ScoreUnicode(wide, 1999), ScoreJis(wide, 1999));
    EXPECT_EQ(DetectEncoding(wide), EncodingName::Unicode);
    EXPECT_EQ(DetectEncoding(wide + 'x'), EncodingName::Unicode); // odd length, last byte cut

    // Japanese text whose kanji look like Shift_JIS pairs, with its line ends as zero bytes.
    const QByteArray japanese = utf16le(repeated(Japanese.toUtf8(), 4));
    EXPECT_EQ(DetectEncoding(japanese), EncodingName::Unicode);

    // Zero bytes at even indexes (big-endian order) leave the choice to the scores.
    const QByteArray bigEndian("\0h\0e\0l\0l\0o\0\n", 12);
    EXPECT_NE(DetectEncoding(bigEndian), EncodingName::Unicode);
}

TEST(DetectEncoding, MultibyteScorersSkipTheirTrailBytes) {
    // Valid pairs earn 4 each; a lead byte without a follower earns nothing. The head scan
    // may run past a/2 while the tail restarts at its own start index.
    EXPECT_EQ(ScoreSjis("\x82\xA0\x82\xA2", 3), 100); // head 0..1, tail 1..3
    EXPECT_EQ(ScoreSjis("ab\x82", 2), 50);            // a b | b, lone lead at the end
    EXPECT_EQ(ScoreEuc("\xA4\xA2\xA4\xA4", 3), 100);
    // The triple earns 6, then the tail restarts at 1 and pairs B0 A1; the lone 0x8E nothing.
    EXPECT_EQ(ScoreEuc("\x8F\xB0\xA1\x8E", 3), 125);
    EXPECT_EQ(ScoreUtf8("\xE3\x81\x82\xE3\x81\x84", 5), 100);
    EXPECT_EQ(ScoreUtf8("\xE3\x81", 1), 0);                   // truncated: nothing
    EXPECT_EQ(ScoreUtf8("\xFC\x80\x80\x80\x80\x80", 5), 100); // old six-byte form accepted
    EXPECT_EQ(ScoreUtf8("\xC0\x80", 1), 200); // overlong form accepted, counted by both ranges
}

TEST(DetectEncoding, UnicodeStopsPerRange) {
    const QByteArray clean = repeated("ab", 50);
    const int a = windowBound(clean);
    EXPECT_EQ(ScoreUnicode(clean, a), 50);
    // A bad high byte in the head zeroes the counter; the tail (odd start 49) counts afresh.
    QByteArray head = clean;
    head[1] = 'A'; // 0x41 lies in 0x34..0x4D
    EXPECT_EQ(ScoreUnicode(head, a), 25);
    // A bad high byte in the tail ends the scan with 0.
    QByteArray tail = clean;
    tail[98] = 'A';
    EXPECT_EQ(ScoreUnicode(tail, a), 0);
}

TEST(DetectEncoding, Utf7RunsCountOnlyWhenClosedCleanly) {
    // "+ZeVnLIqe-" is 日本語: nine run bytes on a clean boundary earn 2*9+2 = 20 points,
    // plus 5 and 16 for the x in head and tail: 41 / 60.
    const QByteArray closed = "+ZeVnLIqe-" + QByteArray(20, 'x');
    EXPECT_EQ(ScoreUtf7(closed, 29), 68);
    EXPECT_EQ(ScoreSjis(closed, 29), 52);
    // "+-" is a literal plus (4), then the tail visits "-xx" outside a run: 7 / 8.
    EXPECT_EQ(ScoreUtf7("+-xx", 3), 88);
    EXPECT_EQ(ScoreUtf7("a-", 1), 75); // '-' outside a run is plain ASCII
    // Eight base64 bytes leave two bits: zero ('o') earns 18, set ('q') earns nothing.
    EXPECT_EQ(ScoreUtf7("+ZeVnLIo-" + QByteArray(21, 'x'), 29), 67);
    EXPECT_EQ(ScoreUtf7("+ZeVnLIq-" + QByteArray(21, 'x'), 29), 37);

    const QByteArray phrase = encodedAs("UTF-7", QStringLiteral(u"日本語のテキスト"));
    ASSERT_TRUE(phrase.startsWith('+'));
    const QByteArray run = phrase.endsWith('-') ? phrase.chopped(1) : phrase;
    const QByteArray byDash = repeated(run + "- and words\n", 6);
    const QByteArray bySpace = repeated(run + "  and words\n", 6);
    EXPECT_EQ(DetectEncoding(byDash), EncodingName::Utf7);
    EXPECT_LT(ScoreUtf7(bySpace, windowBound(bySpace)), ScoreSjis(bySpace, windowBound(bySpace)));
    EXPECT_EQ(DetectEncoding(bySpace), EncodingName::Sjis);
}

TEST(DetectEncoding, LongBuffersScanOnlyHeadAndTail) {
    const qsizetype size = 6000;
    const qsizetype last = size - 1;
    auto withAt = [&](qsizetype at, const QByteArray &seq) {
        QByteArray b(size, 'x');
        b.replace(at, seq.size(), seq);
        return DetectEncoding(b);
    };
    EXPECT_EQ(withAt(999, "\x1B("), EncodingName::Jis);
    EXPECT_EQ(withAt(1000, "\x1B("), EncodingName::Sjis);
    EXPECT_EQ(withAt(last - 1001, "\x1B("), EncodingName::Sjis);
    EXPECT_EQ(withAt(last - 1000, "\x1B("), EncodingName::Jis);
    // A mark whose lead byte is the last head byte is read past a/2.
    EXPECT_EQ(withAt(999, "\xEF\xBB\xBF"), EncodingName::Utf8);
    EXPECT_EQ(withAt(1000, "\xEF\xBB\xBF"), EncodingName::Sjis);

    // Garbage in the unscanned middle changes no score.
    const QByteArray clean(size, 'x');
    QByteArray noisy = clean;
    for (qsizetype i = 1000; i <= last - 1001; ++i)
        noisy[i] = char(i % 3 == 0 ? 0xFF : i % 3 == 1 ? 0xFE : 0x1B);
    for (auto score : {ScoreJis, ScoreUnicode, ScoreUtf8, ScoreUtf7, ScoreSjis, ScoreEuc})
        EXPECT_EQ(score(noisy, 1999), score(clean, 1999));
}

TEST(DetectEncodingChoice, MostlyAsciiUtf8WithSomeJapaneseIsNotTakenForShiftJis) {
    // One Japanese line among many ASCII ones scores alike under UTF8 and SJIS.
    QByteArray text = QStringLiteral("第一段落です。これはテストの文書です。\n").toUtf8();
    for (int k = 0; k < 40; ++k)
        text += "Paragraph number " + QByteArray::number(k) + " with some filler text.\n";
    EXPECT_EQ(DetectEncoding(text), QStringLiteral("UTF8"));
    // Plain ASCII still goes to the code page, and so does Shift_JIS text.
    EXPECT_EQ(DetectEncoding("plain ascii line\r\n"), QStringLiteral("SJIS"));
    EXPECT_EQ(DetectEncoding(QByteArray::fromHex("93fa967b8cea82cc8365834c835883670d0a")),
              QStringLiteral("SJIS"));
}
