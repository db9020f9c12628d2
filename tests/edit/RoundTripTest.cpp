// Reading a side for editing and making its bytes again: untouched lines come back byte for
// byte in every encoding and line-end kind, an edited line changes only its own bytes.
#include "edit/ReadEditableText.h"
#include "edit/SaveEditableText.h"
#include "encoding/Charset.h"
#include "encoding/DetectEncoding.h"
#include "encoding/TestBytes.h"
#include "encoding/TextEncoder.h"
#include "engine/LineViews.h"

#include <QRandomGenerator>

#include <algorithm>

#include <gtest/gtest.h>

namespace {

struct Encoding {
    const char *name;    // as detection names it
    const char *charset; // ICU's name, for making the fixture apart from the code under test
    const char *mark;
};

const Encoding Encodings[] = {
    {"SJIS", "windows-31j", ""},
    {"JIS", "ISO-2022-JP", ""},
    {"EUC", "EUC-JP", ""},
    {"UTF8", "UTF-8", ""},
    {"UTF8", "UTF-8", "\xEF\xBB\xBF"},
    {"UTF7", "UTF-7", ""},
    {"UNICODE", "UTF-16LE", "\xFF\xFE"},
};

const QStringList Lines = {QStringLiteral("first line"), QStringLiteral("日本語のテキスト"),
                           QString(), QStringLiteral("  全角　スペースと ASCII が混在"),
                           QStringLiteral("last: 記号 ○×△")};

// The lines joined by the ends (one per break, repeated as needed); noFinal leaves the last
// break out.
QString joined(const QStringList &lines, const QStringList &ends, bool finalBreak) {
    QString text;
    for (qsizetype k = 0; k < lines.size(); ++k) {
        text += lines[k];
        if (k + 1 < lines.size() || finalBreak)
            text += ends[k % ends.size()];
    }
    return text;
}

QByteArray fixture(const Encoding &e, const QString &text) {
    if (text.isEmpty())
        return QByteArray(e.mark);
    return QByteArray(e.mark) + encodedAs(e.charset, text);
}

QStringList comparedLines(const QString &encoding, const QByteArray &bytes) {
    // The views lie in the text: each is copied before the text goes.
    const QString text = bytes.isEmpty() ? QString() : decodeByName(encoding, bytes);
    QStringList lines;
    for (const QString &line : LineViews::splitText(text).toList())
        lines.append(QString(line.constData(), line.size()));
    return lines;
}

} // namespace

// Lines print as text in a failure.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QStringList &lines, std::ostream *out) {
    *out << '"' << lines.join(QStringLiteral("\\n")).toStdString() << '"';
}
inline void PrintTo(const QString &text, std::ostream *out) {
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

QByteArray bytesOf(const EditableText &side, const QString &encoding = QString()) {
    const SavedBytes made = editableTextBytes(side, encoding);
    EXPECT_TRUE(made.problem.saved()) << "line " << made.problem.line;
    return made.bytes;
}

struct EndKind {
    const char *label;
    QStringList ends;
    bool finalBreak;
};

const EndKind EndKinds[] = {
    {"CR LF", {"\r\n"}, true},
    {"LF", {"\n"}, true},
    {"CR", {"\r"}, true},
    {"mixed", {"\n", "\r\n", "\r"}, true},
    {"no final break", {"\r\n"}, false},
};

} // namespace

// Every encoding and line-end kind: the lines are those a comparison shows, saving them
// untouched gives the same bytes, and an edited line changes only its own bytes.
TEST(EditRoundTrip, EveryEncodingAndLineEndComesBackByteForByte) {
    for (const Encoding &e : Encodings) {
        for (const EndKind &kind : EndKinds) {
            SCOPED_TRACE(std::string(e.name) + (*e.mark ? " with mark, " : ", ") + kind.label);
            const QByteArray bytes = fixture(e, joined(Lines, kind.ends, kind.finalBreak));
            ASSERT_FALSE(bytes.isEmpty());
            EditableText side = editableTextFromBytes(bytes, e.name);
            EXPECT_EQ(side.encoding(), e.name);
            EXPECT_EQ(side.byteOrderMark(), QByteArray(e.mark));
            EXPECT_EQ(side.texts(), comparedLines(e.name, bytes));
            for (const EditLine &line : side.lines())
                EXPECT_TRUE(line.isOriginal()) << line.text.toStdString();
            EXPECT_EQ(bytesOf(side), bytes);

            // One line edited: the bytes before and after it are the file's own.
            const qsizetype k = 1;
            const EditLine old = side.line(k);
            side.replace(k, 1, {EditLine{QStringLiteral("書き換えた行 edited"), old.end}});
            const QByteArray edited = bytesOf(side);
            QStringList expected = Lines;
            expected[k] = side.line(k).text;
            if (kind.finalBreak)
                expected << QString();
            EXPECT_EQ(comparedLines(e.name, edited), expected);
            const qsizetype after = old.byteStart + old.textBytes;
            EXPECT_EQ(edited.left(old.byteStart), bytes.left(old.byteStart));
            EXPECT_TRUE(edited.endsWith(bytes.mid(after)));
        }
    }
}

// The empty file, a file that is only a mark, and a file of one break.
TEST(EditRoundTrip, EmptyAndAlmostEmptyFiles) {
    for (const QByteArray &bytes :
         {QByteArray(), QByteArray("\xEF\xBB\xBF"), QByteArray("\n"), QByteArray("\r\n")}) {
        const EditableText side = editableTextFromBytes(bytes);
        EXPECT_EQ(side.texts(), comparedLines(DetectEncoding(bytes), bytes));
        EXPECT_EQ(bytesOf(side), bytes);
    }
    // Lines typed into an empty side end as the side's usual end, the last with none.
    EditableText side = editableTextFromBytes(QByteArray(), EncodingName::Utf8);
    side.replace(0, 0, {side.newLine("a"), side.newLine("b")});
    EXPECT_EQ(bytesOf(side), "a\nb");
}

// New lines take the file's most common end; a last line without an end that is no longer
// last takes it too, and the new last line has none.
TEST(EditRoundTrip, NewLinesTakeTheUsualEnd) {
    EditableText side = editableTextFromBytes("a\r\nb\nc\r\nd", EncodingName::Sjis);
    EXPECT_EQ(side.usualEnd(), LineEnd::CrLf);
    side.replace(4, 0, {side.newLine("e")});
    side.replace(1, 0, {side.newLine("new")});
    EXPECT_EQ(bytesOf(side), "a\r\nnew\r\nb\nc\r\nd\r\ne");
    side.replace(5, 1, {});
    EXPECT_EQ(bytesOf(side), "a\r\nnew\r\nb\nc\r\nd");
}

// Shift_JIS characters with two codes (NEC and IBM rows of CP932) read as one character and
// would be written back as the other code: untouched, they keep the code they had.
TEST(EditRoundTrip, CodePageDuplicatesKeepTheirOwnBytes) {
    const QByteArray bytes = "\xED\x40 \xFA\x5C\r\n" // 纊 as NEC-selected IBM, then IBM
                             "\xEE\xEF \xFA\x40\r\n" // small roman one, twice
                             "\x87\x54 \xFA\x4A\r\n" // roman one, NEC and IBM
                             "plain line\r\n"
                             "\x81\xCA \xEE\xF9\r\n"; // not sign, NEC-selected IBM
    EditableText side = editableTextFromBytes(bytes, EncodingName::Sjis);
    ASSERT_EQ(side.lineCount(), 6);
    EXPECT_EQ(side.line(0).text, QStringLiteral("纊 纊"));
    EXPECT_EQ(bytesOf(side), bytes);

    side.replace(3, 1, {EditLine{QStringLiteral("edited 纊"), LineEnd::CrLf}});
    const QByteArray edited = bytesOf(side);
    EXPECT_EQ(edited, QByteArray(bytes).replace("plain line", "edited \xFA\x5C"));
    EXPECT_EQ(comparedLines(EncodingName::Sjis, edited), side.texts());
}

// A character the side's encoding cannot hold is reported with its place, never written as
// "?" or a look-alike; saving as UTF-8 holds it.
TEST(EditRoundTrip, UnencodableCharacterIsReportedWithItsPlace) {
    EditableText side = editableTextFromBytes("one\r\ntwo\r\nthree", EncodingName::Sjis);
    side.replace(1, 1, {EditLine{QStringLiteral("ab한c"), LineEnd::CrLf}});
    const SavedBytes made = editableTextBytes(side, QString());
    EXPECT_EQ(made.problem.status, SaveResult::Status::CannotEncode);
    EXPECT_EQ(made.problem.line, 1);
    EXPECT_EQ(made.problem.column, 2);
    EXPECT_EQ(made.problem.character, U'한');
    EXPECT_TRUE(made.bytes.isEmpty());

    const QByteArray utf8 = bytesOf(side, EncodingName::Utf8);
    EXPECT_EQ(utf8, "\xEF\xBB\xBFone\r\nab\xED\x95\x9C"
                    "c\r\nthree");

    // Characters a converter maps one way only: no best fit either.
    for (const auto &[encoding, text] :
         {std::pair{EncodingName::Sjis, QStringLiteral("〜")}, // wave dash: 0x8160 reads as ～
          std::pair{EncodingName::Sjis, QStringLiteral("¥")},  // 0x5C reads as a backslash
          std::pair{EncodingName::Euc, QStringLiteral("😀")},
          std::pair{EncodingName::Jis, QStringLiteral("x한")}}) {
        EditableText one = EditableText::fromLines({text});
        const SavedBytes bad = editableTextBytes(one, encoding);
        EXPECT_EQ(bad.problem.status, SaveResult::Status::CannotEncode) << text.toStdString();
    }
}

// ISO-2022-JP and UTF-7 lines are written in their own escapes, each edited line from and
// back to the initial state, so that the file reads as the lines whatever was edited.
TEST(EditRoundTrip, StatefulEncodingsKeepTheirNeighboursReadable) {
    for (const char *name : {"JIS", "UTF7"}) {
        SCOPED_TRACE(name);
        const QByteArray bytes = encodedAs(name == QLatin1String("JIS") ? "ISO-2022-JP" : "UTF-7",
                                           QStringLiteral("漢字の行\nascii\n漢字+かな\n"));
        EditableText side = editableTextFromBytes(bytes, name);
        side.replace(1, 1, {EditLine{QStringLiteral("全角ｶﾀｶﾅ+半角"), LineEnd::Lf}});
        side.replace(3, 0, {side.newLine(QStringLiteral("新しい行"))});
        const QByteArray saved = bytesOf(side);
        EXPECT_EQ(comparedLines(name, saved), side.texts());
        EXPECT_TRUE(saved.startsWith(bytes.left(side.line(0).textBytes + 1)));
    }
    // Half-width katakana go out in their own set (ESC ( I), as the decoder reads them.
    EditableText kana = EditableText::fromLines({QStringLiteral("ｱｲ")});
    EXPECT_EQ(bytesOf(kana, EncodingName::Jis), "\x1B(I12\x1B(B");
}

// Bytes whose breaks are not where the decoded text has them (an LF inside UTF-7's base64,
// a line in a shift state carried from the line before) are still read as the comparison
// reads them; those lines are written anew.
TEST(EditRoundTrip, LinesThatReadDifferentlyAloneAreWrittenAnew) {
    const QByteArray utf7 = "a+AAo-b\nc";
    const EditableText side = editableTextFromBytes(utf7, EncodingName::Utf7);
    EXPECT_EQ(side.texts(), QStringList({"a", "b", "c"}));
    EXPECT_EQ(comparedLines(EncodingName::Utf7, bytesOf(side)), side.texts());

    // A CR byte the next base64 run completes to a CR LF: the lines still save as they read.
    const QByteArray spelled = "a\r+AAo-\nb\rc";
    const EditableText pairs = editableTextFromBytes(spelled, EncodingName::Utf7);
    EXPECT_EQ(pairs.texts(), QStringList({"a", "", "b", "c"}));
    EXPECT_EQ(comparedLines(EncodingName::Utf7, bytesOf(pairs)), pairs.texts());

    // An empty line inserted after a line ended by a bare CR, in a file whose usual end is
    // LF, must not join that CR into one break and vanish.
    for (const QString &name : {EncodingName::Utf8, EncodingName::Unicode}) {
        EditableText mixed = editableTextFromBytes(
            TextEncoder(name).encode(QStringLiteral("a\rx\ny\nz")).bytes, name);
        mixed.replace(1, 0, {mixed.newLine(QString())});
        EXPECT_EQ(comparedLines(name, bytesOf(mixed)), QStringList({"a", "", "x", "y", "z"}))
            << qPrintable(name);
    }

    // Invalid UTF-8 at a line's end reads the same alone: kept byte for byte.
    const QByteArray broken = "ok\n\xE6\x97\nend";
    const EditableText invalid = editableTextFromBytes(broken, EncodingName::Utf8);
    EXPECT_TRUE(invalid.line(1).isOriginal());
    EXPECT_EQ(bytesOf(invalid), broken);
}

// Random bytes in every encoding: the lines are the comparison's, every line that keeps its
// bytes reads as its text alone, and an untouched side saves to bytes that read as its lines.
TEST(EditRoundTrip, RandomBytesReadAsTheComparisonReadsThem) {
    QRandomGenerator random(28);
    const QByteArray alphabet =
        QByteArray::fromHex("0d0a1b2442284a2b2d41615a82a08e8fe381fffe001aed40");
    for (int round = 0; round < 400; ++round) {
        QByteArray bytes;
        const int size = random.bounded(40);
        for (int k = 0; k < size; ++k)
            bytes += alphabet[random.bounded(int(alphabet.size()))];
        for (const QString &name :
             {EncodingName::Sjis, EncodingName::Jis, EncodingName::Euc, EncodingName::Utf8,
              EncodingName::Utf7, EncodingName::Unicode}) {
            SCOPED_TRACE(name.toStdString() + " " + bytes.toHex(' ').toStdString());
            const EditableText side = editableTextFromBytes(bytes, name);
            ASSERT_EQ(side.texts(), comparedLines(name, bytes));
            for (const EditLine &line : side.lines()) {
                if (!line.isOriginal())
                    continue;
                // A decoder drops a mark at the start of what it reads; within a file it is
                // a character of its line.
                const QString alone = decodeByName(name, bytes.mid(line.byteStart, line.textBytes));
                EXPECT_TRUE(alone == line.text || QChar(0xFEFF) + alone == line.text);
            }
            const SavedBytes made = editableTextBytes(side, QString());
            if (made.problem.saved())
                EXPECT_EQ(comparedLines(name, made.bytes), side.texts());
            else
                EXPECT_FALSE(side.line(made.problem.line).isOriginal());
        }
    }
}

// Encodings beyond the six that detection names (picked by the user): whatever decodeByName
// makes of the name, the side reads as it does, untouched it saves to the same bytes, and an
// edited line is either written so that it reads back or reported.
TEST(EditRoundTrip, OtherEncodingsReadAndSaveAsTheReaderSees) {
    const QString text = QStringLiteral("caf\u00e9 \u4e2d\u6587\r\nplain\r\n\u00fc\u00df\r\n");
    for (const char *name : {"UTF-16BE", "windows-1252", "GB18030", "ISO-8859-1", "EUC-KR"}) {
        SCOPED_TRACE(name);
        const QByteArray bytes = encodedAs(name, text);
        EditableText side = editableTextFromBytes(bytes, name);
        ASSERT_EQ(side.texts(), comparedLines(name, bytes));
        // Where the reader does not split the bytes as the encoding does (a name it does not
        // know reads as Shift_JIS), the lines are written anew.
        const bool kept = std::all_of(side.lines().cbegin(), side.lines().cend(),
                                      [](const EditLine &line) { return line.isOriginal(); });
        if (kept) {
            EXPECT_EQ(bytesOf(side), bytes);
        }
        side.replace(1, 1, {EditLine{QStringLiteral("\u00e9dit\u00e9"), LineEnd::CrLf}});
        const SavedBytes made = editableTextBytes(side, QString());
        if (made.problem.saved())
            EXPECT_EQ(comparedLines(name, made.bytes), side.texts());
        else
            EXPECT_FALSE(side.line(made.problem.line).isOriginal());
    }
}
