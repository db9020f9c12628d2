// Batch runs whose sides differ in encoding or line ends only, text no encoding of detection
// reads, and the options that name a side's encoding.
#include "app/BatchProgram.h"
#include "app/BatchRun.h"

#include <unicode/ucnv.h>

namespace {

using EncodingBatchTest = BatchProgramTest;

const QString Text = QStringLiteral(u"設定ファイルの説明\n二行目の文章です。\n");
const QString Chinese =
    QStringLiteral(u"这是一个测试文件。我们今天去公园散步，天气很好。\n简体中文的内容。\n");

QByteArray encoded(const char *charset, const QString &text) {
    const QByteArray utf8 = text.toUtf8();
    QByteArray out(utf8.size() * 4 + 16, '\0');
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n = ucnv_convert(charset, "UTF-8", out.data(), int32_t(out.size()),
                                   utf8.constData(), int32_t(utf8.size()), &status);
    EXPECT_TRUE(U_SUCCESS(status)) << charset;
    out.resize(n);
    return out;
}

QByteArray crLf(QByteArray bytes) {
    return bytes.replace("\n", "\r\n");
}

} // namespace

TEST_F(EncodingBatchTest, EqualTextsSayWhyTheirBytesDiffer) {
    // Before, each of these pairs was a bare "完了" while the unified diff changed every line.
    const QString utf8 = write("utf8.txt", Text.toUtf8());
    const QString out = dir.filePath("out.csv");
    struct Case {
        const char *name;
        QByteArray bytes;
        QString summary;
    };
    const Case cases[] = {
        {"crlf.txt", crLf(Text.toUtf8()),
         QStringLiteral("完了  改行コードのみ異なります (CRLF / LF)")},
        {"cr.txt", Text.toUtf8().replace('\n', '\r'),
         QStringLiteral("完了  改行コードのみ異なります (CR / LF)")},
        {"mixed.txt", Text.toUtf8().replace("\n二", "\r\n二"),
         QStringLiteral("完了  改行コードのみ異なります (CRLF+LF / LF)")},
        {"euc.txt", encoded("EUC-JP", Text),
         QStringLiteral("完了  文字コードのみ異なります (EUC-JP / UTF-8)")},
        {"bom.txt", "\xEF\xBB\xBF" + Text.toUtf8(),
         QStringLiteral("完了  文字コードのみ異なります (UTF-8 BOM付き / UTF-8)")},
        {"both.txt", crLf(encoded("windows-31j", Text)),
         QStringLiteral("完了  文字コードと改行コードのみ異なります (CRLF / LF)")},
        {"same.txt", Text.toUtf8(), QStringLiteral("完了")},
    };
    for (const Case &c : cases) {
        const RunResult r = run({write(QString::fromLatin1(c.name), c.bytes), utf8, "/o", out});
        EXPECT_EQ(r.status, 0) << c.name;
        EXPECT_EQ(r.out, c.summary + QLatin1Char('\n')) << c.name;
    }
    // A unified diff lists every line of the pair, and the summary says why.
    const RunResult diff =
        run({write("crlf2.txt", crLf(Text.toUtf8())), utf8, "/o", dir.filePath("out.diff")});
    EXPECT_EQ(diff.status, 0);
    EXPECT_EQ(diff.out, QStringLiteral("完了  改行コードのみ異なります (CRLF / LF)\n"));
    EXPECT_TRUE(read(dir.filePath("out.diff")).contains("@@ -1,2 +1,2 @@"));
}

TEST_F(EncodingBatchTest, TextNoEncodingReadsIsSaidAndCanBeNamed) {
    const QString gb = write("gb.txt", encoded("GB18030", Chinese));
    const QString utf8 = write("utf8.txt", Chinese.toUtf8());
    const QString out = dir.filePath("out.csv");
    const RunResult guessed = run({gb, utf8, "/o", out});
    EXPECT_EQ(guessed.status, 1);
    EXPECT_EQ(guessed.out, QStringLiteral("完了     不一致行=2  左のみ存在=0  右のみ存在=0  "
                                          "(文字コードを判別できません: 左を EUC-JP "
                                          "で表示しています)\n"));

    // Named, in either spelling: the texts are equal and the report holds the Chinese.
    for (const QStringList &options : {QStringList{"/e1", "GB18030"}, QStringList{"/e1gb18030"}}) {
        const RunResult named = run(QStringList{gb, utf8} + options + QStringList{"/o", out});
        EXPECT_EQ(named.status, 0) << options.join(' ').toStdString();
        EXPECT_EQ(named.out, QStringLiteral("完了  (左を GB18030 で表示しています)\n"));
        EXPECT_TRUE(QString::fromUtf8(read(out)).contains(QStringLiteral(u"简体中文的内容。")));
    }
    // The right side too, and a name nobody knows.
    const QString be = write("be.txt", encoded("UTF-16BE", Chinese));
    const RunResult right = run({utf8, be, "/e2", "utf16be", "/o", out});
    EXPECT_EQ(right.status, 0);
    EXPECT_EQ(right.out, QStringLiteral("完了  (右を UTF-16BE で表示しています)\n"));
    const RunResult unknown = run({gb, utf8, "/e1", "KOI8", "/o", out});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_TRUE(unknown.err.startsWith(
        QStringLiteral("corvane: 文字コード名が正しくありません: KOI8 (SJIS, JIS, EUC, UTF8,")))
        << unknown.err.toStdString();
}

TEST_F(EncodingBatchTest, MarkedUtf16BeAndUtf32CompareEqualToTheirText) {
    // Before, these were read as the code page and every line differed.
    const QString utf8 = write("utf8.txt", Text.toUtf8());
    const QString out = dir.filePath("out.csv");
    const std::pair<const char *, const char *> files[] = {
        {"be.txt", "UTF-16BE"}, {"le32.txt", "UTF-32LE"}, {"be32.txt", "UTF-32BE"}};
    for (const auto &[name, charset] : files) {
        const QString path =
            write(QString::fromLatin1(name), encoded(charset, QChar(0xFEFF) + Text));
        const RunResult r = run({path, utf8, "/o", out});
        EXPECT_EQ(r.status, 0) << name;
        EXPECT_TRUE(r.out.startsWith(QStringLiteral("完了  文字コードのみ異なります (UTF-")))
            << r.out.toStdString();
    }
}

TEST(EncodingOptions, NameEachSideInEitherSpelling) {
    const auto request = parseBatchArgs({"corvane", "", "", "/e1", "euc", "/E2UTF16BE", "/o", "x"});
    ASSERT_TRUE(request);
    EXPECT_EQ(request->encodings[0], QStringLiteral("euc"));
    EXPECT_EQ(request->encodings[1], QStringLiteral("UTF16BE"));
    // An option without its name is not taken for one, nor does it swallow the output.
    const auto missing = parseBatchArgs({"corvane", "", "", "/e1", "/o", "x"});
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->notFound, QStringList{"/e1"});
    EXPECT_EQ(missing->output, QStringLiteral("x"));
}
