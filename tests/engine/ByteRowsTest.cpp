#include "engine/ResultGrid.h"

#include "export/CsvExport.h"
#include "run/BinaryDump.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

// Byte rows must read and edit like ordinary cells for the views, exporters and navigation.
namespace {

constexpr Color Red = 0x0000FF;
constexpr Color Blue = 0xFF0000;
const QString Row61 = QStringLiteral("61 61 61 61 61 61 61 61 61 61 61 61 61 61 61 61");
const QString Tail = QStringLiteral("61 61 61 61 61 61 61 7A");

// Headers in rows 0-1; left "aaa…az" (40 bytes, 3 data rows), right 16 × "a" (2 data rows).
void fill(ResultGrid &g) {
    g.setRows(2);
    g.setText(1, 0, QStringLiteral("head"));
    g.setByteSide(0, QByteArray(39, 'a') + 'z', 3);
    g.setByteSideShown(0, 40);
    g.setByteSide(1, QByteArray(16, 'a'), 2);
    g.setByteSideShown(1, 16);
    g.setRows(5);
}

QStringList rowTexts(const ResultGrid &g, int r) {
    QStringList texts;
    for (int c = 0; c < g.cols(); ++c)
        texts << g.text(r, c);
    return texts;
}

TEST(ByteRows, ReadLikeTextCells) {
    ResultGrid g(4, 2);
    fill(g);
    EXPECT_EQ(rowTexts(g, 1), QStringList({"head", "", "", ""}));
    EXPECT_EQ(rowTexts(g, 2), QStringList({"00000000", Row61, "00000000", Row61}));
    EXPECT_EQ(rowTexts(g, 3), QStringList({"00000010", Row61, "00000010", ""}));
    EXPECT_EQ(rowTexts(g, 4), QStringList({"00000020", Tail, "", ""}));
    EXPECT_TRUE(g.isEmpty(3, 3));
    EXPECT_TRUE(g.isEmpty(4, 2));
    EXPECT_THROW(g.text(5, 0), std::out_of_range);
    // Two views can be held at once, each over its own buffer, as a reader comparing cells does.
    ResultGrid::TextBuffer first, second;
    const QStringView a = g.textView(2, 1, first);
    const QStringView b = g.textView(4, 1, second);
    EXPECT_EQ(a, Row61);
    EXPECT_EQ(b, Tail);
}

TEST(ByteRows, ColoursFollowTheCellsAndTheRows) {
    ResultGrid g(4, 2);
    fill(g);
    g.setRowColors(2, Red, Blue);
    g.setRowColors(4, Blue, Red);
    g.setBackColor(2, 0, Blue); // one cell leaves its half's colour
    EXPECT_EQ(g.backColor(2, 0), Blue);
    EXPECT_EQ(g.backColor(2, 1), Red);
    EXPECT_EQ(g.backColor(2, 3), Blue);
    EXPECT_EQ(g.backColor(3, 0), ResultGrid::DefaultColor);

    g.setRowHeight(4, 300);
    g.removeRows({2, 3});
    ASSERT_EQ(g.rows(), 3);
    EXPECT_EQ(rowTexts(g, 2), QStringList({"00000020", Tail, "", ""}));
    EXPECT_EQ(g.backColor(2, 1), Blue);
    EXPECT_EQ(g.rowHeight(2), 300);
    g.appendRow(); // rows added later are empty
    EXPECT_TRUE(g.isEmpty(3, 0));
    EXPECT_EQ(g.backColor(3, 0), ResultGrid::DefaultColor);
}

TEST(ByteRows, RowsCutOffOrClearedAreGone) {
    ResultGrid g(4, 2);
    fill(g);
    g.setRowColors(4, Red, Red);
    g.setRows(3);
    g.setRows(5);
    EXPECT_EQ(g.text(2, 0), QStringLiteral("00000000"));
    EXPECT_TRUE(g.isEmpty(3, 0));
    EXPECT_EQ(g.backColor(4, 0), ResultGrid::DefaultColor);
    g.clear();
    EXPECT_EQ(g.rows(), 5);
    EXPECT_TRUE(g.isEmpty(1, 0));
    EXPECT_TRUE(g.isEmpty(2, 0));
    g.setRows(0);
    EXPECT_FALSE(g.hasByteRows());
}

TEST(ByteRows, WritingIntoAByteRowTurnsTheGridIntoCells) {
    ResultGrid g(4, 2);
    fill(g);
    g.setRowColors(3, Red, Blue);
    g.removeRow(2);
    g.setText(3, 3, QStringLiteral("note"));
    EXPECT_FALSE(g.hasByteRows());
    EXPECT_EQ(rowTexts(g, 2), QStringList({"00000010", Row61, "00000010", ""}));
    EXPECT_EQ(g.backColor(2, 2), Blue);
    EXPECT_EQ(rowTexts(g, 3), QStringList({"00000020", Tail, "", "note"}));
}

TEST(ByteRows, RemovingOrdinaryRowsInOnePass) {
    ResultGrid g(2, 1);
    g.setRows(6);
    for (int r = 0; r < 6; ++r)
        g.setNumber(r, 0, r);
    g.setTopRow(5);
    g.removeRows({1, 2, 4});
    EXPECT_EQ(rowTexts(g, 1).first() + rowTexts(g, 2).first(), QStringLiteral("35"));
    EXPECT_EQ(g.topRow(), 2);
    EXPECT_THROW(g.removeRows({2, 1}), std::invalid_argument);
    EXPECT_THROW(g.removeRows({3}), std::out_of_range);
}

TEST(ByteRows, CsvExportWritesTheRowTexts) {
    TempFiles files;
    Workspace ws;
    ASSERT_TRUE(dumpBytes(ws, 0, QByteArray("\x01\x02", 2)));
    ASSERT_TRUE(dumpBytes(ws, 1, QByteArray("\x01\x03", 2)));
    compareBinaryRows(ws);
    const QString path = files.filePath(QStringLiteral("out.csv"));
    ASSERT_TRUE(ExportCsvUtf8(ws, ws.fgB, path, QStringLiteral(",")));
    EXPECT_TRUE(QString::fromUtf8(TempFiles::read(path))
                    .contains(QStringLiteral(
                        "\"CHG\",\"00000000\",\"01 02\",\"CHG\",\"00000000\",\"01 03\"\r\n")));
}

} // namespace
