#include "export/ExcelExport.h"

#include "ExportFixtures.h"
#include "support/XlsxPackage.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cmath>

#include <gtest/gtest.h>

using namespace ExportFixtures;

namespace {

const QString Gothic = QStringLiteral("ＭＳ ゴシック");
const QString Grey = QStringLiteral("FFC0C0C0");
// The legend defaults as the workbook writes them (ARGB).
const QString Yellow = QStringLiteral("FFFFFF00");      // 65535
const QString AddedBlue = QStringLiteral("FF0080FF");   // 16744448
const QString DeletedCyan = QStringLiteral("FF00FFFF"); // 16776960

// The library widens a width by the cell padding; the whole part is the width asked for.
int wholeWidth(const XlsxPackage::Column &c) {
    return int(std::floor(c.width));
}

class ExcelExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        ws.cb = {QStringLiteral("/data/左/a.txt"), QStringLiteral("/data/右/b.txt")};
    }
    QString path(const char *name) const { return m_dir.filePath(QString::fromUtf8(name)); }
    QStringList folderEntries() const {
        return QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    XlsxPackage::Sheet exportAndRead(const ResultGrid &grid, const char *name = "r.xlsx") {
        EXPECT_TRUE(ExportExcel(ws, grid, path(name)));
        const XlsxPackage::Sheet sheet = XlsxPackage::read(path(name));
        EXPECT_TRUE(sheet.ok);
        return sheet;
    }

    Workspace ws;
    QTemporaryDir m_dir;
};

TEST_F(ExcelExportTest, TextGridValuesAndPaths) {
    fillTextResult(ws);
    const XlsxPackage::Sheet s = exportAndRead(ws.fg);
    EXPECT_EQ(s.cell("B2").value, ws.cb[0]);
    EXPECT_EQ(s.cell("D2").value, ws.cb[1]);
    EXPECT_FALSE(s.cell("C2").exists);
    EXPECT_EQ(s.cell("B3").value, QStringLiteral("行"));
    EXPECT_EQ(s.cell("C3").value, QStringLiteral("a.txt"));
    EXPECT_EQ(s.cell("E3").value, QStringLiteral("b.txt"));
    EXPECT_EQ(s.cell("C4").value, QStringLiteral("alpha"));
    EXPECT_EQ(s.cell("E4").value, QStringLiteral("ALPHA"));
    EXPECT_EQ(s.cell("E6").value, QStringLiteral("right only"));
    // Line numbers stay text.
    for (const char *ref : {"B4", "D4", "B5", "D6", "B7", "D7"})
        EXPECT_TRUE(s.cell(ref).isString) << ref;
    EXPECT_EQ(s.cell("B7").value, QStringLiteral("3"));
    EXPECT_EQ(s.cell("D6").value, QStringLiteral("2"));
    // Nothing beyond the grid: no column F, no row 8.
    EXPECT_FALSE(s.cell("F3").exists);
    EXPECT_FALSE(s.cell("B8").exists);
}

TEST_F(ExcelExportTest, TextGridColoursBordersAndCentring) {
    fillTextResult(ws);
    const XlsxPackage::Sheet s = exportAndRead(ws.fg);
    for (const char *ref : {"B3", "C3", "D3", "E3"})
        EXPECT_EQ(s.cell(ref).style.fill, Grey) << ref;
    for (const char *ref : {"B4", "C4", "D4", "E4"})
        EXPECT_EQ(s.cell(ref).style.fill, Yellow) << ref;
    // Left-only row: the side with the line in the "added" colour, the empty side (blank
    // cells, still formatted) in the "deleted" colour; a right-only row the other way round.
    EXPECT_EQ(s.cell("C5").style.fill, AddedBlue);
    EXPECT_TRUE(s.cell("D5").exists);
    EXPECT_EQ(s.cell("D5").style.fill, DeletedCyan);
    EXPECT_EQ(s.cell("B6").style.fill, DeletedCyan);
    EXPECT_EQ(s.cell("E6").style.fill, AddedBlue);
    EXPECT_EQ(s.cell("C7").style.fill, QString());

    for (int row = 3; row <= 7; ++row) {
        for (const char col : {'B', 'C', 'D', 'E'}) {
            const QString ref = QChar(col) + QString::number(row);
            const XlsxPackage::Cell c = s.cell(ref);
            EXPECT_TRUE(c.style.thinBox) << ref.toStdString();
            EXPECT_EQ(c.style.font, Gothic) << ref.toStdString();
            const bool numberCol = col == 'B' || col == 'D';
            EXPECT_EQ(c.style.horizontal, numberCol ? QStringLiteral("center") : QString())
                << ref.toStdString();
        }
    }
    // The paths carry the font but no grid border.
    EXPECT_EQ(s.cell("B2").style.font, Gothic);
    EXPECT_FALSE(s.cell("B2").style.thinBox);
}

TEST_F(ExcelExportTest, TextGridColumns) {
    fillTextResult(ws);
    const XlsxPackage::Sheet s = exportAndRead(ws.fg);
    EXPECT_EQ(wholeWidth(s.column(2)), 7);
    EXPECT_EQ(wholeWidth(s.column(3)), 50);
    EXPECT_EQ(wholeWidth(s.column(4)), 7);
    EXPECT_EQ(wholeWidth(s.column(5)), 50);
    EXPECT_EQ(s.column(2).style.horizontal, QStringLiteral("center"));
    // Cells typed in later below the grid take its font; the used range stays the written one.
    EXPECT_EQ(s.column(3).style.font, Gothic);
    EXPECT_EQ(s.column(5).style.font, Gothic);
    EXPECT_EQ(s.dimension, QStringLiteral("B2:E7"));
}

TEST_F(ExcelExportTest, UnusualCellColoursAndTexts) {
    ResultGrid &g = ws.fg;
    g.setRows(3);
    // Black is a colour like any other (the library reads 0 as "none" unless told).
    g.setText(1, 1, QStringLiteral("dark"));
    paintRow(g, 1, 0, 2, 0x000000);
    // Grid colours are blue-green-red: 0x0000FF is red.
    paintRow(g, 1, 2, 4, 0x0000FF);
    // Control characters must still give well-formed XML; an over-long line is cut to what a
    // cell holds.
    g.setText(2, 1, QStringLiteral("tab\there\x01\x1F end"));
    g.setText(2, 3, QString(40000, u'x'));
    ws.sShowView(ResultView::Text);
    const XlsxPackage::Sheet s = exportAndRead(g);
    EXPECT_EQ(s.cell("C4").style.fill, QStringLiteral("FF000000"));
    EXPECT_EQ(s.cell("E4").style.fill, QStringLiteral("FFFF0000"));
    EXPECT_TRUE(s.cell("C5").value.startsWith(QStringLiteral("tab\there")));
    EXPECT_EQ(s.cell("E5").value.size(), 32767);
}

TEST_F(ExcelExportTest, FormatsAreSharedAcrossRows) {
    ResultGrid &g = ws.fg;
    g.setRows(2001);
    for (int r = 1; r < g.rows(); ++r) {
        g.setNumber(r, 0, r);
        g.setText(r, 1, QStringLiteral("line"));
        paintRow(g, r, 0, 4, ws.txtState[size_t(r % 3)]);
    }
    ws.sShowView(ResultView::Text);
    const XlsxPackage::Sheet s = exportAndRead(g);
    EXPECT_EQ(s.cell("B2003").value, QStringLiteral("2000"));
    // Fills (grey, three legend colours) x centred or not, plus the unbordered ones.
    EXPECT_LE(s.cellFormats, 12);
}

// The XML of one cell of the written sheet, as the library wrote it.
QString rawCell(const QString &file, const QString &ref) {
    const QString xml = QString::fromUtf8(XlsxPackage::entry(file, "xl/worksheets/sheet1.xml"));
    const qsizetype from = xml.indexOf(QStringLiteral("<c r=\"") + ref + u'"');
    return from < 0 ? QString() : xml.mid(from, xml.indexOf(QStringLiteral("</c>"), from) - from);
}

TEST_F(ExcelExportTest, ChangedCharactersOfAChangedPairAreRichText) {
    ws.inlineDiff = true;
    fillTextResult(ws);
    ws.fg.setText(1, 1, QStringLiteral("alpha beta"));
    ws.fg.setText(1, 3, QStringLiteral("alpha BETA!"));
    const XlsxPackage::Sheet s = exportAndRead(ws.fg);
    EXPECT_EQ(s.cell("C4").value, QStringLiteral("alpha beta"));
    EXPECT_EQ(s.cell("E4").value, QStringLiteral("alpha BETA!"));
    EXPECT_EQ(s.cell("C4").style.fill, Yellow); // the cell keeps its fill and borders
    EXPECT_TRUE(s.cell("C4").style.thinBox);
    const QString left = rawCell(path("r.xlsx"), "C4");
    // A plain run in the sheet's font, then the changed word in bold dark red.
    EXPECT_TRUE(left.contains(QStringLiteral(">alpha </t></r><r><rPr><b/>")));
    EXPECT_TRUE(left.contains(QStringLiteral("FFC00000")));
    EXPECT_TRUE(left.contains(QStringLiteral(">beta</t>")));
    EXPECT_TRUE(left.contains(Gothic));
    EXPECT_TRUE(rawCell(path("r.xlsx"), "E4").contains(QStringLiteral(">BETA!</t>")));
    // Line numbers, one-sided and equal rows stay plain strings.
    EXPECT_FALSE(rawCell(path("r.xlsx"), "B4").contains(QStringLiteral("<r>")));
    EXPECT_FALSE(rawCell(path("r.xlsx"), "C5").contains(QStringLiteral("<r>")));
}

TEST_F(ExcelExportTest, ALineChangedWholeIsOneStringInTheMarkedFont) {
    ws.inlineDiff = true;
    fillTextResult(ws); // "alpha" against "ALPHA"
    const XlsxPackage::Sheet s = exportAndRead(ws.fg);
    EXPECT_EQ(s.cell("C4").value, QStringLiteral("alpha"));
    EXPECT_EQ(s.cell("C4").style.font, Gothic);
    EXPECT_EQ(s.cell("C4").style.fill, Yellow);
    EXPECT_FALSE(rawCell(path("r.xlsx"), "C4").contains(QStringLiteral("<r>")));
    const QString styles = QString::fromUtf8(XlsxPackage::entry(path("r.xlsx"), "xl/styles.xml"));
    EXPECT_TRUE(styles.contains(QStringLiteral("<b/>")));
}

TEST_F(ExcelExportTest, OnlyTheTextGridIsMarked) {
    ResultGrid &g = ws.fgB;
    g.setRows(3);
    g.setNumber(2, 0, 1);
    g.setText(2, 1, QStringLiteral("41 42"));
    g.setNumber(2, 2, 1);
    g.setText(2, 3, QStringLiteral("41 43"));
    paintRow(g, 2, 0, 4, changed(ws));
    exportAndRead(g, "plain.xlsx");
    ws.inlineDiff = true;
    exportAndRead(g, "marked.xlsx");
    for (const char *part : {"xl/worksheets/sheet1.xml", "xl/styles.xml"})
        EXPECT_EQ(XlsxPackage::entry(path("marked.xlsx"), part),
                  XlsxPackage::entry(path("plain.xlsx"), part));
}

TEST_F(ExcelExportTest, BinaryGridGreysBothHeaderRows) {
    ResultGrid &g = ws.fgB;
    g.setRows(4);
    setRow(g, 0,
           {QStringLiteral("ファイル1"), QStringLiteral("a.bin"), QStringLiteral("ファイル2"),
            QStringLiteral("b.bin")});
    const QString columns = QStringLiteral("00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F");
    setRow(g, 1, {QStringLiteral("アドレス"), columns, QStringLiteral("アドレス"), columns});
    setRow(g, 2,
           {QStringLiteral("00000000"), QStringLiteral("41 42"), QStringLiteral("00000000"),
            QStringLiteral("41 43")});
    paintRow(g, 2, 0, 4, changed(ws));
    setRow(g, 3,
           {QStringLiteral("00000010"), QStringLiteral("44"), QStringLiteral("00000010"),
            QStringLiteral("44")});
    ws.Binary = true;
    ws.sShowView(ResultView::Binary);
    const XlsxPackage::Sheet s = exportAndRead(g);
    for (const char *ref : {"B3", "E3", "B4", "C4", "D4", "E4"})
        EXPECT_EQ(s.cell(ref).style.fill, Grey) << ref;
    EXPECT_EQ(s.cell("C5").style.fill, Yellow);
    EXPECT_EQ(s.cell("B6").style.fill, QString());
    EXPECT_EQ(s.cell("B5").value, QStringLiteral("00000000"));
    EXPECT_TRUE(s.cell("B5").isString);
    EXPECT_EQ(s.cell("B5").style.horizontal, QStringLiteral("center"));
    EXPECT_TRUE(s.cell("E6").style.thinBox);
    EXPECT_EQ(wholeWidth(s.column(2)), 9);
    EXPECT_EQ(wholeWidth(s.column(4)), 9);
    EXPECT_EQ(wholeWidth(s.column(5)), 50);
}

TEST_F(ExcelExportTest, BinaryToggleAloneKeepsTheTextLayout) {
    // The toggle switched on after a text comparison: row 4 is still a data row.
    fillTextResult(ws);
    ws.Binary = true;
    const XlsxPackage::Sheet s = exportAndRead(ws.fg);
    EXPECT_EQ(s.cell("C4").style.fill, Yellow);
    EXPECT_EQ(wholeWidth(s.column(2)), 7);
}

TEST_F(ExcelExportTest, FolderGridLayout) {
    ResultGrid &g = ws.fgF;
    g.setRows(3);
    const QStringList head = {QStringLiteral("ファイル名"), QStringLiteral("サイズ"),
                              QStringLiteral("種類"), QStringLiteral("更新日付")};
    for (int c = 0; c < 8; ++c)
        g.setText(0, c, head[c % 4]);
    setRow(g, 1,
           {QStringLiteral("only.txt"), QStringLiteral("1 KB"), QStringLiteral("テキスト"),
            QStringLiteral("2024/01/02 03:04"), QString(), QString(), QString(), QString(),
            QStringLiteral("1000"), QString()});
    paintRow(g, 1, 0, 4, added(ws));
    paintRow(g, 1, 4, 8, deleted(ws));
    setRow(g, 2,
           {QStringLiteral("both.txt"), QStringLiteral("2 KB"), QString(), QString(),
            QStringLiteral("both.txt"), QStringLiteral("3 KB")});
    g.setBackColor(2, 1, changed(ws));
    g.setBackColor(2, 5, changed(ws));
    ws.sShowView(ResultView::Folder);
    const XlsxPackage::Sheet s = exportAndRead(g);

    EXPECT_EQ(s.cell("B2").value, ws.cb[0]);
    EXPECT_EQ(s.cell("F2").value, ws.cb[1]);
    EXPECT_FALSE(s.cell("D2").exists);
    EXPECT_EQ(s.cell("B3").value, QStringLiteral("ファイル名"));
    EXPECT_EQ(s.cell("I3").value, QStringLiteral("更新日付"));
    EXPECT_EQ(s.cell("E4").value, QStringLiteral("2024/01/02 03:04"));
    // The hidden size columns stay out.
    EXPECT_FALSE(s.cell("J3").exists);
    EXPECT_FALSE(s.cell("J4").exists);

    for (const char *ref : {"B3", "I3"})
        EXPECT_EQ(s.cell(ref).style.fill, Grey) << ref;
    EXPECT_EQ(s.cell("B4").style.fill, AddedBlue);
    EXPECT_EQ(s.cell("I4").style.fill, DeletedCyan);
    // Each cell has its own colour here, unlike the text grid's halves.
    EXPECT_EQ(s.cell("C5").style.fill, Yellow);
    EXPECT_EQ(s.cell("B5").style.fill, QString());
    EXPECT_EQ(s.cell("G5").style.fill, Yellow);
    for (const char *ref : {"B3", "B5", "I5"}) {
        EXPECT_TRUE(s.cell(ref).style.thinBox) << ref;
        EXPECT_EQ(s.cell(ref).style.horizontal, QString()) << ref;
        EXPECT_EQ(s.cell(ref).style.font, Gothic) << ref;
    }
    EXPECT_EQ(wholeWidth(s.column(2)), 25);
    EXPECT_EQ(wholeWidth(s.column(6)), 25);
    EXPECT_LT(s.column(3).width, 10); // the default width
    EXPECT_EQ(s.column(9).style.font, Gothic);
    EXPECT_EQ(s.dimension, QStringLiteral("B2:I5"));
}

TEST_F(ExcelExportTest, FailedWritesLeaveNoFile) {
    fillTextResult(ws);
    EXPECT_FALSE(ExportExcel(ws, ws.fg, path("no/such/r.xlsx")));
    EXPECT_FALSE(QFile::exists(path("no/such/r.xlsx")));

    // A folder in the way: the workbook is written but cannot take its place; nothing of it
    // may stay behind.
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("taken.xlsx")));
    EXPECT_FALSE(ExportExcel(ws, ws.fg, path("taken.xlsx")));
    EXPECT_TRUE(QFileInfo(path("taken.xlsx")).isDir());
    EXPECT_EQ(folderEntries(), QStringList({QStringLiteral("taken.xlsx")}));
}

TEST_F(ExcelExportTest, EarlierFileIsReplacedOnlyBySuccess) {
    const QString out = path("r.xls");
    {
        QFile f(out);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("earlier");
    }
    // More rows than a worksheet has: refused whole rather than cut short.
    ResultGrid huge(1, 1);
    huge.setRows(1048575);
    EXPECT_FALSE(ExportExcel(ws, huge, out));
    EXPECT_EQ(readFile(out), QByteArray("earlier"));

    fillTextResult(ws);
    EXPECT_TRUE(ExportExcel(ws, ws.fg, out));
    EXPECT_EQ(XlsxPackage::read(out).cell("C4").value, QStringLiteral("alpha"));
    EXPECT_EQ(folderEntries(), QStringList({QStringLiteral("r.xls")}));

    // Through a link the linked file is replaced; the link stays a link.
    ASSERT_TRUE(QFile::link(out, path("link.xlsx")));
    ws.fg.setText(1, 1, QStringLiteral("again"));
    EXPECT_TRUE(ExportExcel(ws, ws.fg, path("link.xlsx")));
    EXPECT_TRUE(QFileInfo(path("link.xlsx")).isSymLink());
    EXPECT_EQ(XlsxPackage::read(out).cell("C4").value, QStringLiteral("again"));
}

} // namespace
