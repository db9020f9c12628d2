#include "run/BinaryDump.h"

#include "platform/Paths.h"
#include "run/GridFill.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

namespace {

// Bytes start, start + 1, ... (mod 256), so neighbouring rows differ.
QByteArray counting(int n, int start = 0) {
    QByteArray bytes(n, Qt::Uninitialized);
    for (int i = 0; i < n; ++i)
        bytes[i] = char((start + i) & 0xFF);
    return bytes;
}

class BinaryDump : public ::testing::Test {
protected:
    void SetUp() override { resetGridHeaders(ws); }

    // A fresh run over two files, dumped and compared as the run does it.
    void compareFiles(const QByteArray &left, const QByteArray &right) {
        ws.DiffCount = ws.LeftOnlyCount = ws.RightOnlyCount = 0;
        resetGridHeaders(ws);
        ASSERT_TRUE(dumpFile(ws, 0, files.write(QStringLiteral("left.bin"), left)));
        ASSERT_TRUE(dumpFile(ws, 1, files.write(QStringLiteral("right.bin"), right)));
        compareBinaryRows(ws);
    }
    QString text(int r, int c) const { return ws.fgB.text(r, c); }
    // The row's colours left and right (cells 1 and 2 stand for their halves).
    std::pair<Color, Color> colours(int r) const {
        EXPECT_EQ(ws.fgB.backColor(r, 0), ws.fgB.backColor(r, 1));
        EXPECT_EQ(ws.fgB.backColor(r, 2), ws.fgB.backColor(r, 3));
        return {ws.fgB.backColor(r, 1), ws.fgB.backColor(r, 2)};
    }
    std::array<int, 3> counts() const {
        return {ws.DiffCount, ws.LeftOnlyCount, ws.RightOnlyCount};
    }

    const std::pair<Color, Color> plain{ResultGrid::DefaultColor, ResultGrid::DefaultColor};
    Workspace ws;
    TempFiles files;
};

TEST_F(BinaryDump, RowsShowAddressesAndSpacedUpperCaseHex) {
    compareFiles(counting(16, 0xF0) + QByteArray("\r\nA"), QByteArray());
    EXPECT_EQ(ws.shownView(), ResultView::Binary);
    EXPECT_EQ(text(0, 1), QStringLiteral("left.bin [") +
                              modificationText(files.filePath(QStringLiteral("left.bin"))) +
                              QStringLiteral("]"));
    EXPECT_TRUE(text(0, 3).startsWith(QStringLiteral("right.bin [")));
    EXPECT_EQ(text(1, 0), QStringLiteral("アドレス"));
    EXPECT_EQ(text(2, 0), QStringLiteral("00000000"));
    EXPECT_EQ(text(2, 1), QStringLiteral("F0 F1 F2 F3 F4 F5 F6 F7 F8 F9 FA FB FC FD FE FF"));
    EXPECT_EQ(text(3, 0), QStringLiteral("00000010"));
    EXPECT_EQ(text(3, 1), QStringLiteral("0D 0A 41"));
    EXPECT_EQ(ws.fgB.text(3, 1), QStringLiteral("0D 0A 41"));
    EXPECT_EQ(ws.fgB.numberAt(3, 0), -1);
}

TEST_F(BinaryDump, RowCountsAndRowStatesAtTheEnds) {
    // Whole rows: a last row with an address and no bytes, on both sides, not coloured.
    compareFiles(counting(32), counting(32));
    ASSERT_EQ(ws.fgB.rows(), 5);
    EXPECT_EQ(text(4, 2), QStringLiteral("00000020"));
    EXPECT_TRUE(ws.fgB.isEmpty(4, 1));
    for (int r = 2; r < 5; ++r)
        EXPECT_EQ(colours(r), plain) << r;
    EXPECT_EQ(counts(), (std::array{0, 0, 0}));

    compareFiles(QByteArray(), QByteArray());
    ASSERT_EQ(ws.fgB.rows(), 3);
    EXPECT_EQ(text(2, 0), QStringLiteral("00000000"));

    // An empty last row against four bytes is a changed row.
    compareFiles(counting(16), counting(20));
    ASSERT_EQ(ws.fgB.rows(), 4);
    EXPECT_EQ(text(3, 3), QStringLiteral("10 11 12 13"));
    EXPECT_EQ(colours(3), std::pair(ws.txtState[0], ws.txtState[0]));
    EXPECT_EQ(counts(), (std::array{1, 0, 0}));

    // The longer right side raises the rows; beyond the left data the rows are right-only.
    compareFiles(counting(32), counting(48));
    ASSERT_EQ(ws.fgB.rows(), 6);
    EXPECT_TRUE(ws.fgB.isEmpty(5, 0));
    EXPECT_EQ(colours(5), std::pair(ws.txtState[2], ws.txtState[1]));
    EXPECT_EQ(counts(), (std::array{1, 0, 1}));

    compareFiles(counting(48), counting(32));
    EXPECT_EQ(colours(5), std::pair(ws.txtState[1], ws.txtState[2]));
    EXPECT_EQ(counts(), (std::array{1, 1, 0}));
}

TEST_F(BinaryDump, ClipboardTextIsUtf16LittleEndianInExactlyFittingRows) {
    EXPECT_EQ(utf16LeBytes(QStringLiteral("A\u3042")), QByteArray("A\0\x42\x30", 4));
    ASSERT_TRUE(dumpBytes(ws, 0, utf16LeBytes(QStringLiteral("AB"))));
    ASSERT_EQ(ws.fgB.rows(), 3);
    EXPECT_EQ(text(2, 1), QStringLiteral("41 00 42 00"));
    EXPECT_EQ(text(0, 1), QStringLiteral("本文"));

    // An empty text leaves the headers alone; the right side raises the count, never lowers.
    resetGridHeaders(ws);
    ASSERT_TRUE(dumpBytes(ws, 0, QByteArray()));
    EXPECT_EQ(ws.fgB.rows(), 2);
    ASSERT_TRUE(dumpBytes(ws, 1, counting(32)));
    EXPECT_EQ(ws.fgB.rows(), 4);
    ASSERT_TRUE(dumpBytes(ws, 1, counting(3)));
    EXPECT_EQ(ws.fgB.rows(), 4);
    compareBinaryRows(ws);
    EXPECT_EQ(counts(), (std::array{0, 0, 1}));
}

TEST_F(BinaryDump, OnlyDifferencesRemovesEqualRowsAndKeepsTheOthersIntact) {
    ws.OnlyDF = true;
    QByteArray right = counting(80);
    right[20] = 'x';
    compareFiles(counting(48), right);
    // Kept: row 1 (changed), row 3 (no left bytes), rows 4-5 (right only).
    ASSERT_EQ(ws.fgB.rows(), 6);
    EXPECT_EQ(text(2, 0), QStringLiteral("00000010"));
    EXPECT_EQ(text(2, 3).mid(12, 2), QStringLiteral("78"));
    EXPECT_EQ(text(3, 0), QStringLiteral("00000030"));
    EXPECT_EQ(text(5, 2), QStringLiteral("00000050"));
    EXPECT_EQ(colours(2), std::pair(ws.txtState[0], ws.txtState[0]));
    EXPECT_EQ(colours(4), std::pair(ws.txtState[2], ws.txtState[1]));
    EXPECT_EQ(counts(), (std::array{2, 0, 2}));

    // All equal: one empty data row stays.
    compareFiles(counting(40), counting(40));
    ASSERT_EQ(ws.fgB.rows(), 3);
    for (int c = 0; c < 4; ++c)
        EXPECT_TRUE(ws.fgB.isEmpty(2, c)) << c;
    EXPECT_EQ(colours(2), plain);
}

TEST_F(BinaryDump, AbortKeepsTheRowsWrittenBeforeIt) {
    int polls = 0;
    ws.processEventsHook = [&] {
        if (++polls == 3)
            ws.bAbort = true;
    };
    EXPECT_FALSE(dumpFile(ws, 0, files.write(QStringLiteral("big"), counting(10000))));
    EXPECT_EQ(polls, 3);
    // Every address is there; the bytes end at offset 3 * 1024.
    EXPECT_EQ(ws.fgB.rows(), 10000 / 16 + 3);
    const int firstUnwritten = 2 + 3 * 1024 / 16;
    EXPECT_FALSE(ws.fgB.isEmpty(firstUnwritten - 1, 1));
    EXPECT_TRUE(ws.fgB.isEmpty(firstUnwritten, 1));
    EXPECT_EQ(text(firstUnwritten, 0), QStringLiteral("00000C00"));

    // A flag already set stops after the first row.
    resetGridHeaders(ws);
    EXPECT_FALSE(dumpBytes(ws, 0, counting(100)));
    EXPECT_FALSE(ws.fgB.isEmpty(2, 1));
    EXPECT_TRUE(ws.fgB.isEmpty(3, 1));
}

TEST_F(BinaryDump, UnreadableFileIsReportedAndShowsNoRows) {
    const QString missing = files.filePath(QStringLiteral("missing.bin"));
    ASSERT_TRUE(dumpFile(ws, 0, missing));
    ASSERT_TRUE(dumpFile(ws, 1, files.write(QStringLiteral("right.bin"), counting(20))));
    EXPECT_EQ(ws.runProblems, QStringList{QStringLiteral("読み込めません: ") + missing});
    EXPECT_TRUE(ws.fgB.isEmpty(2, 0));
    compareBinaryRows(ws);
    EXPECT_EQ(counts(), (std::array{0, 0, 2}));

    // Neither side readable (a folder is no file): one uncounted empty row.
    resetGridHeaders(ws);
    ws.runProblems.clear();
    ws.RightOnlyCount = 0;
    ws.OnlyDF = true;
    ASSERT_TRUE(dumpFile(ws, 0, missing));
    ASSERT_TRUE(dumpFile(ws, 1, files.path()));
    EXPECT_EQ(ws.runProblems.size(), 2);
    compareBinaryRows(ws);
    EXPECT_EQ(ws.fgB.rows(), 3);
    EXPECT_EQ(counts(), (std::array{0, 0, 0}));
}

} // namespace
