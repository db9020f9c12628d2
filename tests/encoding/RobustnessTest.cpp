#include "encoding/Charset.h"
#include "encoding/DecodeText.h"
#include "encoding/DetectEncoding.h"

#include <gtest/gtest.h>

#include <random>

using namespace modJudge;

namespace {

// Byte soup biased towards the bytes the scorers and decoders branch on.
QByteArray garbage(std::mt19937 &rng, qsizetype size) {
    static const uchar interesting[] = {0x1B, 0x28, 0x24, 0x2B, 0x2D, 0xEF, 0xBB, 0xBF, 0xFF,
                                        0xFE, 0x8E, 0x8F, 0x82, 0xA0, 0x0D, 0x0A, 0x00, 0xFC};
    QByteArray b(size, Qt::Uninitialized);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> pick(0, int(sizeof interesting) - 1);
    for (qsizetype i = 0; i < size; ++i)
        b[i] = char(byte(rng) < 96 ? interesting[pick(rng)] : byte(rng));
    return b;
}

// Detection's answers: the six, and the two a mark or the zero bytes give.
const QString Names[] = {EncodingName::Sjis,    EncodingName::Jis,  EncodingName::Euc,
                         EncodingName::Utf8,    EncodingName::Utf7, EncodingName::Unicode,
                         EncodingName::Utf16Be, EncodingName::Utf32};

} // namespace

TEST(Robustness, GarbageNeverCrashesDetectionOrDecoding) {
    std::mt19937 rng(20240611);
    std::vector<qsizetype> sizes;
    for (qsizetype s = 0; s <= 64; ++s)
        sizes.push_back(s);
    for (qsizetype s : {1998, 1999, 2000, 2001, 2002, 2003, 4001, 9000})
        sizes.push_back(s);
    for (qsizetype size : sizes) {
        for (int round = 0; round < 20; ++round) {
            const QByteArray b = garbage(rng, size);
            const QString name = DetectEncoding(b);
            EXPECT_TRUE(std::find(std::begin(Names), std::end(Names), name) != std::end(Names));
            if (!b.isEmpty()) {
                const int a = int(qMin<qsizetype>(b.size() - 1, 1999));
                for (auto score :
                     {ScoreJis, ScoreUnicode, ScoreUtf8, ScoreUtf7, ScoreSjis, ScoreEuc}) {
                    const qint16 s = score(b, a);
                    EXPECT_TRUE((s >= 0 && s <= 200) || s == Definitive) << s;
                }
            }
            for (const EncodingInfo &e : knownEncodings()) {
                const QString text = decodeByName(e.name, b);
                EXPECT_FALSE(text.contains(QLatin1Char('\r')));
                EXPECT_LE(text.size(), b.size() + 1);
            }
            const DecodedText decoded = decodeText(b);
            EXPECT_TRUE(std::find(std::begin(Names), std::end(Names), decoded.encoding) !=
                        std::end(Names));
            EXPECT_FALSE(decoded.text.contains(QLatin1Char('\r')));
            DecodeWithCharset("UTF-8", b);
        }
    }
}

TEST(Robustness, ScorersTolerateAnOutOfRangeBound) {
    // The window bound comes from the caller; a wrong one must not read outside the buffer.
    const QByteArray b("\x82\xA0\xEF\xBB", 4);
    for (int a : {-5, -1, 0, 3, 4, 50, 100000}) {
        for (auto score : {ScoreJis, ScoreUnicode, ScoreUtf8, ScoreUtf7, ScoreSjis, ScoreEuc})
            score(b, a);
        for (auto score : {ScoreJis, ScoreUnicode, ScoreUtf8, ScoreUtf7, ScoreSjis, ScoreEuc})
            EXPECT_EQ(score(QByteArray(), a), 0);
    }
}
