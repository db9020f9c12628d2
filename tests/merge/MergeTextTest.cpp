#include "merge/MergeText.h"

#include "encoding/IcuConvert.h"
#include "support/TempFiles.h"

#include <QDir>
#include <QRandomGenerator>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

const MergeLabels Labels{QStringLiteral("m"), QStringLiteral("o"), QStringLiteral("y")};

MergedText merge(const QByteArray &mine, const QByteArray &older, const QByteArray &yours) {
    return mergeTexts(mine, older, yours, Labels);
}

struct Case {
    const char *what;
    QByteArray mine, older, yours;
    QByteArray merged;
    int conflicts;
};

void expectMerges(const Case &c) {
    SCOPED_TRACE(c.what);
    const MergedText r = merge(c.mine, c.older, c.yours);
    EXPECT_TRUE(r.ok()) << r.error.toStdString();
    EXPECT_EQ(r.bytes, c.merged);
    EXPECT_EQ(r.conflicts, c.conflicts);
}

QByteArray sjis(const char *utf8) {
    bool ok = false;
    return IcuConvert::encode(IcuConvert::AnsiCodePage, QString::fromUtf8(utf8), &ok);
}

QByteArray utf16WithMark(const QString &text) {
    QByteArray bytes("\xFF\xFE", 2);
    bytes.resize(2 + text.size() * 2);
    qToLittleEndian<char16_t>(text.constData(), text.size(), bytes.data() + 2);
    return bytes;
}

TEST(MergeText, ChangesOfEitherSideAndAlikeChangesNeedNoMarkers) {
    const Case cases[] = {
        {"YOURS only", "a\nb\nc\n", "a\nb\nc\n", "a\nB\nc\n", "a\nB\nc\n", 0},
        {"MINE only", "a\nB\nc\n", "a\nb\nc\n", "a\nb\nc\n", "a\nB\nc\n", 0},
        {"both alike", "a\nX\nc\n", "a\nb\nc\n", "a\nX\nc\n", "a\nX\nc\n", 0},
        {"apart", "A\nb\nc\nd\n", "a\nb\nc\nd\n", "a\nb\nc\nD\n", "A\nb\nc\nD\n", 0},
        {"all empty", "", "", "", "", 0},
        {"YOURS adds to empty", "", "", "a\n", "a\n", 0},
        {"MINE empties", "", "a\n", "a\n", "", 0},
        {"MINE drops the last line end", "a\nb\nc\nd", "a\nb\nc\nd\n", "A\nb\nc\nd\n", "A\nb\nc\nd",
         0},
    };
    for (const Case &c : cases)
        expectMerges(c);
}

TEST(MergeText, ConflictsAreBracketedWithAllFourMarkers) {
    const Case cases[] = {
        {"middle", "a\nX\nc\n", "a\nb\nc\n", "a\nY\nc\n",
         "a\n<<<<<<< m\nX\n||||||| o\nb\n=======\nY\n>>>>>>> y\nc\n", 1},
        {"start and end", "X\nb\nP\n", "a\nb\nc\n", "Y\nb\nQ\n",
         "<<<<<<< m\nX\n||||||| o\na\n=======\nY\n>>>>>>> y\nb\n"
         "<<<<<<< m\nP\n||||||| o\nc\n=======\nQ\n>>>>>>> y\n",
         2},
        {"MINE empty", "", "a\n", "b\n", "<<<<<<< m\n||||||| o\na\n=======\nb\n>>>>>>> y\n", 1},
        // A last line without an end gets one before the marker that follows it.
        {"no last line end", "a\nx", "a\nb\n", "a\ny",
         "a\n<<<<<<< m\nx\n||||||| o\nb\n=======\ny\n>>>>>>> y\n", 1},
    };
    for (const Case &c : cases)
        expectMerges(c);
}

TEST(MergeText, LineEndsAreNoChangeAndFollowMine) {
    const Case cases[] = {
        // YOURS' LF lines take MINE's CR LF; a line end alone is no change.
        {"CR LF mine", "a\r\nb\r\nc\r\n", "a\nb\nc\n", "a\nB\nc\n", "a\r\nB\r\nc\r\n", 0},
        // Each line keeps an end that differs from its file's usual one.
        {"mixed", "a\r\nb\nc\r\nd\r\n", "a\r\nb\nc\r\nd\r\n", "a\nb\nC\rd\n", "a\r\nb\nC\rd\r\n",
         0},
        {"lone CR", "a\rb\rc\r", "a\rb\rc\r", "a\rB\rc\r", "a\rB\rc\r", 0},
        {"markers in CR LF", "a\r\nX\r\n", "a\r\nb\r\n", "a\r\nY\r\n",
         "a\r\n<<<<<<< m\r\nX\r\n||||||| o\r\nb\r\n=======\r\nY\r\n>>>>>>> y\r\n", 1},
    };
    for (const Case &c : cases)
        expectMerges(c);
}

TEST(MergeText, EachTextIsReadInItsEncodingAndTheResultIsInMine) {
    // Shift_JIS throughout: the bytes stay as they are.
    const QByteArray older = sjis("日本語の文書です\n二行目の文章です\n三行目の文章です\n");
    const QByteArray yours = sjis("日本語の文書です\n二行目を書き換えました\n三行目の文章です\n");
    expectMerges({"Shift_JIS", older, older, yours, yours, 0});
    // YOURS in UTF-8 against MINE in Shift_JIS: its line is written in Shift_JIS.
    const QByteArray yoursUtf8 = "日本語の文書です\n二行目を書き換えました\n三行目の文章です\n";
    expectMerges({"UTF-8 into Shift_JIS", older, older, yoursUtf8, yours, 0});
    // A MINE of plain ASCII takes the UTF-8 of YOURS rather than a guess.
    expectMerges(
        {"ASCII mine", "a\nb\nc\n", "a\nb\nc\n", "a\n日本語の行\nc\n", "a\n日本語の行\nc\n", 0});
    // UTF-16LE with its mark, markers included.
    const QByteArray m16 = utf16WithMark(QStringLiteral("一\r\n二\r\n"));
    const QByteArray o16 = utf16WithMark(QStringLiteral("一\r\n三\r\n"));
    const QByteArray y16 = utf16WithMark(QStringLiteral("一\r\n四\r\n"));
    expectMerges({"UTF-16LE", m16, o16, y16,
                  utf16WithMark(QStringLiteral("一\r\n<<<<<<< m\r\n二\r\n||||||| o\r\n三\r\n"
                                               "=======\r\n四\r\n>>>>>>> y\r\n")),
                  1});
    // A MINE that emptied the file stays empty: no mark of another side's.
    expectMerges({"UTF-16LE emptied", "", o16, o16, "", 0});
}

TEST(MergeText, ACharacterMinesEncodingCannotHoldIsAnErrorNotAQuestionMark) {
    const QByteArray older = sjis("日本語の文書です\n二行目の文章です\n");
    const MergedText r = merge(older, older, "日本語の文書です\n絵文字😀です\n");
    EXPECT_FALSE(r.ok());
    EXPECT_TRUE(r.bytes.isEmpty());
    EXPECT_TRUE(r.error.contains(QStringLiteral("y の 2 行目"))) << r.error.toStdString();
}

// Real revisions of this project's files with diff3's merge (a change both sides made alike
// taken once), in every encoding and line end the merge reads.
TEST(MergeText, RealTriplesMergeAsDiff3InEveryEncodingAndLineEnd) {
    const QDir root(QStringLiteral(CORVANE_SOURCE_DIR "/tests/merge/triples"));
    const QStringList names = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    ASSERT_GE(names.size(), 3);
    using Transcode = QByteArray (*)(const QByteArray &);
    const std::pair<const char *, Transcode> forms[] = {
        {"UTF-8 LF", [](const QByteArray &b) { return b; }},
        {"UTF-8 CR LF", [](const QByteArray &b) { return QByteArray(b).replace("\n", "\r\n"); }},
        {"UTF-8 with mark", [](const QByteArray &b) { return "\xEF\xBB\xBF" + b; }},
        {"Shift_JIS CR LF",
         [](const QByteArray &b) { return sjis(QByteArray(b).replace("\n", "\r\n").constData()); }},
        {"EUC-JP",
         [](const QByteArray &b) {
             bool ok = false;
             return IcuConvert::encode("EUC-JP", QString::fromUtf8(b), &ok);
         }},
        {"UTF-16LE CR LF",
         [](const QByteArray &b) {
             return utf16WithMark(
                 QString::fromUtf8(b).replace(QStringLiteral("\n"), QStringLiteral("\r\n")));
         }},
    };
    for (const QString &name : names) {
        const QString folder = root.filePath(name) + QLatin1Char('/');
        const QByteArray mine = TempFiles::read(folder + QStringLiteral("mine.txt"));
        const QByteArray older = TempFiles::read(folder + QStringLiteral("older.txt"));
        const QByteArray yours = TempFiles::read(folder + QStringLiteral("yours.txt"));
        const QByteArray merged = TempFiles::read(folder + QStringLiteral("merged.txt"));
        for (const auto &[form, transcode] : forms) {
            SCOPED_TRACE(name.toStdString() + ", " + form);
            const MergedText r = merge(transcode(mine), transcode(older), transcode(yours));
            EXPECT_TRUE(r.ok()) << r.error.toStdString();
            EXPECT_EQ(r.bytes, transcode(merged));
            EXPECT_GE(r.conflicts, 1);
        }
    }
}

// Any bytes: nothing breaks, and a merge where only MINE changed gives MINE back exactly.
TEST(MergeText, AnyBytesMergeWithoutHarm) {
    QRandomGenerator random(28);
    const char pieces[][4] = {"a",        "b",        "\n",     "\r", "\r\n", "\x82\xA0",
                              "\xE3\x81", "\xFF\xFE", "\x1B$B", "+",  "-",    "\0"};
    auto randomText = [&] {
        QByteArray bytes;
        for (int k = int(random.bounded(30)); k > 0; --k) {
            const char *piece = pieces[random.bounded(int(std::size(pieces)))];
            bytes += QByteArray(piece, piece[0] ? qsizetype(strlen(piece)) : 1);
        }
        return bytes;
    };
    for (int round = 0; round < 2000; ++round) {
        const QByteArray a = randomText(), b = randomText(), c = randomText();
        const MergedText anything = merge(a, b, c);
        (void)anything;
        const MergedText mineOnly = merge(a, b, b);
        ASSERT_TRUE(mineOnly.ok()) << round;
        EXPECT_EQ(mineOnly.bytes, a) << round;
        EXPECT_EQ(mineOnly.conflicts, 0);
    }
}

TEST(MergeFiles, WritesTheResultOrNothing) {
    TempFiles dir;
    const QString m = dir.write(QStringLiteral("m.txt"), "a\nX\nc\nd\n");
    const QString o = dir.write(QStringLiteral("o.txt"), "a\nb\nc\nd\n");
    const QString y = dir.write(QStringLiteral("y.txt"), "a\nb\nc\nD\n");
    const QString out = dir.filePath(QStringLiteral("out.txt"));
    MergeFilesResult r = mergeFiles(m, o, y, out);
    EXPECT_EQ(r.status, MergeFilesResult::Clean);
    EXPECT_EQ(TempFiles::read(out), "a\nX\nc\nD\n");

    // Labels are the paths as given.
    const QString y2 = dir.write(QStringLiteral("y2.txt"), "a\nY\nc\nd\n");
    r = mergeFiles(m, o, y2, out);
    EXPECT_EQ(r.status, MergeFilesResult::Conflicts);
    EXPECT_EQ(r.conflicts, 1);
    EXPECT_TRUE(TempFiles::read(out).startsWith(("a\n<<<<<<< " + m + "\n").toUtf8()));

    // A missing input leaves the output as it was.
    r = mergeFiles(m, dir.filePath(QStringLiteral("none.txt")), y, out);
    EXPECT_EQ(r.status, MergeFilesResult::Trouble);
    EXPECT_TRUE(r.error.contains(QStringLiteral("none.txt")));
    EXPECT_TRUE(TempFiles::read(out).startsWith("a\n<<<<<<< "));
    // So does an output that cannot be written.
    r = mergeFiles(m, o, y, dir.filePath(QStringLiteral("no/such/folder/out.txt")));
    EXPECT_EQ(r.status, MergeFilesResult::Trouble);
    EXPECT_FALSE(r.error.isEmpty());
}

} // namespace
