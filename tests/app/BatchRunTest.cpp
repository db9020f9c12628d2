// End-to-end runs of the real program in batch mode: the bytes it writes, its exit status, and
// what it prints.
#include "app/BatchProgram.h"
#include "support/XlsxPackage.h"

#include <QDir>
#include <QFileInfo>

#include <unicode/ucnv.h>

#include <tuple>

namespace {

using BatchRunTest = BatchProgramTest;

const QByteArray Left = "alpha line\nbeta line\ngamma line\ndelta line\n";
const QByteArray Right = "alpha line\nnew one\ngamma line\nbeta line\ndelta line\n";

} // namespace

TEST_F(BatchRunTest, CsvReportOfTwoTextFiles) {
    const QString a = write("a.txt", Left), b = write("b.txt", Right);
    const QString out = dir.filePath("out.csv");
    const RunResult r = run({a, b, "/o", out});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, QString());
    EXPECT_EQ(r.out, QStringLiteral("完了     不一致行=0  左のみ存在=1  右のみ存在=2\n"));
    const QByteArray bytes = read(out);
    EXPECT_TRUE(bytes.startsWith(QStringLiteral("\uFEFF\"差分結果\",\"行数\",\"a.txt [").toUtf8()));
    const QStringList lines = QString::fromUtf8(bytes).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 9); // header, 7 rows, and nothing after the last CR LF
    EXPECT_EQ(lines[1], QStringLiteral("\"\",\"1\",\"alpha line\",\"\",\"1\",\"alpha line\""));
    EXPECT_EQ(lines[2], QStringLiteral("\"DEL\",\"\",\"\",\"ADD\",\"2\",\"new one\""));
    EXPECT_EQ(lines[3], QStringLiteral("\"DEL\",\"\",\"\",\"ADD\",\"3\",\"gamma line\""));
    EXPECT_EQ(lines[5], QStringLiteral("\"ADD\",\"3\",\"gamma line\",\"DEL\",\"\",\"\""));
    EXPECT_EQ(lines[7], QStringLiteral("\"\",\"5\",\"\",\"\",\"6\",\"\""));
    EXPECT_EQ(lines[8], QString());
}

TEST_F(BatchRunTest, ShortLowerCaseTextIsReadAsText) {
    const QString a = write("a.txt", "old text\nsame\n"), b = write("b.txt", "new text\nsame\n");
    const QString out = dir.filePath("out.csv");
    const RunResult r = run({a, b, "/o", out});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, QStringLiteral("完了     不一致行=1  左のみ存在=0  右のみ存在=0\n"));
    const QStringList lines = QString::fromUtf8(read(out)).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 5); // header, two lines, the empty one after the last LF, nothing
    EXPECT_EQ(lines[1], QStringLiteral("\"CHG\",\"1\",\"old text\",\"CHG\",\"1\",\"new text\""));
    EXPECT_EQ(lines[2], QStringLiteral("\"\",\"2\",\"same\",\"\",\"2\",\"same\""));

    // Two short shell scripts, one line apart: one changed row, not four one-sided ones.
    const QString s1 = write("one.sh", "#!/bin/sh\nset -e\ncd /tmp\nexec make all\n");
    const QString s2 = write("two.sh", "#!/bin/sh\nset -e\ncd /var\nexec make all\n");
    EXPECT_EQ(run({s1, s2, "/o", out}).out,
              QStringLiteral("完了     不一致行=1  左のみ存在=0  右のみ存在=0\n"));
}

TEST_F(BatchRunTest, WorkbookReportOfTwoTextFiles) {
    const QString a = write("a.txt", Left), b = write("b.txt", Right);
    const QString out = dir.filePath("out.xlsx");
    const RunResult r = run({a, b, "/o", out});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, QString());
    EXPECT_EQ(r.out, QStringLiteral("完了     不一致行=0  左のみ存在=1  右のみ存在=2\n"));
    const XlsxPackage::Sheet sheet = XlsxPackage::read(out);
    ASSERT_TRUE(sheet.ok);
    EXPECT_EQ(sheet.cell("B2").value, a);
    EXPECT_EQ(sheet.cell("D2").value, b);
    EXPECT_TRUE(sheet.cell("C3").value.startsWith(QStringLiteral("a.txt [")));
    EXPECT_EQ(sheet.cell("C4").value, QStringLiteral("alpha line"));
    // The right-only line "new one" in row 5: its side coloured as added (16744448).
    EXPECT_EQ(sheet.cell("D5").value, QStringLiteral("2"));
    EXPECT_EQ(sheet.cell("E5").value, QStringLiteral("new one"));
    EXPECT_EQ(sheet.cell("E5").style.fill, QStringLiteral("FF0080FF"));
    EXPECT_EQ(sheet.cell("B3").style.fill, QStringLiteral("FFC0C0C0"));
}

TEST_F(BatchRunTest, HtmlReportWithJoinedOptionAndSixEncodings) {
    // The same Japanese text as Shift_JIS with CR LF, and as UTF-8 with LF: no differences.
    const QByteArray sjis = QByteArray::fromHex("93fa967b8cea82cc8365834c835883670d0a93f18d7396da");
    const QString a = write("s.txt", sjis), b = write("u.txt", "日本語のテキスト\n二行目");
    const QString out = dir.filePath("out.html");
    const RunResult r = run({a, b, "/o" + out});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, QStringLiteral("完了  文字コードと改行コードのみ異なります (CRLF / LF)\n"));
    const QByteArray page = read(out);
    EXPECT_TRUE(page.startsWith("\xEF\xBB\xBF<html>\r\n<head>\r\n"));
    EXPECT_TRUE(page.endsWith("</table>\r\n</center>\r\n</body>\r\n</html>"));
    EXPECT_TRUE(page.contains(QStringLiteral("<td>日本語のテキスト</td>").toUtf8()));
    EXPECT_FALSE(page.contains("bgcolor"));
}

TEST_F(BatchRunTest, ColoursAndMarkupInTheHtmlReport) {
    write("setting.ini", "[Corvane]\nInlineDiff=0\n"); // the cell text whole
    const QString a = write("a.txt", "same line\nold <b>&</b>\n");
    const QString b = write("b.txt", "same line\nnew <b>&</b>\n");
    const QString out = dir.filePath("out.htm");
    EXPECT_EQ(run({a, b, "/o", out}).status, 1);
    const QByteArray page = read(out);
    EXPECT_TRUE(page.contains("<td bgcolor=#FFFF00>old &lt;b&gt;&amp;&lt;/b&gt;</td>\r\n"));
}

TEST_F(BatchRunTest, SettingsFileOptionsApplyAndHistoryIsLeftAlone) {
    const QByteArray ini = "[Corvane]\r\nOnlyDF=1\r\nColor0=255\r\nCombo=&1B&5A\r\n"
                           "History01=&1B&5A&26&5A&1B&5A\r\n";
    write("setting.ini", ini);
    const QString a = write("a.txt", "same line\nold text\nsame end\n");
    const QString b = write("b.txt", "same line\nnew text\nsame end\n");
    const QString out = dir.filePath("out.csv");
    EXPECT_EQ(run({a, b, "/o", out}).status, 1);
    const QStringList lines = QString::fromUtf8(read(out)).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 3); // only the changed row
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("\"CHG\",\"2\"")));
    EXPECT_EQ(read(dir.filePath("setting.ini")), ini);
}

TEST_F(BatchRunTest, TroubleEndsWithStatusTwoAndOneLine) {
    const QString a = write("a.txt", Left), b = write("b.txt", Right);
    struct Case {
        QStringList args;
        const char *why;
    } cases[] = {
        {{a, b, "/o", dir.filePath("missing/folder/out.csv")}, "output folder missing"},
        {{a, dir.filePath("nope.txt"), "/o", dir.filePath("x.csv")}, "input missing"},
        {{a, b, "/o", dir.filePath("missing/out.xlsx")}, "workbook into a missing folder"},
    };
    for (const Case &c : cases) {
        const RunResult r = run(c.args);
        EXPECT_EQ(r.status, 2) << c.why;
        EXPECT_EQ(r.err.count('\n'), 1) << c.why << ": " << r.err.toStdString();
    }
    // Without "/o" the window needs a display; without one the program says so, no crash.
    const RunResult noDisplay = run({a, b});
    EXPECT_EQ(noDisplay.status, 2);
    EXPECT_EQ(noDisplay.err.count('\n'), 1) << noDisplay.err.toStdString();
    EXPECT_TRUE(noDisplay.err.contains(QStringLiteral("/o")));
    EXPECT_FALSE(QFile::exists(dir.filePath("x.csv")));
    EXPECT_FALSE(QFile::exists(dir.filePath("missing/out.xlsx")));
}

TEST_F(BatchRunTest, FailedWriteKeepsTheEarlierReport) {
    const QString a = write("a.txt", Left), b = write("b.txt", Right);
    // The output path is an existing folder: nothing can be written there, nothing is lost.
    const QString out = dir.filePath("report.csv");
    QDir(dir.path()).mkdir("report.csv");
    const RunResult r = run({a, b, "/o", out});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(QFileInfo(out).isDir());
}

TEST_F(BatchRunTest, SameTextInEachEncodingComparesEqual) {
    const QString text = QStringLiteral("週末の山歩きの記録\n土曜日の朝、六時に駅前で集合した。\n");
    const QString reference = write("ref.txt", text.toUtf8());
    auto encode = [&](const char *charset) {
        UErrorCode error = U_ZERO_ERROR;
        UConverter *converter = ucnv_open(charset, &error);
        char buffer[1024];
        const int32_t n = ucnv_fromUChars(converter, buffer, sizeof buffer,
                                          reinterpret_cast<const UChar *>(text.utf16()),
                                          int32_t(text.size()), &error);
        ucnv_close(converter);
        EXPECT_TRUE(U_SUCCESS(error)) << charset;
        return QByteArray(buffer, n);
    };
    QByteArray utf16("\xFF\xFE", 2);
    utf16.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    const QByteArray utf7 = "+kDFnKzBuXHFraTBNMG6KGJMy-\n"
                            "+Vx9m3GXlMG5nHTABUW1mQjBrmcVSTTBnlsZUCDBXMF8wAg-\n";
    // Equal, and the summary says why the bytes differ all the same.
    const QString encodingOnly = QStringLiteral("完了  文字コードのみ異なります (%1 / UTF-8)\n");
    const std::tuple<const char *, QByteArray, QString> sources[] = {
        {"sjis", encode("windows-31j").replace("\n", "\r\n"),
         QStringLiteral("完了  文字コードと改行コードのみ異なります (CRLF / LF)\n")},
        {"jis", encode("ISO-2022-JP"), encodingOnly.arg("ISO-2022-JP")},
        {"euc", encode("EUC-JP"), encodingOnly.arg("EUC-JP")},
        {"utf8", text.toUtf8(), QStringLiteral("完了\n")},
        {"utf7", utf7, encodingOnly.arg("UTF-7")},
        {"utf16", utf16, encodingOnly.arg("UTF-16LE BOM付き")},
    };
    for (const auto &[name, bytes, summary] : sources) {
        const QString path = write(QString::fromLatin1(name) + ".txt", bytes);
        const RunResult r = run({path, reference, "/o", dir.filePath("out.csv")});
        EXPECT_EQ(r.status, 0) << name;
        EXPECT_EQ(r.out, summary) << name;
    }
}
