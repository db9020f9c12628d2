#include "sheet/NumberFormats.h"
#include "sheet/SheetFileComparison.h"
#include "sheet/SheetFixtures.h"
#include "sheet/Workbook.h"
#include "sheet/WorkbookReaders.h"
#include "support/TempFiles.h"
#include "support/XlsBuilder.h"

#include <gtest/gtest.h>

using namespace XlsBuilder;
using Kind = CellValue::Kind;

namespace {

std::optional<Workbook> readBook(TempFiles &tmp, const Book &book, bool cells = true,
                                 QString *error = nullptr) {
    const QString path = tmp.filePath(QStringLiteral("book.xls"));
    EXPECT_TRUE(write(path, book));
    QString scratch;
    return readWorkbook(path, cells, error ? error : &scratch);
}

QString refusal(TempFiles &tmp, const QByteArray &stream, const char *name = "Workbook") {
    const QString path = tmp.filePath(QStringLiteral("bad.xls"));
    EXPECT_TRUE(writeCompound(path, stream, name));
    QString error;
    EXPECT_FALSE(readWorkbook(path, true, &error));
    return error;
}

// XF 0 General, XF 1 the workbook's own "0.00%" (number 164), XF 2 the built-in date 14.
Book styledBook() {
    Book book;
    book.formats = {{164, QStringLiteral("0.00%")}};
    book.xfFormats = {0, 164, 14};
    return book;
}

} // namespace

TEST(XlsRead, EveryCellKindWithFormulaResultsAndFormats) {
    TempFiles tmp;
    Book book = styledBook();
    book.sharedStrings = sst({QStringLiteral("共有"), QStringLiteral("shared")});
    const QByteArray mulRk =
        record(0x00BD, cellHead(3, 0, 0).left(4) + u16(0) + u32((10 << 2) | 3) + u16(1) +
                           u32((12345 << 2) | 3) + u16(1));
    book.sheets = {
        {QStringLiteral("値"),
         number(0, 0, 1.5) + rk(0, 1, (7 << 2) | 2) + rk(0, 2, 0x3FF00000) + label(0, 3, "ラベル") +
             labelSst(0, 4, 0) + labelSst(0, 5, 1) + boolErr(1, 0, 1, false) +
             boolErr(1, 1, 0, false) + boolErr(1, 2, 0x07, true) + mulRk + formulaNumber(2, 0, 30) +
             formulaText(2, 1, QStringLiteral("合計")) + formula(2, 2, special(1, 1)) +
             formula(2, 3, special(2, 0x2A)) + formula(2, 4, special(3)) + number(4, 0, 0.125, 1) +
             number(4, 1, 45416, 2) + blank(5, 7, 1) +
             record(0x00BE, cellHead(6, 1).left(4) + u16(1) + u16(1) + u16(2)) +
             // An embedded chart's own substream: its records are no cells of the sheet.
             bof(0x0020) + number(40, 40, 9) + eof()},
        {QStringLiteral("Formulas only"), formulaNumber(1, 1, 2) + formulaNumber(9, 5, 3)},
        {QStringLiteral("Empty"), QByteArray()},
    };
    const auto read = readBook(tmp, book);
    ASSERT_TRUE(read);
    ASSERT_EQ(read->sheets.size(), 3);
    const Sheet &s = read->sheets[0];
    EXPECT_EQ(s.name, QStringLiteral("値"));
    const auto expect = [&](int row, int col, Kind kind, double number, const QString &text) {
        const CellValue v = s.cell(row, col);
        EXPECT_EQ(v.kind, kind) << row << "," << col;
        EXPECT_EQ(v.number, number) << row << "," << col;
        EXPECT_EQ(v.text, text) << row << "," << col;
    };
    expect(1, 1, Kind::Number, 1.5, {});
    expect(1, 2, Kind::Number, 7, {});
    expect(1, 3, Kind::Number, 1, {}); // the high half of a double
    expect(1, 4, Kind::Text, 0, QStringLiteral("ラベル"));
    expect(1, 5, Kind::Text, 0, QStringLiteral("共有"));
    expect(1, 6, Kind::Text, 0, QStringLiteral("shared"));
    expect(2, 1, Kind::Boolean, 1, {});
    expect(2, 2, Kind::Boolean, 0, {});
    expect(2, 3, Kind::Error, 0, QStringLiteral("#DIV/0!"));
    expect(4, 1, Kind::Number, 0.1, {}); // 10 in hundredths
    expect(4, 2, Kind::Number, 123.45, {});
    // Formulas by their last calculated result.
    expect(3, 1, Kind::Number, 30, {});
    expect(3, 2, Kind::Text, 0, QStringLiteral("合計"));
    expect(3, 3, Kind::Boolean, 1, {});
    expect(3, 4, Kind::Error, 0, QStringLiteral("#N/A"));
    expect(3, 5, Kind::Text, 0, QString());
    EXPECT_EQ(s.cell(2, 1).displayText(), QStringLiteral("TRUE"));
    EXPECT_EQ(s.cell(2, 2).displayText(), QStringLiteral("FALSE"));
    // Number formats stay with the cells, for showing them.
    EXPECT_EQ(s.numberFormat(s.cell(5, 1)), QStringLiteral("0.00%"));
    EXPECT_EQ(s.numberFormat(s.cell(5, 2)), QStringLiteral("yyyy/m/d"));
    EXPECT_EQ(s.numberFormat(s.cell(1, 1)), QString());
    // Formatted blanks (H6, B7:C7) widen the used range but hold no value.
    EXPECT_EQ(s.usedRangeAddress(), QStringLiteral("A1:H7"));
    EXPECT_FALSE(s.cells.contains(Sheet::key(6, 8)));
    EXPECT_FALSE(s.cells.contains(Sheet::key(7, 2)));
    // A sheet of formulas only keeps its whole used range.
    EXPECT_EQ(read->sheets[1].usedRangeAddress(), QStringLiteral("B2:F10"));
    EXPECT_EQ(read->sheets[2].usedRangeAddress(), QStringLiteral("A1"));
    EXPECT_EQ(read->sheets[2].lastRow, 0);

    // The sheet lists: the same names and ranges, no cells.
    const auto names = readBook(tmp, book, false);
    ASSERT_TRUE(names);
    EXPECT_EQ(names->sheets[0].usedRangeAddress(), QStringLiteral("A1:H7"));
    EXPECT_EQ(names->sheets[1].usedRangeAddress(), QStringLiteral("B2:F10"));
    EXPECT_TRUE(names->sheets[0].cells.isEmpty());
}

// Shared strings continue in CONTINUE records: the characters of a string split there go on
// behind a fresh option byte (here switching from one to two bytes a character), while its
// rich-text runs and phonetic data simply run on.
TEST(XlsRead, SharedStringsSplitOverContinueRecords) {
    TempFiles tmp;
    QByteArray first = u32(3) + u32(3) + string16(QStringLiteral("abc"));
    // "Hello世界": five Latin-1 characters, then the rest in the next record, two bytes each.
    first += u16(7) + QByteArray(1, '\0') + "Hel";
    QByteArray second = QByteArray(1, '\0') + "lo";
    QByteArray third = QByteArray(1, '\1') + u16(0x4E16) + u16(0x754C);
    // A rich string with phonetic data: runs and data straddle the next boundary.
    third += u16(2) + QByteArray(1, '\x0C') + u16(1) + u32(3) + "xy" + u16(0);
    QByteArray fourth = u16(0) + QByteArray(3, 'p');
    Book book;
    book.sharedStrings = record(0x00FC, first) + record(0x003C, second) + record(0x003C, third) +
                         record(0x003C, fourth);
    book.sheets = {
        {QStringLiteral("S"), labelSst(0, 0, 0) + labelSst(0, 1, 1) + labelSst(0, 2, 2)}};
    const auto read = readBook(tmp, book);
    ASSERT_TRUE(read);
    const Sheet &s = read->sheets[0];
    EXPECT_EQ(s.cell(1, 1).text, QStringLiteral("abc"));
    EXPECT_EQ(s.cell(1, 2).text, QStringLiteral("Hello世界"));
    EXPECT_EQ(s.cell(1, 3).text, QStringLiteral("xy"));
}

// A workbook counting its dates from 1904: dates read as the serials the same dates have in
// any other workbook, so that they compare equal; plain numbers and times stay as they are.
TEST(XlsRead, DatesCountedFrom1904BecomeTheUsualSerials) {
    TempFiles tmp;
    Book book = styledBook();
    book.formats << qMakePair(quint16(165), QStringLiteral("h:mm"));
    book.xfFormats << 165;
    book.date1904 = true;
    book.sheets = {{QStringLiteral("S"), number(0, 0, 43954, 2) + number(0, 1, 43954) +
                                             number(0, 2, 0.5, 3) + formulaNumber(0, 3, 1, 2)}};
    const auto read = readBook(tmp, book);
    ASSERT_TRUE(read);
    const Sheet &s = read->sheets[0];
    EXPECT_EQ(s.cell(1, 1).number, 45416); // 2024-05-04
    EXPECT_EQ(s.cell(1, 2).number, 43954);
    EXPECT_EQ(s.cell(1, 3).number, 0.5);
    EXPECT_EQ(s.cell(1, 4).number, 1463);

    const QPair<const char *, bool> formats[] = {
        {"yyyy/m/d", true},          {"[$-411]ge.m.d", true}, {"mmm", true},
        {"d-mmm-yy", true},          {"h:mm:ss", false},      {"[h]:mm", false},
        {"0.00E+00", false},         {"General", false},      {"\"day\"0", false},
        {"[Red]#,##0", false},       {"0.0_d", false},        {"h:mm AM/PM", false},
        {"yyyy\"年\"m\"月\"", true}, {"mm:ss", false},
    };
    for (const auto &[format, date] : formats)
        EXPECT_EQ(NumberFormats::isDate(QString::fromUtf8(format)), date) << format;
}

// The format of 1993 to 1997 (in a stream named "Book"): no shared strings, texts as bytes in
// the workbook's code page.
TEST(XlsRead, WorkbooksOfTheEarlierFormatWithTextsInTheirCodePage) {
    TempFiles tmp;
    Book book;
    book.biff5 = true;
    book.formats = {{164, QStringLiteral("0.0\"円\"")}};
    book.xfFormats = {0, 164};
    book.sheets = {{QStringLiteral("集計"), record(0x0204, cellHead(0, 0) + ansi16("日本語")) +
                                                formula(0, 1, special(0)) +
                                                record(0x0207, ansi16("結果")) +
                                                number(1, 0, 2.5, 1) + formulaNumber(1, 1, 4)}};
    const QString path = tmp.filePath(QStringLiteral("old.xls"));
    ASSERT_TRUE(writeCompound(path, workbookStream(book), "Book"));
    QString error;
    const auto read = readWorkbook(path, true, &error);
    ASSERT_TRUE(read) << error.toStdString();
    const Sheet &s = read->sheets[0];
    EXPECT_EQ(s.name, QStringLiteral("集計"));
    EXPECT_EQ(s.cell(1, 1).text, QStringLiteral("日本語"));
    EXPECT_EQ(s.cell(1, 2).text, QStringLiteral("結果"));
    EXPECT_EQ(s.cell(2, 1).number, 2.5);
    EXPECT_EQ(s.numberFormat(s.cell(2, 1)), QStringLiteral("0.0\"円\""));
    EXPECT_EQ(s.cell(2, 2).number, 4);
    EXPECT_EQ(s.usedRangeAddress(), QStringLiteral("A1:B2"));
}

TEST(XlsRead, DamagedEncryptedAndOlderStreamsAreRefused) {
    TempFiles tmp;
    Book good;
    good.sheets = {{QStringLiteral("S"), number(0, 0, 1)}};
    const QByteArray stream = workbookStream(good);
    const QString damaged = QStringLiteral("壊れたファイルです");

    Book locked = good;
    locked.extraGlobals = record(0x002F, u16(1) + QByteArray(52, '\0'));
    EXPECT_EQ(refusal(tmp, workbookStream(locked)), QStringLiteral("暗号化されています"));
    EXPECT_EQ(refusal(tmp, stream, "EncryptedPackage"), QStringLiteral("暗号化されています"));
    EXPECT_EQ(refusal(tmp, stream, "Other"), QStringLiteral("ブックではありません"));
    EXPECT_EQ(refusal(tmp, QByteArray("\x09\x08\x04\x00\x00\x04\x05\x00", 8)),
              QStringLiteral("対応していない形式です"));

    // Cut anywhere after the globals' opening record, the stream is refused as damaged.
    for (qsizetype cut : {qsizetype(25), stream.size() / 2, stream.size() - 6, stream.size() - 1})
        EXPECT_EQ(refusal(tmp, stream.left(cut)), damaged) << cut;

    Book bad = good;
    bad.sheets = {{QStringLiteral("S"), labelSst(0, 0, 5)}}; // no such shared string
    EXPECT_EQ(refusal(tmp, workbookStream(bad)), damaged);
    bad.sheets = {{QStringLiteral("S"), record(0x0203, cellHead(0, 0).left(4))}}; // short
    EXPECT_EQ(refusal(tmp, workbookStream(bad)), damaged);
    bad.sheets = {{QStringLiteral("S"), formulaText(0, 0, "x").chopped(2)}};
    EXPECT_EQ(refusal(tmp, workbookStream(bad)), damaged);
    // A shared string table that claims four billion strings.
    bad.sheets = good.sheets;
    bad.sharedStrings = record(0x00FC, u32(0xFFFFFFFF) + u32(0xFFFFFFFF) + string16("a"));
    EXPECT_EQ(refusal(tmp, workbookStream(bad)), damaged);

    // Sheet entries that all point at the same records cannot make the reading quadratic.
    QByteArray sheets = workbookStream(good);
    const qsizetype list = sheets.indexOf(QByteArray("\x85\x00", 2));
    ASSERT_GT(list, 0);
    const QByteArray entry = sheets.mid(list, 4 + 8 + 1);
    sheets.insert(list, entry.repeated(200));
    // Every entry now points 200 entries short of the sheet: move them all onto it.
    const quint32 offset = qFromLittleEndian<quint32>(entry.constData() + 4) + 200 * 13;
    for (int i = 0; i <= 200; ++i)
        qToLittleEndian(offset, sheets.data() + list + i * 13 + 4);
    EXPECT_EQ(refusal(tmp, sheets), damaged);

    // A stop asked for ends the read.
    ASSERT_TRUE(write(tmp.filePath(QStringLiteral("good.xls")), good));
    QString error;
    EXPECT_FALSE(readXlsBytes(TempFiles::read(tmp.filePath(QStringLiteral("good.xls"))), true,
                              &error, [] { return true; }));
    EXPECT_EQ(error, QStringLiteral("中断しました"));
}

// The same two workbooks as .xls and as .xlsx: formulas whose results changed (a total, a
// truth value, an error become a number, a text) are flagged the same in both.
TEST(XlsRead, ChangedFormulaResultsAreFlaggedAsInTheXlsxPair) {
    TempFiles tmp;
    struct Side {
        double input, total;
        bool flag;
        QByteArray error; // "" for the number 0
        QString text;
    };
    const Side sides[2] = {{20, 30, true, "#N/A", QStringLiteral("同じ")},
                           {25, 35, false, "", QStringLiteral("違う")}};
    QStringList paths;
    for (int i = 0; i < 2; ++i) {
        const Side &v = sides[i];
        Book book;
        book.sheets = {
            {QStringLiteral("Data"),
             number(0, 0, 10) + number(1, 0, v.input) + formulaNumber(2, 0, v.total) +
                 formula(0, 1, special(1, v.flag)) +
                 (v.error.isEmpty() ? formulaNumber(1, 1, 0) : formula(1, 1, special(2, 0x2A))) +
                 formulaText(2, 1, v.text) + formulaNumber(0, 2, 7)}};
        paths << tmp.filePath(QStringLiteral("%1.xls").arg(i));
        ASSERT_TRUE(write(paths.last(), book));

        const QByteArray error = v.error.isEmpty()
                                     ? "<c r=\"B2\"><f>0</f><v>0</v></c>"
                                     : "<c r=\"B2\" t=\"e\"><f>NA()</f><v>#N/A</v></c>";
        const QByteArray rows =
            "<row r=\"1\"><c r=\"A1\"><v>10</v></c><c r=\"B1\" t=\"b\"><f>A1&gt;0</f><v>" +
            QByteArray(v.flag ? "1" : "0") + "</v></c><c r=\"C1\"><f>7</f><v>7</v></c></row>" +
            "<row r=\"2\"><c r=\"A2\"><v>" + QByteArray::number(v.input) + "</v></c>" + error +
            "</row><row r=\"3\"><c r=\"A3\"><f>SUM(A1:A2)</f><v>" + QByteArray::number(v.total) +
            "</v></c><c r=\"B3\" t=\"str\"><f>\"x\"</f><v>" + v.text.toUtf8() + "</v></c></row>";
        paths << tmp.filePath(QStringLiteral("%1.xlsx").arg(i));
        ASSERT_TRUE(SheetFixtures::writeZip(
            paths.last(), SheetFixtures::workbookParts({{"Data", SheetFixtures::sheetXml(rows)}})));
    }
    const auto compare = [&](const QString &left, const QString &right) {
        SheetFileRequest r;
        r.paths = {left, right};
        r.sheetNames = {QStringLiteral("Data"), QStringLiteral("Data")};
        r.legend = {1, 2, 3};
        r.outputFolder = [] { return QString(); };
        return compareSheetFiles(r);
    };
    const SheetFileComparison xls = compare(paths[0], paths[2]);
    const SheetFileComparison xlsx = compare(paths[1], paths[3]);
    ASSERT_TRUE(xls.compared);
    ASSERT_TRUE(xlsx.compared);
    EXPECT_EQ(xlsx.comparison.changedCells, 5);
    EXPECT_EQ(xls.comparison.changedCells, 5);
    EXPECT_EQ(xls.comparison.leftColors, xlsx.comparison.leftColors);
    EXPECT_EQ(xls.comparison.rightColors, xlsx.comparison.rightColors);
    EXPECT_EQ(xls.sheets[0].usedRangeAddress(), QStringLiteral("A1:C3"));
    EXPECT_EQ(xls.comparison.lastCol, 3);
}
