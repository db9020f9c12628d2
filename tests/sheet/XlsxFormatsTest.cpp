#include "sheet/CellFormat.h"
#include "sheet/FormulaText.h"
#include "sheet/SheetFixtures.h"
#include "sheet/Workbook.h"
#include "sheet/WorkbookReport.h"
#include "support/TempFiles.h"

#include <xlsxwriter.h>

namespace {

std::optional<Workbook> readBook(const QString &path) {
    QString error;
    auto book = readWorkbook(path, true, &error);
    EXPECT_TRUE(book) << error.toStdString();
    return book;
}

const QByteArray Styles =
    "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
    "<numFmts count=\"1\"><numFmt numFmtId=\"164\" formatCode=\"yyyy/mm/dd\"/></numFmts>"
    "<cellXfs count=\"3\"><xf numFmtId=\"0\"/><xf numFmtId=\"164\"/><xf numFmtId=\"10\"/>"
    "</cellXfs></styleSheet>";

} // namespace

TEST(XlsxFormats, CellsShowThroughTheirStylesNumberFormats) {
    TempFiles tmp;
    const QString path = tmp.filePath(QStringLiteral("formats.xlsx"));
    lxw_workbook *book = workbook_new(QFile::encodeName(path).constData());
    lxw_worksheet *sheet = workbook_add_worksheet(book, "S");
    const auto format = [book](const char *code) {
        lxw_format *f = workbook_add_format(book);
        format_set_num_format(f, code);
        return f;
    };
    worksheet_write_number(sheet, 0, 0, 45416, format("yyyy/mm/dd"));
    worksheet_write_number(sheet, 0, 1, 0.256, format("0.0%"));
    worksheet_write_number(sheet, 0, 2, 1234567.5, format("#,##0.00"));
    worksheet_write_number(sheet, 0, 3, 0.5, format("h:mm"));
    worksheet_write_number(sheet, 0, 4, 2.5, nullptr);
    worksheet_write_formula_num(sheet, 1, 0, "=SUM(A1:C1)", nullptr, 1280878.756);
    ASSERT_EQ(workbook_close(book), LXW_NO_ERROR);

    const auto read = readBook(path);
    ASSERT_TRUE(read);
    const Sheet &s = read->sheets[0];
    EXPECT_EQ(formattedText(s, s.cell(1, 1)), QStringLiteral("2024/05/04"));
    EXPECT_EQ(formattedText(s, s.cell(1, 2)), QStringLiteral("25.6%"));
    EXPECT_EQ(formattedText(s, s.cell(1, 3)), QStringLiteral("1,234,567.50"));
    EXPECT_EQ(formattedText(s, s.cell(1, 4)), QStringLiteral("12:00"));
    EXPECT_EQ(formattedText(s, s.cell(1, 5)), QStringLiteral("2.5"));
    // What is compared stays the value.
    EXPECT_EQ(s.cell(1, 1).number, 45416);
    EXPECT_EQ(s.formulas.value(Sheet::key(2, 1)), QStringLiteral("SUM(A1:C1)"));
    EXPECT_EQ(s.cell(2, 1).number, 1280878.756);
}

TEST(XlsxFormats, DatesCountedFrom1904AndSharedFormulas) {
    TempFiles tmp;
    SheetFixtures::Parts parts = SheetFixtures::workbookParts(
        {{QStringLiteral("S"),
          SheetFixtures::sheetXml(
              "<row r=\"1\"><c r=\"A1\" s=\"1\"><v>43954</v></c><c r=\"B1\" s=\"2\"><v>0.5</v></c>"
              "<c r=\"C1\"><v>43954</v></c></row>"
              "<row r=\"2\"><c r=\"A2\"><f t=\"shared\" ref=\"A2:B3\" si=\"0\">A1+$C$1&amp;\"A1\""
              "</f><v>1</v></c><c r=\"B2\"><f t=\"shared\" si=\"0\"/><v>2</v></c></row>"
              "<row r=\"3\"><c r=\"B3\"><f t=\"shared\" si=\"0\"/><v>3</v></c></row>")}});
    for (auto &part : parts) {
        if (part.first == u"xl/workbook.xml")
            part.second.replace("<sheets>", "<workbookPr date1904=\"1\"/><sheets>");
        if (part.first == u"xl/_rels/workbook.xml.rels")
            part.second.replace("</Relationships>",
                                "<Relationship Id=\"rIdT\" Type=\"http://schemas.openxmlformats."
                                "org/officeDocument/2006/relationships/styles\" "
                                "Target=\"styles.xml\"/></Relationships>");
    }
    parts << qMakePair(QStringLiteral("xl/styles.xml"), Styles);
    const QString path = tmp.filePath(QStringLiteral("1904.xlsx"));
    ASSERT_TRUE(SheetFixtures::writeZip(path, parts));
    const auto book = readBook(path);
    ASSERT_TRUE(book);
    const Sheet &s = book->sheets[0];
    // A date counted from 1904 is the same day as everywhere else; other numbers stay.
    EXPECT_EQ(s.cell(1, 1).number, 45416);
    EXPECT_EQ(formattedText(s, s.cell(1, 1)), QStringLiteral("2024/05/04"));
    EXPECT_EQ(formattedText(s, s.cell(1, 2)), QStringLiteral("50.00%"));
    EXPECT_EQ(s.cell(1, 3).number, 43954);
    EXPECT_EQ(s.formulas.value(Sheet::key(2, 1)), QStringLiteral("A1+$C$1&\"A1\""));
    EXPECT_EQ(s.formulas.value(Sheet::key(2, 2)), QStringLiteral("B1+$C$1&\"A1\""));
    EXPECT_EQ(s.formulas.value(Sheet::key(3, 2)), QStringLiteral("B2+$C$1&\"A1\""));
}

TEST(XlsxFormats, SharedFormulaReferencesMoveWithTheCell) {
    EXPECT_EQ(shiftFormula(QStringLiteral("SUM(A1:B2)*$C$3+C$1+$D1"), 2, 1),
              QStringLiteral("SUM(B3:C4)*$C$3+D$1+$D3"));
    // Functions, sheet names, texts and numbers are no references.
    EXPECT_EQ(shiftFormula(QStringLiteral("LOG10(A1)+Sheet1!A1+'My Sheet'!B2&\"B2\"+1E5"), 1, 0),
              QStringLiteral("LOG10(A2)+Sheet1!A2+'My Sheet'!B3&\"B2\"+1E5"));
    EXPECT_EQ(shiftFormula(QStringLiteral("A1"), -1, 0), QStringLiteral("#REF!"));
}

TEST(XlsxFormats, DamagedWorksheetXmlIsRefused) {
    TempFiles tmp;
    const QByteArray broken[] = {
        "<row r=\"1\"><c r=\"A1\"><v>1</v></row>",                      // tags that do not nest
        "<row r=\"1\"><c r=\"A1\" t=\"str\"><v>&bogus;</v></c></row>",  // unknown reference
        "<row r=\"1\"><c r=\"A1\" t=\"str\"><v>\xFF\xFE</v></c></row>", // not UTF-8
        "<row r=\"1\"><c r=\"A1\" t=\"str\"><v>x</v>",                  // ends early
        "<row r=\"1\"><c r=\"A1 t=\"str\"/></row>", // attribute without its quote
    };
    int k = 0;
    for (const QByteArray &body : broken) {
        const QString path = tmp.filePath(QStringLiteral("broken%1.xlsx").arg(++k));
        ASSERT_TRUE(SheetFixtures::writeZip(
            path,
            SheetFixtures::workbookParts({{QStringLiteral("S"), SheetFixtures::sheetXml(body)}})));
        QString error;
        EXPECT_FALSE(readWorkbook(path, true, &error)) << body.constData();
        EXPECT_EQ(error, QStringLiteral("壊れたファイルです")) << body.constData();
    }
    // References, CDATA and comments are read as any XML reader reads them.
    const QString good = tmp.filePath(QStringLiteral("good.xlsx"));
    ASSERT_TRUE(SheetFixtures::writeZip(
        good, SheetFixtures::workbookParts(
                  {{QStringLiteral("S"),
                    SheetFixtures::sheetXml("<!-- note --><row r=\"1\"><c r=\"A1\" t=\"str\"><v>"
                                            "a&lt;&#x42;&#67;<![CDATA[<d>]]>\r\ne</v></c>"
                                            "<x:c xmlns:x=\"urn:x\" x:r=\"B1\"><x:v>2</x:v></x:c>"
                                            "</row>")}})));
    const auto book = readBook(good);
    ASSERT_TRUE(book);
    EXPECT_EQ(book->sheets[0].cell(1, 1).text, QStringLiteral("a<BC<d>\ne"));
    EXPECT_EQ(book->sheets[0].cell(1, 2).number, 2);
}

// The workbook report shows values as the sheet window does, with the held value beside where
// the format hides part of it: a changed date reads as the dates, not as two serial numbers.
TEST(XlsxFormats, WorkbookReportShowsFormattedValuesWithTheHeldOnes) {
    TempFiles tmp;
    const auto write = [&tmp](const char *name, double date, double rate, const char *text) {
        const QString path = tmp.filePath(QString::fromLatin1(name));
        lxw_workbook *book = workbook_new(QFile::encodeName(path).constData());
        lxw_worksheet *sheet = workbook_add_worksheet(book, "S");
        lxw_format *day = workbook_add_format(book);
        format_set_num_format(day, "yyyy/mm/dd");
        lxw_format *percent = workbook_add_format(book);
        format_set_num_format(percent, "0.0 %");
        worksheet_write_number(sheet, 0, 0, date, day);
        worksheet_write_number(sheet, 0, 1, rate, percent);
        worksheet_write_string(sheet, 0, 2, text, nullptr);
        EXPECT_EQ(workbook_close(book), LXW_NO_ERROR);
        return path;
    };
    const QString a = write("a.xlsx", 45410, 0.17, "  x");
    const QString b = write("b.xlsx", 45411, 0.1704, " x");
    QString error;
    const std::optional<WorkbookReport> report = compareWorkbooks(a, b, false, &error);
    ASSERT_TRUE(report) << error.toStdString();
    ASSERT_EQ(report->rows.size(), 3);
    EXPECT_EQ(report->rows[0].left, QStringLiteral("2024/04/28 [45410]"));
    EXPECT_EQ(report->rows[0].right, QStringLiteral("2024/04/29 [45411]"));
    EXPECT_EQ(report->rows[1].left, QStringLiteral("17.0 % [0.17]"));
    EXPECT_EQ(report->rows[1].right, QStringLiteral("17.0 % [0.1704]"));
    // Texts and General numbers show once, as they are.
    EXPECT_EQ(report->rows[2].left, QStringLiteral("  x"));
}
