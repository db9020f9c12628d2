// Coloured copies of the user's own package: fills added to the differing cells, everything
// else kept.
#include "sheet/XlsxColouredCopy.h"
#include "sheet/CompareSheets.h"
#include "sheet/SheetFixtures.h"
#include "support/TempFiles.h"
#include "support/XlsxPackage.h"

namespace {

const QByteArray Styles =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
    "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
    "<numFmts count=\"1\"><numFmt numFmtId=\"164\" formatCode=\"0.000%\"/></numFmts>"
    "<fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/></font></fonts>"
    "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
    "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
    "<borders count=\"1\"><border/></borders>"
    "<cellXfs count=\"2\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/>"
    "<xf numFmtId=\"164\" fontId=\"0\" fillId=\"0\" borderId=\"0\" applyNumberFormat=\"1\">"
    "<alignment horizontal=\"center\"/></xf></cellXfs></styleSheet>";

// Two sheets, the first with a styled number, texts in Japanese, a self-closing row, a
// formula and merged cells; a styles part the workbook's relationships name.
SheetFixtures::Parts package(const QByteArray &firstSheet) {
    SheetFixtures::Parts parts = SheetFixtures::workbookParts(
        {{"集計", firstSheet},
         {"Other", SheetFixtures::sheetXml("<row r=\"1\"><c r=\"A1\"><v>7</v></c></row>")}});
    for (auto &part : parts) {
        if (part.first == u"xl/_rels/workbook.xml.rels")
            part.second.replace("</Relationships>",
                                "<Relationship Id=\"rIdY\" Type=\"http://schemas.openxmlformats"
                                ".org/officeDocument/2006/relationships/styles\" "
                                "Target=\"styles.xml\"/></Relationships>");
    }
    parts << qMakePair(QStringLiteral("xl/styles.xml"), Styles);
    return parts;
}

const QByteArray FirstSheet =
    SheetFixtures::sheetXml("<row r=\"1\"><c r=\"A1\" s=\"1\"><v>0.30000000000000004</v></c>"
                            "<c r=\"B1\" t=\"inlineStr\"><is><t>日本語のセル</t></is></c></row>"
                            "<row r=\"3\" spans=\"1:2\"/>"
                            "<row r=\"4\"><c r=\"B4\"><f>A1*2</f><v>0.6</v></c></row>",
                            "<dimension ref=\"A1:B4\"/>");

} // namespace

TEST(XlsxColouredCopy, FillsAreAddedAndEverythingElseIsKept) {
    TempFiles tmp;
    const QString source = tmp.filePath("book.xlsx");
    QByteArray sheet = FirstSheet;
    sheet.replace("</sheetData>", "</sheetData><mergeCells count=\"1\"><mergeCell "
                                  "ref=\"C4:D4\"/></mergeCells>");
    ASSERT_TRUE(SheetFixtures::writeZip(source, package(sheet)));
    QHash<quint64, Color> colors;
    colors.insert(Sheet::key(1, 1), 65535);    // a styled cell: its format keeps its number format
    colors.insert(Sheet::key(1, 3), 65535);    // no cell at the end of a row
    colors.insert(Sheet::key(2, 2), 16744448); // no such row
    colors.insert(Sheet::key(3, 1), 65535);    // a self-closing row
    colors.insert(Sheet::key(4, 1), 65535);    // before an existing cell
    colors.insert(Sheet::key(9, 1), 16776960); // beyond the last row
    const QString copy = tmp.filePath("copy.xlsx");
    ASSERT_TRUE(writeColouredPackage(source, QStringLiteral("集計"), colors, 70, copy));

    const XlsxPackage::Sheet written = XlsxPackage::read(copy);
    ASSERT_TRUE(written.ok);
    EXPECT_EQ(written.cell("A1").style.fill, "FFFFFF00");
    EXPECT_EQ(written.cell("A1").style.horizontal, "center");
    EXPECT_EQ(written.cell("C1").style.fill, "FFFFFF00");
    EXPECT_EQ(written.cell("B2").style.fill, "FF0080FF");
    EXPECT_EQ(written.cell("A3").style.fill, "FFFFFF00");
    EXPECT_EQ(written.cell("A4").style.fill, "FFFFFF00");
    EXPECT_EQ(written.cell("A9").style.fill, "FF00FFFF");
    EXPECT_TRUE(written.cell("B1").style.fill.isEmpty());
    const QByteArray styles = XlsxPackage::entry(copy, "xl/styles.xml");
    EXPECT_TRUE(styles.contains("<fills count=\"5\">"));
    EXPECT_TRUE(styles.contains("<cellXfs count=\"6\">"));
    EXPECT_TRUE(styles.contains("<xf applyFill=\"1\" numFmtId=\"164\" fontId=\"0\" fillId=\"2\" "
                                "borderId=\"0\" applyNumberFormat=\"1\">"))
        << styles.toStdString();
    const QByteArray sheetXml = XlsxPackage::entry(copy, "xl/worksheets/sheet1.xml");
    EXPECT_TRUE(sheetXml.contains("<f>A1*2</f>"));
    // The used range the sheet states reaches the added cells C1 and A9.
    EXPECT_TRUE(sheetXml.contains("<dimension ref=\"A1:C9\"/><sheetViews><sheetView "
                                  "zoomScale=\"70\" workbookViewId=\"0\"/></sheetViews>"));
    EXPECT_TRUE(sheetXml.contains("<mergeCell ref=\"C4:D4\"/>"));

    // The values read back as they were, every digit of them; the other parts are untouched.
    QString error;
    const auto before = readWorkbook(source, true, &error);
    const auto after = readWorkbook(copy, true, &error);
    ASSERT_TRUE(before && after) << error.toStdString();
    EXPECT_EQ(after->sheets[0].cells.size(), before->sheets[0].cells.size());
    for (auto it = before->sheets[0].cells.constBegin(); it != before->sheets[0].cells.constEnd();
         ++it)
        EXPECT_TRUE(cellValuesEqual(after->sheets[0].cells.value(it.key()), it.value()));
    EXPECT_EQ(after->sheets[0].cell(1, 1).number, 0.30000000000000004);
    for (const char *name :
         {"xl/worksheets/sheet2.xml", "xl/workbook.xml", "xl/_rels/workbook.xml.rels"})
        EXPECT_EQ(XlsxPackage::entry(copy, name), XlsxPackage::entry(source, name)) << name;
}

TEST(XlsxColouredCopy, StatedUsedRangeGrowsOnlyWhenColouredCellsLieBeyondIt) {
    TempFiles tmp;
    const auto dimensionAfter = [&](const QByteArray &dimension, int row, int col) {
        QByteArray sheet = FirstSheet;
        sheet.replace("<dimension ref=\"A1:B4\"/>", dimension);
        const QString source = tmp.filePath("book.xlsx"), copy = tmp.filePath("copy.xlsx");
        EXPECT_TRUE(SheetFixtures::writeZip(source, package(sheet)));
        QHash<quint64, Color> colors;
        colors.insert(Sheet::key(row, col), 65535);
        EXPECT_TRUE(writeColouredPackage(source, QStringLiteral("集計"), colors, 0, copy));
        const QByteArray xml = XlsxPackage::entry(copy, "xl/worksheets/sheet1.xml");
        const qsizetype at = xml.indexOf("<dimension");
        return at < 0 ? QByteArray() : xml.mid(at, xml.indexOf('>', at) - at + 1);
    };
    // Inside: the tag stays byte for byte.
    EXPECT_EQ(dimensionAfter("<dimension ref='A1:B4' />", 2, 2), "<dimension ref='A1:B4' />");
    // Above and left of it, and a single-cell range.
    EXPECT_EQ(dimensionAfter("<dimension ref=\"B2:C4\"/>", 1, 1), "<dimension ref=\"A1:C4\"/>");
    EXPECT_EQ(dimensionAfter("<dimension ref=\"A1\"/>", 3, 28), "<dimension ref=\"A1:AB3\"/>");
    // None is not added; one that cannot be read is left alone.
    EXPECT_EQ(dimensionAfter("", 9, 9), QByteArray());
    EXPECT_EQ(dimensionAfter("<dimension ref=\"1A\"/>", 9, 9), "<dimension ref=\"1A\"/>");
}

TEST(XlsxColouredCopy, PackagesItCannotEditAreLeftToTheValueCopy) {
    TempFiles tmp;
    const QString copy = tmp.write("copy.xlsx", "an earlier copy");
    QHash<quint64, Color> colors;
    colors.insert(Sheet::key(1, 1), 65535);
    // Cells without references, a package without styles, a sheet it does not have.
    const QString noRefs = tmp.filePath("norefs.xlsx");
    ASSERT_TRUE(SheetFixtures::writeZip(
        noRefs, package(SheetFixtures::sheetXml("<row><c><v>1</v></c></row>"))));
    const QString noStyles = tmp.filePath("nostyles.xlsx");
    ASSERT_TRUE(
        SheetFixtures::writeZip(noStyles, SheetFixtures::workbookParts({{"集計", FirstSheet}})));
    for (const auto &[path, name] : {std::pair{noRefs, QStringLiteral("集計")},
                                     {noStyles, QStringLiteral("集計")},
                                     {tmp.filePath("norefs.xlsx"), QStringLiteral("none")}}) {
        EXPECT_FALSE(writeColouredPackage(path, name, colors, 0, copy)) << path.toStdString();
        EXPECT_EQ(tmp.read(copy), "an earlier copy");
    }
}
