// The changed characters of a changed pair in batch reports (setting InlineDiff, on by default),
// and exactly the former reports with InlineDiff=0.
#include "BatchProgram.h"
#include "support/XlsxPackage.h"

namespace {

class InlineDiffBatchTest : public BatchProgramTest {
protected:
    QByteArray report(const QByteArray &settings, const char *name) {
        write("setting.ini", "[Corvane]\n" + settings);
        const QString out = dir.filePath(QString::fromLatin1(name));
        const RunResult r = run({write("l.txt", "same line\nint count = 10;\n"),
                                 write("r.txt", "same line\nint total = 12;\n"), "/o", out});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, QString());
        return read(out);
    }
    // The header row names the files with their times: left out of the comparison.
    static QByteArray withoutHeaderRow(const QByteArray &page) {
        const qsizetype from = page.indexOf("<th>行数</th>");
        return page.left(from) + page.mid(page.indexOf("</tr>", from));
    }
};

} // namespace

TEST_F(InlineDiffBatchTest, HtmlMarksTheChangedCharactersByDefault) {
    const QByteArray page = report("", "out.html");
    EXPECT_TRUE(page.contains("span.chg { background:#CCCC00; }\r\n</style>\r\n"));
    EXPECT_TRUE(page.contains("<td bgcolor=#FFFF00>int <span class=\"chg\">count</span> = "
                              "1<span class=\"chg\">0</span>;</td>\r\n"));
    EXPECT_TRUE(page.contains("<td bgcolor=#FFFF00>int <span class=\"chg\">total</span> = "
                              "1<span class=\"chg\">2</span>;</td>\r\n"));
    EXPECT_TRUE(page.contains("<td>same line</td>"));
}

TEST_F(InlineDiffBatchTest, OffGivesTheFormerHtmlByteForByte) {
    const QByteArray expected =
        "\xEF\xBB\xBF<html>\r\n<head>\r\n"
        "<meta http-equiv=\"content-type\" content=\"text/html; charset=UTF-8\">\r\n"
        "<meta name=\"description\" content=\"Corvaneによる比較結果\">\r\n"
        "<meta name=\"generator\" content=\"Corvane\">\r\n"
        "<style type=\"Text/css\">\r\n"
        "table { border:solid 1px #000000; border-collapse:collapse; border-spacing:0; }\r\n"
        "th {font-size:85%; border:solid 1px #000000; padding:3; background:#F0F0F0; }\r\n"
        "td {font-size:85%; border:solid 1px #000000; padding:3; white-space:pre-wrap; }\r\n"
        "</style>\r\n<title>比較結果</title>\r\n</head>\r\n<body>\r\n<center>\r\n<table>\r\n"
        "<tr>\r\n<th  colspan=2>" +
        dir.filePath("l.txt").toUtf8() + "</th>\r\n<th  colspan=2>" +
        dir.filePath("r.txt").toUtf8() +
        "</th>\r\n</tr>\r\n<tr>\r\n</tr>\r\n"
        "<tr>\r\n<td>1</td>\r\n<td>same line</td>\r\n<td>1</td>\r\n<td>same line</td>\r\n</tr>\r\n"
        "<tr>\r\n<td bgcolor=#FFFF00>2</td>\r\n<td bgcolor=#FFFF00>int count = 10;</td>\r\n"
        "<td bgcolor=#FFFF00>2</td>\r\n<td bgcolor=#FFFF00>int total = 12;</td>\r\n</tr>\r\n"
        "<tr>\r\n<td>3</td>\r\n<td></td>\r\n<td>3</td>\r\n<td></td>\r\n</tr>\r\n"
        "</table>\r\n</center>\r\n</body>\r\n</html>";
    EXPECT_EQ(withoutHeaderRow(report("InlineDiff=0\n", "off.html")), expected);
}

TEST_F(InlineDiffBatchTest, WorkbookHasRichTextOnlyWhenOn) {
    const QString path = dir.filePath("out.xlsx");
    report("", "out.xlsx");
    const QByteArray marked = XlsxPackage::entry(path, "xl/worksheets/sheet1.xml");
    EXPECT_TRUE(marked.contains("<t>count</t>")) << marked.constData();
    EXPECT_TRUE(marked.contains("<t>total</t>"));
    EXPECT_EQ(XlsxPackage::read(path).cell("C5").value, QStringLiteral("int count = 10;"));

    report("InlineDiff=0\n", "out.xlsx");
    const QByteArray plain = XlsxPackage::entry(path, "xl/worksheets/sheet1.xml");
    EXPECT_FALSE(plain.contains("<r>"));
    EXPECT_FALSE(XlsxPackage::entry(path, "xl/styles.xml").contains("<b/>"));
    EXPECT_EQ(XlsxPackage::read(path).cell("C5").value, QStringLiteral("int count = 10;"));
}

TEST_F(InlineDiffBatchTest, CsvIsTheSameEitherWay) {
    // After the header line, which names the files with their times.
    const QByteArray on = report("", "on.csv"), off = report("InlineDiff=0\n", "off.csv");
    EXPECT_EQ(on.mid(on.indexOf("\r\n")), off.mid(off.indexOf("\r\n")));
}
