#include "sheet/Workbook.h"

#include "encoding/Charset.h"
#include "platform/AtomicFile.h"
#include "platform/NativePath.h"
#include "sheet/SheetFixtures.h"
#include "sheet/WorkbookReaders.h"
#include "support/TempFiles.h"

#include <xlsxwriter.h>

#include <unistd.h>

using Kind = CellValue::Kind;

namespace {

// Three sheets from the writer library: values of every kind, an empty sheet, and one whose
// cells start at C3.
QString writeSampleBook(TempFiles &tmp) {
    const QString path = tmp.filePath(QStringLiteral("book.xlsx"));
    lxw_workbook *book = workbook_new(QFile::encodeName(path).constData());
    lxw_worksheet *data = workbook_add_worksheet(book, "データ");
    workbook_add_worksheet(book, "Empty");
    lxw_worksheet *offset = workbook_add_worksheet(book, "Offset");
    worksheet_write_string(data, 0, 0, "名前", nullptr);
    worksheet_write_number(data, 0, 1, 42.5, nullptr);
    worksheet_write_boolean(data, 0, 2, 1, nullptr);
    lxw_format *dateFormat = workbook_add_format(book);
    format_set_num_format(dateFormat, "yyyy-mm-dd");
    lxw_datetime date = {2024, 1, 15, 0, 0, 0};
    worksheet_write_datetime(data, 1, 0, &date, dateFormat);
    worksheet_write_string(data, 1, 1, "名前", nullptr); // the same shared string again
    worksheet_set_column(data, 1, 2, 20, nullptr);
    worksheet_write_number(offset, 2, 2, 1, nullptr);
    worksheet_write_string(offset, 6, 4, "x", nullptr);
    EXPECT_EQ(workbook_close(book), LXW_NO_ERROR);
    return path;
}

std::optional<Workbook> read(const QString &path, bool cells, QString *error = nullptr) {
    QString scratch;
    return readWorkbook(path, cells, error ? error : &scratch);
}

} // namespace

TEST(WorkbookRead, XlsxSheetsRangesAndValues) {
    TempFiles tmp;
    const QString path = writeSampleBook(tmp);
    QString error;
    const auto book = read(path, true, &error);
    ASSERT_TRUE(book) << error.toStdString();
    ASSERT_EQ(book->sheets.size(), 3);
    EXPECT_EQ(book->sheets[0].name, QStringLiteral("データ"));
    EXPECT_EQ(book->sheets[1].name, QStringLiteral("Empty"));
    EXPECT_EQ(book->sheets[2].name, QStringLiteral("Offset"));
    EXPECT_EQ(book->sheets[0].usedRangeAddress(), QStringLiteral("A1:C2"));
    EXPECT_EQ(book->sheets[1].usedRangeAddress(), QStringLiteral("A1"));
    EXPECT_EQ(book->sheets[1].lastRow, 0);
    EXPECT_EQ(book->sheets[2].usedRangeAddress(), QStringLiteral("C3:E7"));

    const Sheet &data = book->sheets[0];
    EXPECT_EQ(data.cell(1, 1).text, QStringLiteral("名前"));
    EXPECT_EQ(data.cell(1, 2).kind, Kind::Number);
    EXPECT_EQ(data.cell(1, 2).number, 42.5);
    EXPECT_EQ(data.cell(1, 3).kind, Kind::Boolean);
    EXPECT_EQ(data.cell(1, 3).displayText(), QStringLiteral("TRUE"));
    EXPECT_EQ(data.cell(2, 1).kind, Kind::Number); // a date stays its serial number
    EXPECT_EQ(data.cell(2, 1).number, 45306);
    EXPECT_EQ(data.cell(2, 2).text, QStringLiteral("名前"));
    EXPECT_EQ(data.cell(3, 3).kind, Kind::Empty);
    ASSERT_EQ(data.columnWidths.size(), 1);
    EXPECT_EQ(data.columnWidths[0].first, 2);
    EXPECT_EQ(data.columnWidths[0].last, 3);
    EXPECT_NEAR(data.columnWidths[0].width, 20, 1);
    EXPECT_EQ(book->sheets[2].cell(7, 5).text, QStringLiteral("x"));

    // For the sheet lists only names and ranges are read.
    const auto names = read(path, false);
    ASSERT_TRUE(names);
    ASSERT_EQ(names->sheets.size(), 3);
    EXPECT_EQ(names->sheets[2].usedRangeAddress(), QStringLiteral("C3:E7"));
    EXPECT_TRUE(names->sheets[0].cells.isEmpty());
}

TEST(WorkbookRead, XlsxCellKindsOrderAndRichText) {
    TempFiles tmp;
    // Runs are joined; the phonetic guide is no part of the text.
    const QByteArray strings =
        "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
        "<si><t>plain</t></si>"
        "<si><r><t>ab</t></r><r><rPr><b/></rPr><t xml:space=\"preserve\">c d</t></r>"
        "<rPh sb=\"0\" eb=\"1\"><t>ふりがな</t></rPh></si></sst>";
    // The dimension lies; cells without a reference follow the one before them.
    const QByteArray second =
        SheetFixtures::sheetXml("<row r=\"2\"><c r=\"B2\" t=\"s\"><v>1</v></c>"
                                "<c t=\"inlineStr\"><is><t>inline</t></is></c>"
                                "<c r=\"D2\" t=\"e\"><v>#DIV/0!</v></c>"
                                "<c r=\"E2\" t=\"str\"><f>A1&amp;\"x\"</f><v>calc</v></c>"
                                "<c r=\"F2\" t=\"b\"><v>0</v></c>"
                                "<c r=\"G2\" t=\"str\"><v></v></c>"
                                "<c r=\"H2\" s=\"1\"/></row>",
                                "<dimension ref=\"A1:A1\"/>");
    const QByteArray first =
        SheetFixtures::sheetXml("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row>");
    const QString path = tmp.filePath(QStringLiteral("kinds.xlsx"));
    ASSERT_TRUE(SheetFixtures::writeZip(
        path,
        SheetFixtures::workbookParts(
            {{QStringLiteral("Second"), second}, {QStringLiteral("First"), first}}, strings)));
    const auto book = read(path, true);
    ASSERT_TRUE(book);
    ASSERT_EQ(book->sheets.size(), 2);
    EXPECT_EQ(book->sheets[0].name, QStringLiteral("Second"));
    const Sheet &s = book->sheets[0];
    EXPECT_EQ(s.usedRangeAddress(), QStringLiteral("B2:H2"));
    EXPECT_EQ(s.cell(2, 2).text, QStringLiteral("abc d"));
    EXPECT_EQ(s.cell(2, 3).kind, Kind::Text);
    EXPECT_EQ(s.cell(2, 3).text, QStringLiteral("inline"));
    EXPECT_EQ(s.cell(2, 4).kind, Kind::Error);
    EXPECT_EQ(s.cell(2, 4).displayText(), QStringLiteral("#DIV/0!"));
    EXPECT_EQ(s.cell(2, 5).text, QStringLiteral("calc"));
    EXPECT_EQ(s.cell(2, 6).kind, Kind::Boolean);
    EXPECT_EQ(s.cell(2, 6).number, 0);
    // A formula giving the empty text is a text, not an empty cell.
    EXPECT_EQ(s.cell(2, 7).kind, Kind::Text);
    EXPECT_TRUE(s.cell(2, 7).isEmpty());
    EXPECT_EQ(s.cell(2, 8).kind, Kind::Empty);
    EXPECT_EQ(book->sheets[1].cell(1, 1).text, QStringLiteral("plain"));
}

// A carriage return written as a character reference is part of the text, in an inline string
// as in a shared one; line ends written in the file read as one line feed.
TEST(WorkbookRead, XlsxCarriageReturnsReadAlikeInlineAndShared) {
    TempFiles tmp;
    const QByteArray strings =
        "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
        "<si><t>c&#13;d</t></si><si><t>x&#13;&#10;y</t></si><si><t>p\r\nq\rr</t></si></sst>";
    const QByteArray sheet = SheetFixtures::sheetXml(
        "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c>"
        "<c r=\"C1\" t=\"s\"><v>2</v></c></row>"
        "<row r=\"2\"><c r=\"A2\" t=\"inlineStr\"><is><t>c&#13;d</t></is></c>"
        "<c r=\"B2\" t=\"inlineStr\"><is><t>x&#13;&#10;y</t></is></c>"
        "<c r=\"C2\" t=\"inlineStr\"><is><t>p\r\nq\rr</t></is></c></row>");
    const QString path = tmp.filePath(QStringLiteral("cr.xlsx"));
    ASSERT_TRUE(SheetFixtures::writeZip(
        path, SheetFixtures::workbookParts({{QStringLiteral("S"), sheet}}, strings)));
    const auto book = read(path, true);
    ASSERT_TRUE(book);
    const Sheet &s = book->sheets[0];
    const QString expected[] = {QStringLiteral("c\rd"), QStringLiteral("x\r\ny"),
                                QStringLiteral("p\nq\nr")};
    for (int col = 1; col <= 3; ++col) {
        EXPECT_EQ(s.cell(1, col).text, expected[col - 1]) << col;
        EXPECT_EQ(s.cell(2, col).text, expected[col - 1]) << col;
    }
}

TEST(WorkbookRead, XlsxHugeDimensionStaysSparse) {
    TempFiles tmp;
    const QByteArray sheet =
        SheetFixtures::sheetXml("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"
                                "<row r=\"1048576\"><c r=\"XFD1048576\"><v>2</v></c></row>",
                                "<dimension ref=\"A1:XFD1048576\"/>");
    const QString path = tmp.filePath(QStringLiteral("huge.xlsx"));
    ASSERT_TRUE(SheetFixtures::writeZip(
        path, SheetFixtures::workbookParts({{QStringLiteral("Huge"), sheet}})));
    const auto book = read(path, true);
    ASSERT_TRUE(book);
    const Sheet &s = book->sheets[0];
    EXPECT_EQ(s.cells.size(), 2);
    EXPECT_EQ(s.usedRangeAddress(), QStringLiteral("A1:XFD1048576"));
    EXPECT_EQ(s.cell(1048576, 16384).number, 2);
}

// A sheet list takes the range a sheet states at its head instead of unpacking it whole; what
// an application writes gives the same ranges as reading every cell. A single-cell statement
// (an empty sheet's, or a writer's that never states more) and a missing one are checked
// against the cells.
TEST(WorkbookRead, XlsxSheetListTakesTheStatedRangeOrReadsTheCells) {
    TempFiles tmp;
    const QString sample = writeSampleBook(tmp);
    const auto listed = read(sample, false);
    const auto whole = read(sample, true);
    ASSERT_TRUE(listed && whole);
    ASSERT_EQ(listed->sheets.size(), whole->sheets.size());
    for (qsizetype i = 0; i < whole->sheets.size(); ++i) {
        EXPECT_EQ(listed->sheets[i].name, whole->sheets[i].name);
        EXPECT_EQ(listed->sheets[i].usedRangeAddress(), whole->sheets[i].usedRangeAddress());
        EXPECT_EQ(listed->sheets[i].lastRow, whole->sheets[i].lastRow);
    }

    // A large part (past the size where the list reads only its head): its stated range is
    // taken; a single-cell or reversed statement sends it to its cells.
    const QByteArray cells = "<row r=\"2\"><c r=\"B2\"><v>1</v></c></row>"
                             "<row r=\"3\"><c r=\"C3\"><v>2</v></c></row>";
    const QByteArray large =
        cells + "<extLst><ext>" + QByteArray(17 * 1024 * 1024, 'x') + "</ext></extLst>";
    const QString path = tmp.filePath(QStringLiteral("stated.xlsx"));
    ASSERT_TRUE(SheetFixtures::writeZip(
        path,
        SheetFixtures::workbookParts(
            {{QStringLiteral("Stated"),
              SheetFixtures::sheetXml(large, "<dimension ref=\"A1:D9\"/>")},
             {QStringLiteral("One"), SheetFixtures::sheetXml(large, "<dimension ref=\"A1\"/>")},
             {QStringLiteral("None"), SheetFixtures::sheetXml(large)},
             {QStringLiteral("Reversed"),
              SheetFixtures::sheetXml(large, "<dimension ref=\"C3:B2\"/>")},
             {QStringLiteral("Small"),
              SheetFixtures::sheetXml(cells, "<dimension ref=\"A1:D9\"/>")}})));
    const auto book = read(path, false);
    ASSERT_TRUE(book);
    ASSERT_EQ(book->sheets.size(), 5);
    EXPECT_EQ(book->sheets[0].usedRangeAddress(), QStringLiteral("A1:D9"));
    EXPECT_EQ(book->sheets[1].usedRangeAddress(), QStringLiteral("B2:C3"));
    EXPECT_EQ(book->sheets[2].usedRangeAddress(), QStringLiteral("B2:C3"));
    EXPECT_EQ(book->sheets[3].usedRangeAddress(), QStringLiteral("B2:C3"));
    EXPECT_EQ(book->sheets[4].usedRangeAddress(), QStringLiteral("B2:C3"));
}

// Rows and cells out of order, and a cell written twice (the later one counts), read as the
// same sheet as the tidy one; a lookup finds every cell and a walk meets them in row order.
TEST(WorkbookRead, XlsxCellsOutOfOrderAndRepeated) {
    TempFiles tmp;
    const QByteArray tidy = SheetFixtures::sheetXml(
        "<row r=\"1\"><c r=\"A1\"><v>1</v></c><c r=\"C1\"><v>3</v></c></row>"
        "<row r=\"2\"><c r=\"B2\"><v>5</v></c></row><row r=\"4\"><c r=\"A4\"><v>7</v></c></row>");
    const QByteArray shuffled = SheetFixtures::sheetXml(
        "<row r=\"4\"><c r=\"A4\"><v>7</v></c></row><row r=\"2\"><c r=\"B2\"><v>4</v></c></row>"
        "<row r=\"1\"><c r=\"C1\"><v>3</v></c><c r=\"A1\"><v>1</v></c></row>"
        "<row r=\"2\"><c r=\"B2\"><v>5</v></c></row>");
    const QString path = tmp.filePath(QStringLiteral("order.xlsx"));
    ASSERT_TRUE(SheetFixtures::writeZip(
        path, SheetFixtures::workbookParts(
                  {{QStringLiteral("Tidy"), tidy}, {QStringLiteral("Shuffled"), shuffled}})));
    const auto book = read(path, true);
    ASSERT_TRUE(book);
    for (const Sheet &s : book->sheets) {
        SCOPED_TRACE(s.name.toStdString());
        EXPECT_EQ(s.cells.size(), 4);
        EXPECT_EQ(s.cell(2, 2).number, 5);
        EXPECT_EQ(s.cell(1, 3).number, 3);
        EXPECT_FALSE(s.cells.contains(Sheet::key(3, 1)));
        QList<quint64> keys;
        for (auto it = s.cells.constBegin(); it != s.cells.constEnd(); ++it)
            keys << it.key();
        EXPECT_EQ(keys, (QList<quint64>{Sheet::key(1, 1), Sheet::key(1, 3), Sheet::key(2, 2),
                                        Sheet::key(4, 1)}));
    }
}

TEST(WorkbookRead, UnreadableFilesGiveAnError) {
    TempFiles tmp;
    const QByteArray bomb =
        "<?xml version=\"1.0\"?><!DOCTYPE sst [<!ENTITY a \"aaaaaaaaaa\">"
        "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">]>"
        "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
        "<si><t>&b;</t></si></sst>";
    const QString doctype = tmp.filePath(QStringLiteral("doctype.xlsx"));
    ASSERT_TRUE(SheetFixtures::writeZip(
        doctype,
        SheetFixtures::workbookParts({{QStringLiteral("S"), SheetFixtures::sheetXml("")}}, bomb)));
    const QString outside = tmp.filePath(QStringLiteral("outside.xlsx"));
    ASSERT_TRUE(SheetFixtures::writeZip(
        outside, SheetFixtures::workbookParts(
                     {{QStringLiteral("S"),
                       SheetFixtures::sheetXml("<row><c r=\"XFE1\"><v>1</v></c></row>")}})));
    const QPair<QString, QString> cases[] = {
        {doctype, QStringLiteral("文書型定義 (DOCTYPE) を含むXMLは読みません")},
        {outside, QStringLiteral("壊れたファイルです")},
        {tmp.write(QStringLiteral("text.xlsx"), "not a zip at all"),
         QStringLiteral("ブックではありません")},
        {tmp.write(QStringLiteral("text.xls"), "not a compound file either, just text\n"),
         QStringLiteral("ブックではありません")},
        // An xlsx package under the name of the old format is read as the package it is.
        {tmp.write(QStringLiteral("fake.xls"), TempFiles::read(doctype)),
         QStringLiteral("文書型定義 (DOCTYPE) を含むXMLは読みません")},
        // A compound file's signature with nothing behind it (a real password-protected
        // package is tested with the other kinds read by their first bytes).
        {tmp.write(QStringLiteral("locked.xlsx"),
                   QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") + QByteArray(504, '\0')),
         QStringLiteral("ブックではありません")},
        {tmp.filePath(QStringLiteral("missing.xlsx")), QStringLiteral("ファイルを開けません")},
        {tmp.write(QStringLiteral("notes.txt"), "a,b"), QStringLiteral("対応していない形式です")},
    };
    for (const auto &[path, message] : cases) {
        QString error;
        EXPECT_FALSE(read(path, true, &error)) << path.toStdString();
        EXPECT_EQ(error, message) << path.toStdString();
    }
}

TEST(WorkbookRead, CsvFields) {
    TempFiles tmp;
    const QString path =
        tmp.write(QStringLiteral("売上.2024.csv"), "name,\"say \"\"hi\"\"\",\"two\r\nlines\",,\r\n"
                                                   "1.50,007, 12,1e3,+5,-,inf,\"1,000\"\r\rlast\n");
    const auto book = read(path, true);
    ASSERT_TRUE(book);
    ASSERT_EQ(book->sheets.size(), 1);
    const Sheet &s = book->sheets[0];
    EXPECT_EQ(s.name, QStringLiteral("売上.2024"));
    EXPECT_EQ(s.cell(1, 1).text, QStringLiteral("name"));
    EXPECT_EQ(s.cell(1, 2).text, QStringLiteral("say \"hi\""));
    EXPECT_EQ(s.cell(1, 3).text, QStringLiteral("two\nlines"));
    EXPECT_EQ(s.cell(1, 4).kind, Kind::Empty);
    // Numbers only where the whole field is one.
    EXPECT_EQ(s.cell(2, 1).kind, Kind::Number);
    EXPECT_EQ(s.cell(2, 1).number, 1.5);
    EXPECT_EQ(s.cell(2, 2).number, 7);
    EXPECT_EQ(s.cell(2, 3).text, QStringLiteral(" 12"));
    EXPECT_EQ(s.cell(2, 4).number, 1000);
    EXPECT_EQ(s.cell(2, 5).number, 5);
    EXPECT_EQ(s.cell(2, 6).text, QStringLiteral("-"));
    EXPECT_EQ(s.cell(2, 7).text, QStringLiteral("inf"));
    EXPECT_EQ(s.cell(2, 8).text, QStringLiteral("1,000"));
    // The lone CR ended row 2; the blank line is row 3.
    EXPECT_EQ(s.cell(4, 1).text, QStringLiteral("last"));
    EXPECT_EQ(s.usedRangeAddress(), QStringLiteral("A1:H4"));
    EXPECT_EQ(s.cells.size(), 12);
}

TEST(WorkbookRead, CsvShiftJisAndLimits) {
    TempFiles tmp;
    const QString sjis =
        tmp.write(QStringLiteral("sjis.csv"),
                  EncodeAnsi(QStringLiteral("日本語,テスト\r\n\"改\r\n行\",ｶﾅ\r\n")));
    const auto book = read(sjis, true);
    ASSERT_TRUE(book);
    const Sheet &s = book->sheets[0];
    EXPECT_EQ(s.cell(1, 1).text, QStringLiteral("日本語"));
    EXPECT_EQ(s.cell(1, 2).text, QStringLiteral("テスト"));
    EXPECT_EQ(s.cell(2, 1).text, QStringLiteral("改\n行"));
    EXPECT_EQ(s.cell(2, 2).text, QStringLiteral("ｶﾅ"));

    const auto names = read(sjis, false);
    ASSERT_TRUE(names);
    EXPECT_EQ(names->sheets[0].usedRangeAddress(), QStringLiteral("A1:B2"));
    EXPECT_TRUE(names->sheets[0].cells.isEmpty());

    // Commas alone make no cells; one field past the last column is refused.
    QByteArray wide(WorkbookLimits::MaxCols, ',');
    wide += "x\n";
    QString error;
    EXPECT_FALSE(read(tmp.write(QStringLiteral("wide.csv"), wide), true, &error));
    EXPECT_EQ(error, QStringLiteral("大きすぎます"));
    QByteArray fits(WorkbookLimits::MaxCols - 1, ',');
    fits += "x\n";
    const auto edge = read(tmp.write(QStringLiteral("fits.csv"), fits), true);
    ASSERT_TRUE(edge);
    EXPECT_EQ(edge->sheets[0].usedRangeAddress(), QStringLiteral("XFD1"));
}

TEST(WorkbookRead, ColumnLettersAndDisplayText) {
    const QPair<int, const char *> letters[] = {{1, "A"},     {26, "Z"},     {27, "AA"},
                                                {52, "AZ"},   {256, "IV"},   {702, "ZZ"},
                                                {703, "AAA"}, {16384, "XFD"}};
    for (const auto &[column, text] : letters)
        EXPECT_EQ(ColumnLetters(column), QLatin1String(text)) << column;

    CellValue v;
    v.kind = Kind::Number;
    v.number = 0.1;
    EXPECT_EQ(v.displayText(), QStringLiteral("0.1"));
    v.number = -0.0;
    EXPECT_EQ(v.displayText(), QStringLiteral("0"));
    v.number = 45306;
    EXPECT_EQ(v.displayText(), QStringLiteral("45306"));
}

// A name that is not UTF-8 reaches the .xls reader.
TEST(WorkbookRead, XlsNameThatIsNotUtf8IsOpened) {
    TempFiles tmp;
    const QString odd =
        tmp.path() + QStringLiteral("/") + decodeNativeName(QByteArray("\xff\xfe.xls"));
    ASSERT_TRUE(writeWholeFile(odd, "not a compound file\n"));
    QString error;
    EXPECT_FALSE(readWorkbook(odd, true, &error));
    EXPECT_EQ(error, QStringLiteral("ブックではありません")); // opened, so the name arrived
    ::unlink(encodeNativeName(odd).constData());
}
