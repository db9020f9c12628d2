// Two workbooks in a batch run: a report of every differing cell and of the sheets only one
// side has, in each output format, with diff's exit statuses.
#include "app/BatchProgram.h"
#include "sheet/SheetFixtures.h"
#include "support/XlsxPackage.h"

namespace {

using WorkbookReportBatchTest = BatchProgramTest;

// A cell of a sheet part: numbers as they are, anything else as an inline string.
QByteArray cellXml(const QByteArray &ref, const QByteArray &value) {
    bool number = false;
    value.toDouble(&number);
    if (number)
        return "<c r=\"" + ref + "\"><v>" + value + "</v></c>";
    const QByteArray escaped = QString::fromUtf8(value).toHtmlEscaped().toUtf8();
    return "<c r=\"" + ref + "\" t=\"inlineStr\"><is><t>" + escaped + "</t></is></c>";
}

// Rows of comma-separated values from row 1 on; an empty value is no cell.
QByteArray sheetOf(const QList<QByteArray> &rows) {
    QByteArray body;
    for (qsizetype r = 0; r < rows.size(); ++r) {
        const QByteArray n = QByteArray::number(r + 1);
        body += "<row r=\"" + n + "\">";
        const QList<QByteArray> values = rows[r].split(',');
        for (qsizetype c = 0; c < values.size(); ++c) {
            if (!values[c].isEmpty())
                body += cellXml(QByteArray(1, char('A' + c)) + n, values[c]);
        }
        body += "</row>";
    }
    return SheetFixtures::sheetXml(body);
}

QStringList csvRows(const QByteArray &bytes) {
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    QStringList rows = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"));
    EXPECT_EQ(rows.takeLast(), QString()); // every row ends in CR LF
    return rows;
}

} // namespace

TEST_F(WorkbookReportBatchTest, CellsAndOneSidedSheetsAreListed) {
    const QString a = dir.filePath("a.xlsx"), b = dir.filePath("b.XLSX");
    ASSERT_TRUE(SheetFixtures::writeZip(
        a, SheetFixtures::workbookParts({{"集計", sheetOf({"名前,数", "りんご,10", ",", "x,"})},
                                         {"Old", sheetOf({"gone"})}})));
    ASSERT_TRUE(SheetFixtures::writeZip(
        b, SheetFixtures::workbookParts({{"集計", sheetOf({"名前,数", "りんご,12", ",\"q\"y"})},
                                         {"New", sheetOf({"fresh"})}})));
    const QString out = dir.filePath("report.csv");
    const RunResult r = run({a, b, "/o", out});
    EXPECT_EQ(r.err, QString());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, QStringLiteral("完了     不一致行=1  左のみ存在=2  右のみ存在=2\n"));
    EXPECT_EQ(csvRows(read(out)),
              QStringList({"\"シート\",\"セル\",\"差分結果\",\"" + a + "\",\"" + b + "\"",
                           "\"集計\",\"B2\",\"CHG\",\"10\",\"12\"",
                           "\"集計\",\"B3\",\"ADD\",\"\",\"\"\"q\"\"y\"",
                           "\"集計\",\"A4\",\"DEL\",\"x\",\"\"", "\"Old\",\"\",\"DEL\",\"\",\"\"",
                           "\"New\",\"\",\"ADD\",\"\",\"\""}));

    // The same workbook twice (two files): nothing differs.
    const QString copy = dir.filePath("copy.xlsx");
    ASSERT_TRUE(QFile::copy(a, copy));
    const RunResult same = run({a, copy, "/o", out});
    EXPECT_EQ(same.status, 0);
    EXPECT_EQ(same.out, QStringLiteral("完了\n"));
    EXPECT_EQ(csvRows(read(out)).size(), 1); // the header alone

    // A damaged workbook is trouble, named with its file; the old report stays.
    const QString broken = write("broken.xlsx", "not a zip");
    const RunResult bad = run({a, broken, "/o", out});
    EXPECT_EQ(bad.status, 2);
    EXPECT_TRUE(bad.err.startsWith(QStringLiteral("corvane: "))) << bad.err.toStdString();
    EXPECT_TRUE(bad.err.endsWith(broken + u'\n')) << bad.err.toStdString();
    EXPECT_EQ(csvRows(read(out)).size(), 1);
}

TEST_F(WorkbookReportBatchTest, HtmlAndWorkbookReportsColourTheValues) {
    const QString a = dir.filePath("a.xlsx"), b = dir.filePath("b.xlsx");
    ASSERT_TRUE(SheetFixtures::writeZip(
        a, SheetFixtures::workbookParts({{"S", sheetOf({"1,<b>", "0.30000000000000004"})}})));
    ASSERT_TRUE(
        SheetFixtures::writeZip(b, SheetFixtures::workbookParts({{"S", sheetOf({"1,", "0.3"})}})));
    write("setting.ini", "[Corvane]\r\nColor0=255\r\nColor1=65280\r\nColor2=16711680\r\n");

    const QString html = dir.filePath("report.html");
    EXPECT_EQ(run({a, b, "/o", html}).status, 1);
    const QString page = QString::fromUtf8(read(html));
    EXPECT_TRUE(page.contains(QStringLiteral("<tr><td>S</td><td>B1</td><td>DEL</td>"
                                             "<td bgcolor=#00FF00>&lt;b&gt;</td>"
                                             "<td bgcolor=#0000FF></td></tr>")))
        << page.toStdString();
    // Spaces in a value stay as they are, not collapsed.
    EXPECT_TRUE(page.contains(QStringLiteral("white-space:pre-wrap;")));
    // Numbers keep every digit they have.
    EXPECT_TRUE(page.contains(QStringLiteral("<td>A2</td><td>CHG</td>"
                                             "<td bgcolor=#FF0000>0.30000000000000004</td>"
                                             "<td bgcolor=#FF0000>0.3</td>")))
        << page.toStdString();

    const QString xlsx = dir.filePath("report.xlsx");
    EXPECT_EQ(run({a, b, "/o", xlsx}).status, 1);
    const XlsxPackage::Sheet sheet = XlsxPackage::read(xlsx);
    ASSERT_TRUE(sheet.ok);
    EXPECT_EQ(sheet.cell("C1").value, QStringLiteral("差分結果"));
    EXPECT_EQ(sheet.cell("D1").value, a);
    EXPECT_EQ(sheet.cell("B2").value, QStringLiteral("B1"));
    EXPECT_EQ(sheet.cell("D2").value, QStringLiteral("<b>"));
    EXPECT_EQ(sheet.cell("D2").style.fill, QStringLiteral("FF00FF00"));
    EXPECT_EQ(sheet.cell("E2").style.fill, QStringLiteral("FF0000FF"));
    EXPECT_EQ(sheet.cell("D3").value, QStringLiteral("0.30000000000000004"));
    EXPECT_EQ(sheet.cell("E3").style.fill, QStringLiteral("FFFF0000"));
}

TEST_F(WorkbookReportBatchTest, InsertedRowIsOneAddedRowWhenRowsAreAligned) {
    QList<QByteArray> rows;
    for (int r = 1; r <= 30; ++r)
        rows << "item" + QByteArray::number(r) + "," + QByteArray::number(r * 10) + ",note";
    QList<QByteArray> inserted = rows;
    inserted.insert(10, "new item,999,added");
    inserted[20] = "item20,201,note"; // and one changed value further down
    const QString a = dir.filePath("a.xlsx"), b = dir.filePath("b.xlsx");
    ASSERT_TRUE(SheetFixtures::writeZip(a, SheetFixtures::workbookParts({{"S", sheetOf(rows)}})));
    ASSERT_TRUE(
        SheetFixtures::writeZip(b, SheetFixtures::workbookParts({{"S", sheetOf(inserted)}})));
    const QString out = dir.filePath("report.csv");

    // Cell by cell, every row below the insertion differs.
    const RunResult plain = run({a, b, "/o", out});
    EXPECT_EQ(plain.status, 1);
    EXPECT_EQ(plain.out, QStringLiteral("完了     不一致行=41  左のみ存在=0  右のみ存在=3\n"));

    write("setting.ini", "[Corvane]\r\nSheetAlignRows=1\r\n");
    const RunResult aligned = run({a, b, "/o", out});
    EXPECT_EQ(aligned.status, 1);
    EXPECT_EQ(aligned.out, QStringLiteral("完了     不一致行=1  左のみ存在=0  右のみ存在=3\n"));
    EXPECT_EQ(
        csvRows(read(out)).mid(1),
        QStringList({"\"S\",\"A11\",\"ADD\",\"\",\"new item\"",
                     "\"S\",\"B11\",\"ADD\",\"\",\"999\"", "\"S\",\"C11\",\"ADD\",\"\",\"added\"",
                     "\"S\",\"B20→B21\",\"CHG\",\"200\",\"201\""}));
}

TEST_F(WorkbookReportBatchTest, CsvFilesUnderTheCsvToggleAreWorkbooks) {
    write("setting.ini", "[Corvane]\r\nCsv=1\r\n");
    const QString a = write("a.csv", "id,name\n1,alpha\n2,beta\n");
    const QString b = write("b.csv", "id,name\n1,alpha\n2,gamma\n");
    const QString out = dir.filePath("report.csv");
    const RunResult r = run({a, b, "/o", out});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, QString());
    const QStringList rows = csvRows(read(out));
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[1], QStringLiteral("\"a→b\",\"B3\",\"CHG\",\"beta\",\"gamma\""));
}

// A unified diff of two workbooks is diff's line for files patch cannot take, never a cell
// report; the exit status says what the diff says.
TEST_F(WorkbookReportBatchTest, UnifiedDiffOfTwoWorkbooksIsTheBinaryFilesLine) {
    const QString a = dir.filePath("a.xlsx"), b = dir.filePath("b.xlsx");
    ASSERT_TRUE(SheetFixtures::writeZip(
        a, SheetFixtures::workbookParts({{"S", sheetOf({"name,1", "x,2"})}})));
    ASSERT_TRUE(SheetFixtures::writeZip(
        b, SheetFixtures::workbookParts({{"S", sheetOf({"name,1", "x,3"})}})));
    const QString out = dir.filePath("x.diff");
    const RunResult r = run({a, b, "/o", out});
    EXPECT_EQ(r.err, QString());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(read(out), ("Binary files " + a + " and " + b + " differ\n").toUtf8());

    const QString copy = dir.filePath("copy.xlsx");
    ASSERT_TRUE(QFile::copy(a, copy));
    const RunResult same = run({a, copy, "/o", dir.filePath("y.PATCH")});
    EXPECT_EQ(same.status, 0);
    EXPECT_EQ(read(dir.filePath("y.PATCH")), QByteArray());
}

// What the output asks for is decided before what the sources are: a unified diff is made of the
// files' bytes without reading their cells, and under the CSV toggle a CSV file is still text to
// diff.
TEST_F(WorkbookReportBatchTest, UnifiedDiffNeverDependsOnTheCells) {
    const QString a = dir.filePath("a.xlsx");
    ASSERT_TRUE(SheetFixtures::writeZip(a, SheetFixtures::workbookParts({{"S", sheetOf({"1"})}})));
    const QString out = dir.filePath("x.diff");

    // A workbook whose cells cannot be read still has bytes to tell apart.
    const QString broken = write("broken.xlsx", "not a zip");
    const RunResult damaged = run({a, broken, "/o", out});
    EXPECT_EQ(damaged.err, QString());
    EXPECT_EQ(damaged.status, 1);
    EXPECT_EQ(read(out), ("Binary files " + a + " and " + broken + " differ\n").toUtf8());

    // The same cells in other bytes: the files differ, and so does the exit status.
    const QString b = dir.filePath("b.xlsx");
    ASSERT_TRUE(SheetFixtures::writeZip(
        b, SheetFixtures::workbookParts(
               {{"S", SheetFixtures::sheetXml("<row r=\"1\" spans=\"1:1\"><c r=\"A1\">"
                                              "<v>1</v></c></row>")}})));
    EXPECT_EQ(run({a, b, "/o", dir.filePath("cells.csv")}).status, 0);
    const RunResult other = run({a, b, "/o", out});
    EXPECT_EQ(other.status, 1);
    EXPECT_EQ(read(out), ("Binary files " + a + " and " + b + " differ\n").toUtf8());

    write("setting.ini", "[Corvane]\r\nCsv=1\r\n");
    const QString c1 = write("c1.csv", "id,name\n1,alpha\n");
    const QString c2 = write("c2.csv", "id,name\n1,beta\n");
    const RunResult csv = run({c1, c2, "/o", out});
    EXPECT_EQ(csv.status, 1);
    const QByteArray diff = read(out);
    EXPECT_TRUE(diff.startsWith("--- " + c1.toUtf8())) << diff.toStdString();
    EXPECT_TRUE(diff.endsWith("@@ -1,2 +1,2 @@\n id,name\n-1,alpha\n+1,beta\n"))
        << diff.toStdString();
    // The toggle still makes a cell report of the same pair in any other format.
    const RunResult report = run({c1, c2, "/o", dir.filePath("r.csv")});
    EXPECT_EQ(report.status, 1);
    EXPECT_EQ(csvRows(read(dir.filePath("r.csv"))).size(), 2);
}

// Numbers to 15 digits and formulas besides values, from setting.ini; without them the same
// books give today's report.
TEST_F(WorkbookReportBatchTest, DigitsAndFormulasOptionsChangeWhatDiffers) {
    const auto book = [&](const QString &name, const QByteArray &cells) {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(SheetFixtures::writeZip(
            path, SheetFixtures::workbookParts(
                      {{"S", SheetFixtures::sheetXml("<row r=\"1\">" + cells + "</row>")}})));
        return path;
    };
    const QString a = book("a.xlsx", "<c r=\"A1\"><v>0.30000000000000004</v></c>"
                                     "<c r=\"B1\"><f>A1*2</f><v>0.6</v></c>"
                                     "<c r=\"C1\"><f>SUM(A1:B1)</f></c>");
    const QString b = book("b.xlsx", "<c r=\"A1\"><v>0.3</v></c>"
                                     "<c r=\"B1\"><f>A1+A1</f><v>0.6</v></c>"
                                     "<c r=\"C1\"><f>SUM(A1:B2)</f></c>");
    const QString out = dir.filePath("report.csv");

    const RunResult plain = run({a, b, "/o", out});
    EXPECT_EQ(plain.status, 1);
    EXPECT_EQ(csvRows(read(out)).mid(1),
              QStringList({"\"S\",\"A1\",\"CHG\",\"0.30000000000000004\",\"0.3\""}));

    write("setting.ini", "[Corvane]\r\nSheetDigits=15\r\n");
    const RunResult rounded = run({a, b, "/o", out});
    EXPECT_EQ(rounded.status, 0);
    EXPECT_EQ(rounded.out, QStringLiteral("完了\n"));

    write("setting.ini", "[Corvane]\r\nSheetDigits=15\r\nSheetFormulas=1\r\n");
    const RunResult formulas = run({a, b, "/o", out});
    EXPECT_EQ(formulas.status, 1);
    EXPECT_EQ(csvRows(read(out)).mid(1),
              QStringList({"\"S\",\"B1\",\"CHG\",\"=A1*2\",\"=A1+A1\"",
                           "\"S\",\"C1\",\"CHG\",\"=SUM(A1:B1)\",\"=SUM(A1:B2)\""}));
}
