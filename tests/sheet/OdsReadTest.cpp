#include "sheet/CellFormat.h"
#include "sheet/SheetFixtures.h"
#include "sheet/Workbook.h"
#include "sheet/WorkbookReaders.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

namespace {

QByteArray content(const QByteArray &tables) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
           "<office:document-content "
           "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
           "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
           "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
           "xmlns:calcext=\"urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0\">"
           "<office:body><office:spreadsheet>" +
           tables + "</office:spreadsheet></office:body></office:document-content>";
}

QString writeOds(TempFiles &tmp, const QString &name, const QByteArray &tables,
                 SheetFixtures::Parts extra = {}) {
    const QString path = tmp.filePath(name);
    extra.prepend(
        {QStringLiteral("mimetype"), QByteArray("application/vnd.oasis.opendocument.spreadsheet")});
    extra.append({QStringLiteral("content.xml"), content(tables)});
    EXPECT_TRUE(SheetFixtures::writeZip(path, extra));
    return path;
}

// The trailing filler an application writes down to the last row and column of a sheet.
const QByteArray Filler = "<table:table-row table:number-rows-repeated=\"1048570\">"
                          "<table:table-cell table:number-columns-repeated=\"1024\"/>"
                          "</table:table-row>";

} // namespace

TEST(OdsWorkbook, ValuesByTypeRepeatsAndSheetsInOrder) {
    TempFiles tmp;
    const QByteArray first =
        "<table:table table:name=\"売上\"><table:table-column table:number-columns-repeated=\"4\"/>"
        "<table:table-header-rows><table:table-row>"
        "<table:table-cell office:value-type=\"string\"><text:p>名前</text:p></table:table-cell>"
        "<table:table-cell office:value-type=\"float\" office:value=\"0.30000000000000004\">"
        "<text:p>0.3</text:p></table:table-cell>"
        "<table:table-cell office:value-type=\"percentage\" office:value=\"0.25\"/>"
        "<table:table-cell office:value-type=\"boolean\" office:boolean-value=\"true\">"
        "<text:p>TRUE</text:p></table:table-cell>"
        "</table:table-row></table:table-header-rows>"
        "<table:table-row>"
        "<table:table-cell office:value-type=\"date\" office:date-value=\"2024-05-04\"/>"
        "<table:table-cell office:value-type=\"date\" office:date-value=\"2024-05-04T12:00:00\"/>"
        "<table:table-cell office:value-type=\"time\" office:time-value=\"PT06H00M00S\"/>"
        "<table:table-cell office:value-type=\"string\" calcext:value-type=\"error\" "
        "table:formula=\"of:=NA()\"><text:p>#N/A</text:p></table:table-cell>"
        "</table:table-row>"
        // Two empty cells skipped, then one value repeated over two columns and two rows.
        "<table:table-row table:number-rows-repeated=\"2\">"
        "<table:table-cell table:number-columns-repeated=\"2\"/>"
        "<table:table-cell office:value-type=\"currency\" office:value=\"7\" "
        "table:number-columns-repeated=\"2\"/></table:table-row>"
        "<table:table-row-group><table:table-row>"
        "<table:table-cell office:value-type=\"string\"><text:p>a<text:s text:c=\"2\"/>b</text:p>"
        "<text:p>second<text:tab/>line</text:p>"
        "<office:annotation><text:p>a note</text:p></office:annotation></table:table-cell>"
        "<table:covered-table-cell/></table:table-row></table:table-row-group>" +
        Filler + "</table:table>";
    const QByteArray second = "<table:table table:name=\"Empty\">" + Filler + "</table:table>";
    const QString path = writeOds(tmp, QStringLiteral("book.ODS"), first + second);

    QString error;
    const auto book = readWorkbook(path, true, &error);
    ASSERT_TRUE(book) << error.toStdString();
    ASSERT_EQ(book->sheets.size(), 2);
    const Sheet &s = book->sheets[0];
    EXPECT_EQ(s.name, QStringLiteral("売上"));
    EXPECT_EQ(s.usedRangeAddress(), QStringLiteral("A1:D5"));
    EXPECT_EQ(book->sheets[1].usedRangeAddress(), QStringLiteral("A1"));

    EXPECT_EQ(s.cell(1, 1).text, QStringLiteral("名前"));
    EXPECT_EQ(s.cell(1, 2).number, 0.30000000000000004);
    EXPECT_EQ(s.cell(1, 3).displayText(), QStringLiteral("0.25"));
    EXPECT_EQ(s.cell(1, 4).kind, CellValue::Kind::Boolean);
    EXPECT_EQ(s.cell(1, 4).displayText(), QStringLiteral("TRUE"));
    EXPECT_EQ(s.cell(2, 1).number, 45416);
    EXPECT_EQ(s.cell(2, 2).number, 45416.5);
    // Shown as the value type says: the value stays the number.
    EXPECT_EQ(formattedText(s, s.cell(1, 3)), QStringLiteral("25%"));
    EXPECT_EQ(formattedText(s, s.cell(2, 1)), QStringLiteral("2024/5/4"));
    EXPECT_EQ(formattedText(s, s.cell(2, 2)), QStringLiteral("2024/5/4 12:00:00"));
    EXPECT_EQ(s.cell(2, 3).number, 0.25);
    EXPECT_EQ(s.cell(2, 4).kind, CellValue::Kind::Error);
    EXPECT_EQ(s.cell(2, 4).text, QStringLiteral("#N/A"));
    for (int row : {3, 4}) {
        EXPECT_TRUE(s.cell(row, 2).isEmpty());
        EXPECT_EQ(s.cell(row, 3).number, 7);
        EXPECT_EQ(s.cell(row, 4).number, 7);
    }
    EXPECT_EQ(s.cell(5, 1).text, QStringLiteral("a  b\nsecond\tline"));
    EXPECT_EQ(s.cells.size(), 13);

    // The sheet list alone reads the same ranges.
    const auto list = readWorkbook(path, false, &error);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->sheets[0].usedRangeAddress(), QStringLiteral("A1:D5"));
    EXPECT_TRUE(list->sheets[0].cells.isEmpty());
}

TEST(OdsWorkbook, HugeRepeatsAreBoundedAndBadFilesSayWhy) {
    TempFiles tmp;
    QString error;
    // A value repeated over a whole sheet: the sheet list reads its corners only, a full read
    // stops at the cell budget.
    const QString huge = writeOds(
        tmp, QStringLiteral("huge.ods"),
        "<table:table table:name=\"S\"><table:table-row table:number-rows-repeated=\"99999999\">"
        "<table:table-cell office:value-type=\"float\" office:value=\"1\" "
        "table:number-columns-repeated=\"99999\"/></table:table-row></table:table>");
    const auto corners = readWorkbook(huge, false, &error);
    ASSERT_TRUE(corners) << error.toStdString();
    EXPECT_EQ(corners->sheets[0].usedRangeAddress(), QStringLiteral("A1:XFD1048576"));
    EXPECT_FALSE(readWorkbook(huge, true, &error));
    EXPECT_EQ(error, WorkbookText::TooLarge);

    const QString crypt = writeOds(
        tmp, QStringLiteral("crypt.ods"), "",
        {{QStringLiteral("META-INF/manifest.xml"), QByteArray("<manifest:encryption-data/>")}});
    EXPECT_FALSE(readWorkbook(crypt, false, &error));
    EXPECT_EQ(error, WorkbookText::Encrypted);

    const QString noContent = tmp.filePath(QStringLiteral("none.ods"));
    ASSERT_TRUE(SheetFixtures::writeZip(noContent, {{QStringLiteral("mimetype"), "x"}}));
    EXPECT_FALSE(readWorkbook(noContent, false, &error));
    EXPECT_EQ(error, WorkbookText::NotWorkbook);

    const QString other = tmp.filePath(QStringLiteral("other.ods"));
    ASSERT_TRUE(SheetFixtures::writeZip(other, {{QStringLiteral("content.xml"), "<html/>"}}));
    EXPECT_FALSE(readWorkbook(other, false, &error));
    EXPECT_EQ(error, WorkbookText::NotWorkbook);

    const QString cut = tmp.filePath(QStringLiteral("cut.ods"));
    ASSERT_TRUE(SheetFixtures::writeZip(
        cut, {{QStringLiteral("content.xml"),
               content("<table:table table:name=\"S\"><table:table-row>").left(400)}}));
    EXPECT_FALSE(readWorkbook(cut, false, &error));
    EXPECT_EQ(error, WorkbookText::Damaged);

    EXPECT_FALSE(readWorkbook(tmp.write(QStringLiteral("text.ods"), "not a zip"), false, &error));
    EXPECT_EQ(error, WorkbookText::NotWorkbook);
}

// Number styles of a workbook saved by LibreOffice Calc, shown as Calc shows them (its own
// CSV export of the same file, "as shown").
TEST(OdsWorkbook, NumberStylesShowTheValueAsTheApplicationDoes) {
    QString error;
    const auto book = readWorkbook(
        QStringLiteral(CORVANE_SOURCE_DIR "/tests/sheet/files/number_styles.ods"), true, &error);
    ASSERT_TRUE(book) << error.toStdString();
    const Sheet &s = book->sheets.at(0);
    const QStringList shown = {
        QStringLiteral("2024/05/04"),   QStringLiteral("13:05:09"),     QStringLiteral("12.5%"),
        QStringLiteral("1,234,567.89"), QStringLiteral("-¥1,500"),      QStringLiteral("¥2,500"),
        QStringLiteral("TRUE"),         QStringLiteral("2024年5月4日"), QStringLiteral("30:15"),
        QStringLiteral("1.23E+04"),     QStringLiteral("0.5")};
    for (int row = 1; row <= shown.size(); ++row)
        EXPECT_EQ(formattedText(s, s.cell(row, 1)), shown[row - 1]) << "row " << row;
    EXPECT_EQ(formattedText(s, s.cell(1, 2)), QStringLiteral("1,000.00")); // the column's style
    EXPECT_EQ(s.cell(4, 1).number, 1234567.891); // what is compared keeps every digit
}

TEST(OdsWorkbook, StylesItCannotWriteLeaveTheFormatOfTheValueType) {
    TempFiles tmp;
    const QByteArray styles =
        "<office:automatic-styles>"
        "<number:number-style style:name=\"F\"><number:fraction/></number:number-style>"
        "<number:number-style style:name=\"C\"><number:number/>"
        "<style:map style:condition=\"value()&gt;100\" style:apply-style-name=\"F\"/>"
        "</number:number-style>"
        "<style:style style:name=\"loop1\" style:parent-style-name=\"loop2\"/>"
        "<style:style style:name=\"loop2\" style:parent-style-name=\"loop1\"/>"
        "<style:style style:name=\"fraction\" style:data-style-name=\"F\"/>"
        "<style:style style:name=\"conditional\" style:data-style-name=\"C\"/>"
        "<style:style style:name=\"missing\" style:data-style-name=\"nowhere\"/>"
        "</office:automatic-styles>";
    QByteArray row;
    for (const char *style : {"loop1", "fraction", "conditional", "missing"})
        row += "<table:table-cell table:style-name=\"" + QByteArray(style) +
               "\" office:value-type=\"percentage\" office:value=\"0.25\"/>";
    QByteArray xml = content("<table:table table:name=\"S\"><table:table-row>" + row +
                             "</table:table-row></table:table>");
    xml.replace("<office:body>", styles + "<office:body>");
    xml.replace("xmlns:text=",
                "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
                "xmlns:number=\"urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0\" xmlns:text=");
    const QString path = tmp.filePath(QStringLiteral("styles.ods"));
    ASSERT_TRUE(SheetFixtures::writeZip(path, {{QStringLiteral("content.xml"), xml}}));
    QString error;
    const auto book = readWorkbook(path, true, &error);
    ASSERT_TRUE(book) << error.toStdString();
    for (int col = 1; col <= 4; ++col)
        EXPECT_EQ(formattedText(book->sheets[0], book->sheets[0].cell(1, col)),
                  QStringLiteral("25%"))
            << "column " << col;
}
