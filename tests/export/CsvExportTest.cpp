#include "export/CsvExport.h"

#include "ExportFixtures.h"
#include "encoding/Charset.h"

#include <QTemporaryDir>

#include <unicode/ucnv.h>

#include <gtest/gtest.h>

using namespace ExportFixtures;

namespace {

class CsvExport : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QString path(const char *name = "out.csv") const {
        return m_dir.filePath(QString::fromUtf8(name));
    }

    Workspace ws;
    QTemporaryDir m_dir;
};

const QString TextResultCsv =
    QStringLiteral("\"差分結果\",\"行\",\"a.txt\",\"差分結果\",\"行\",\"b.txt\"\r\n"
                   "\"CHG\",\"1\",\"alpha\",\"CHG\",\"1\",\"ALPHA\"\r\n"
                   "\"ADD\",\"2\",\"left only\",\"DEL\",\"\",\"\"\r\n"
                   "\"DEL\",\"\",\"\",\"ADD\",\"2\",\"right only\"\r\n"
                   "\"\",\"3\",\"same\",\"\",\"3\",\"same\"\r\n");

TEST_F(CsvExport, TextResultUtf8HasBomAndStateWordsFromColumnZero) {
    fillTextResult(ws);
    ASSERT_TRUE(ExportCsvUtf8(ws, ws.fg, path(), QStringLiteral(",")));
    EXPECT_EQ(readFile(path()), Bom + TextResultCsv.toUtf8());
}

TEST_F(CsvExport, AnsiFormDiffersOnlyInEncodingAndBom) {
    fillTextResult(ws);
    ASSERT_TRUE(ExportCsvAnsi(ws, ws.fg, path()));
    const QByteArray bytes = readFile(path());
    EXPECT_EQ(bytes, EncodeAnsi(TextResultCsv));
    // "差分結果" in windows-31j.
    EXPECT_TRUE(bytes.startsWith("\"\x8D\xB7\x95\xAA\x8C\x8B\x89\xCA\""));
}

TEST_F(CsvExport, AnsiFormIsValidShiftJisWhateverTheCells) {
    ws.fg.setRows(2);
    setRow(ws.fg, 1,
           {QStringLiteral("1"), QStringLiteral(u"10〜20 Müller"), QStringLiteral("1"),
            QStringLiteral(u"−5 😀")});
    ASSERT_TRUE(ExportCsvAnsi(ws, ws.fg, path()));
    const QByteArray bytes = readFile(path());
    const QByteArray row = bytes.split('\n').at(1);
    EXPECT_EQ(row, QByteArray("\"\",\"1\",\"10\x81\x60"
                              "20 Muller\",\"\",\"1\",\"\x81\x7C"
                              "5 ?\"\r"));
    UErrorCode status = U_ZERO_ERROR;
    UConverter *strict = ucnv_open("windows-31j", &status);
    ucnv_setToUCallBack(strict, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    UChar text[512];
    ucnv_toUChars(strict, text, 512, bytes.constData(), int32_t(bytes.size()), &status);
    ucnv_close(strict);
    EXPECT_TRUE(U_SUCCESS(status)) << u_errorName(status);
}

TEST_F(CsvExport, LegendColoursChosenByTheUserAreFollowed) {
    ws.txtState = {0x0000FF, 0x00FF00, 0xFF0000};
    fillTextResult(ws);
    ASSERT_TRUE(ExportCsvUtf8(ws, ws.fg, path(), QStringLiteral(",")));
    EXPECT_EQ(readFile(path()), Bom + TextResultCsv.toUtf8());
}

TEST_F(CsvExport, CommaStaysInsideAndQuoteIsDoubled) {
    ws.fg.setRows(2);
    setRow(ws.fg, 1,
           {QStringLiteral("1"), QStringLiteral("a,b"), QStringLiteral("1"),
            QStringLiteral("say \"hi\"")});
    ASSERT_TRUE(ExportCsvUtf8(ws, ws.fg, path(), QStringLiteral(",")));
    EXPECT_EQ(readFile(path()).mid(Bom.size()).split('\n').at(1),
              QByteArray("\"\",\"1\",\"a,b\",\"\",\"1\",\"say \"\"hi\"\"\"\r"));
}

// Fields are copied several characters at a step: a quote, a character beyond ASCII or the
// last ASCII character at any place of a field of any length must come out as it went in.
TEST_F(CsvExport, FieldsOfEveryLengthKeepEveryCharacterWithQuotesDoubled) {
    const QString specials[] = {QStringLiteral("\""), QStringLiteral("é"), QStringLiteral("\x7f"),
                                QStringLiteral("日"), QStringLiteral("\xff")};
    QList<QString> fields;
    for (int length = 0; length <= 20; ++length) {
        for (int at = 0; at < length; ++at) {
            for (const QString &special : specials) {
                QString field(length, QLatin1Char('x'));
                field.replace(at, 1, special);
                field.replace(length - 1 - at, 1, QStringLiteral("\""));
                fields << field;
            }
        }
    }
    ws.fg.setRows(int(fields.size()) + 1);
    for (int k = 0; k < fields.size(); ++k)
        setRow(ws.fg, k + 1, {QString(), fields[k], QString(), QStringLiteral("y")});
    ASSERT_TRUE(ExportCsvUtf8(ws, ws.fg, path(), QStringLiteral(",")));
    const QList<QByteArray> lines = readFile(path()).mid(Bom.size()).split('\n');
    ASSERT_EQ(lines.size(), fields.size() + 2);
    for (int k = 0; k < fields.size(); ++k) {
        QString doubled = fields[k];
        doubled.replace(QStringLiteral("\""), QStringLiteral("\"\""));
        EXPECT_EQ(lines[k + 1], (QStringLiteral("\"\",\"\",\"") + doubled +
                                 QStringLiteral("\",\"\",\"\",\"y\"\r"))
                                    .toUtf8())
            << k;
    }
}

TEST_F(CsvExport, SeparatorGoesBetweenTheQuotes) {
    ws.fg.setRows(1);
    ASSERT_TRUE(ExportCsvUtf8(ws, ws.fg, path(), QStringLiteral("\t")));
    EXPECT_EQ(
        readFile(path()),
        Bom + QStringLiteral("\"差分結果\"\t\"\"\t\"\"\t\"差分結果\"\t\"\"\t\"\"\r\n").toUtf8());
}

TEST_F(CsvExport, FolderRowTakesTheFirstLegendColourOfColumnsZeroToThree) {
    ResultGrid &g = ws.fgF;
    g.setRows(4);
    for (int c = 0; c < 10; ++c)
        g.setText(0, c, QString::number(c));
    // Name uncoloured, size cell coloured "deleted": the size cell decides.
    setRow(g, 1, {QStringLiteral("x.txt"), QStringLiteral("1 KB")});
    g.setBackColor(1, 1, deleted(ws));
    g.setBackColor(1, 2, changed(ws));
    // An unrelated colour before a legend colour is passed over.
    g.setBackColor(2, 0, 0x123456);
    g.setBackColor(2, 3, added(ws));
    // A legend colour beyond column 3 does not count.
    g.setBackColor(3, 4, changed(ws));
    ASSERT_TRUE(ExportCsvUtf8(ws, g, path(), QStringLiteral(",")));
    const QList<QByteArray> lines = readFile(path()).mid(Bom.size()).split('\n');
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0],
              "\"差分結果\",\"0\",\"1\",\"2\",\"3\",\"差分結果\",\"4\",\"5\",\"6\",\"7\"\r");
    EXPECT_EQ(lines[1], "\"DEL\",\"x.txt\",\"1 KB\",\"\",\"\",\"ADD\",\"\",\"\",\"\",\"\"\r");
    EXPECT_TRUE(lines[2].startsWith("\"ADD\",\"\",\"\",\"\",\"\",\"DEL\""));
    EXPECT_TRUE(lines[3].startsWith("\"\",\"\",\"\",\"\",\"\",\"\""));
}

TEST_F(CsvExport, BinaryGridSecondHeaderRowIsADataLineWithoutStateWords) {
    ResultGrid &g = ws.fgB;
    g.setRows(3);
    setRow(g, 0, {QStringLiteral("a.bin"), QString(), QStringLiteral("b.bin"), QString()});
    setRow(g, 1,
           {QStringLiteral("Address"), QStringLiteral("+0 +1"), QStringLiteral("Address"),
            QStringLiteral("+0 +1")});
    paintRow(g, 1, 0, 4, changed(ws));
    setRow(g, 2,
           {QStringLiteral("00000000"), QStringLiteral("41 42"), QStringLiteral("00000000"),
            QStringLiteral("41 43")});
    paintRow(g, 2, 0, 4, changed(ws));
    ASSERT_TRUE(ExportCsvUtf8(ws, g, path(), QStringLiteral(",")));
    const QList<QByteArray> lines = readFile(path()).mid(Bom.size()).split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[1], "\"\",\"Address\",\"+0 +1\",\"\",\"Address\",\"+0 +1\"\r");
    EXPECT_EQ(lines[2], "\"CHG\",\"00000000\",\"41 42\",\"CHG\",\"00000000\",\"41 43\"\r");
}

TEST_F(CsvExport, UnwritablePathFailsAndLeavesNoFile) {
    fillTextResult(ws);
    const QString missing = m_dir.filePath(QStringLiteral("no/such/out.csv"));
    EXPECT_FALSE(ExportCsvUtf8(ws, ws.fg, missing, QStringLiteral(",")));
    EXPECT_FALSE(ExportCsvAnsi(ws, ws.fg, missing));
    EXPECT_FALSE(QFile::exists(missing));
}

TEST_F(CsvExport, LargeResultIsWrittenWholeAndInOrder) {
    // More rows than one piece: the pieces, made two at a time, must join seamlessly and in
    // their order, whether the last piece is an even or an odd one.
    for (const int rows : {45001, 65001}) {
        ResultGrid &g = ws.fg;
        g.setRows(rows);
        QString expected = QStringLiteral("\"差分結果\",\"\",\"\",\"差分結果\",\"\",\"\"\r\n");
        for (int r = 1; r < rows; ++r) {
            g.setNumber(r, 0, r);
            g.setText(r, 1, QStringLiteral("テキスト"));
            expected += QStringLiteral("\"\",\"%1\",\"テキスト\",\"\",\"\",\"\"\r\n").arg(r);
        }
        ASSERT_TRUE(ExportCsvAnsi(ws, g, path("a.csv")));
        ASSERT_TRUE(ExportCsvUtf8(ws, g, path("u.csv"), QStringLiteral(",")));
        EXPECT_EQ(decodeAnsi(readFile(path("a.csv"))), expected);
        EXPECT_EQ(readFile(path("u.csv")), Bom + expected.toUtf8());
    }
}

} // namespace
