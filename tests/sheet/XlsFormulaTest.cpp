#include "sheet/XlsFormula.h"
#include "sheet/Workbook.h"

#include <gtest/gtest.h>

#include <QtEndian>

#include <bit>

namespace {

QByteArray u8(int v) {
    return QByteArray(1, char(v));
}
QByteArray u16(int v) {
    QByteArray b(2, '\0');
    qToLittleEndian(quint16(v), b.data());
    return b;
}
QByteArray f64(double v) {
    QByteArray b(8, '\0');
    qToLittleEndian(std::bit_cast<quint64>(v), b.data());
    return b;
}
// A column field with its relative flags.
int colField(int col, bool rowRelative, bool colRelative) {
    return col | (colRelative ? 0x4000 : 0) | (rowRelative ? 0x8000 : 0);
}
QByteArray ref(int row, int col, bool rowRelative = true, bool colRelative = true) {
    return u8(0x44) + u16(row) + u16(colField(col, rowRelative, colRelative));
}
QByteArray area(int r1, int r2, int c1, int c2) {
    return u8(0x25) + u16(r1) + u16(r2) + u16(colField(c1, true, true)) +
           u16(colField(c2, true, true));
}
QByteArray num(double v) {
    return u8(0x1F) + f64(v);
}
QByteArray integer(int v) {
    return u8(0x1E) + u16(v);
}
QByteArray str(const QByteArray &latin1) {
    return u8(0x17) + u8(int(latin1.size())) + u8(0) + latin1;
}
QByteArray funcVar(int id, int args) {
    return u8(0x42) + u8(args) + u16(id);
}
QByteArray func(int id) {
    return u8(0x41) + u16(id);
}

struct Case {
    const char *name;
    QByteArray tokens;
    QString text;
};

void PrintTo(const Case &c, std::ostream *os) {
    *os << c.name;
}

class XlsFormulaText : public testing::TestWithParam<Case> {};

TEST_P(XlsFormulaText, ReadsAsTheSpreadsheetShowsIt) {
    const QStringList externSheets{QStringLiteral("Other"), QStringLiteral("'My sheet'"),
                                   QString()};
    XlsFormulaPlace place;
    place.row = 4;
    place.col = 2;
    place.externSheets = &externSheets;
    EXPECT_EQ(xlsFormulaText(GetParam().tokens, place), GetParam().text);
}

const QString none;

INSTANTIATE_TEST_SUITE_P(
    Tokens, XlsFormulaText,
    testing::Values(
        Case{"references",
             ref(0, 0) + ref(1, 1, false, false) + u8(0x03) + ref(2, 2, true, false) + u8(0x04) +
                 ref(3, 3, false, true) + u8(0x05),
             QStringLiteral("A1+$B$2-$C3*D$4")},
        Case{"operators",
             num(1.5) + integer(2) + u8(0x06) + integer(3) + u8(0x07) + str("a") + u8(0x08) +
                 integer(1) + u8(0x09) + u8(0x15),
             QStringLiteral("(1.5/2^3&\"a\"<1)")},
        Case{"comparisons",
             integer(1) + integer(2) + u8(0x0A) + integer(3) + u8(0x0B) + integer(4) + u8(0x0C) +
                 integer(5) + u8(0x0D) + integer(6) + u8(0x0E),
             QStringLiteral("1<=2=3>=4>5<>6")},
        Case{"unary and percent",
             ref(0, 0) + u8(0x13) + integer(2) + u8(0x07) + integer(3) + u8(0x14) + u8(0x03) +
                 integer(1) + u8(0x12) + u8(0x05),
             QStringLiteral("-A1^2+3%*+1")},
        Case{"strings with quotes, booleans, errors",
             str("say \"hi\"") + u8(0x1D) + u8(1) + u8(0x1C) + u8(0x2A) + u8(0x1D) + u8(0) +
                 funcVar(1, 3) + u8(0x08),
             QStringLiteral("\"say \"\"hi\"\"\"&IF(TRUE,#N/A,FALSE)")},
        Case{"numbers in their shortest form", num(0.30000000000000004) + num(1e20) + u8(0x03),
             QStringLiteral("0.30000000000000004+1E+20")},
        Case{"functions",
             area(0, 2, 0, 0) + funcVar(4, 1) + ref(0, 0) + integer(2) + func(27) + ref(0, 0) +
                 area(0, 9, 0, 1) + integer(2) + u8(0x16) + funcVar(102, 4) + funcVar(336, 3),
             QStringLiteral("CONCATENATE(SUM(A1:A3),ROUND(A1,2),VLOOKUP(A1,A1:B10,2,))")},
        Case{"single-argument SUM and control tokens",
             area(0, 2, 0, 0) + u8(0x19) + u8(0x10) + u16(0) + u8(0x19) + u8(0x40) + u16(0x0100) +
                 integer(1) + u8(0x19) + u8(0x04) + u16(1) + u16(0) + u16(0) + u8(0x03),
             QStringLiteral("SUM(A1:A3)+1")},
        Case{"3-D references",
             u8(0x3A) + u16(0) + ref(0, 0).mid(1) + u8(0x3B) + u16(1) + area(0, 1, 0, 0).mid(1) +
                 u8(0x03),
             QStringLiteral("Other!A1+'My sheet'!A1:A2")},
        Case{"deleted references",
             u8(0x2A) + QByteArray(4, '\0') + u8(0x2B) + QByteArray(8, '\0') + u8(0x03),
             QStringLiteral("#REF!+#REF!")},
        // Anything unknown or damaged gives no text, never a wrong one.
        Case{"a defined name", u8(0x23) + u16(1) + u16(0), none},
        Case{"another workbook's sheet", u8(0x3A) + u16(2) + ref(0, 0).mid(1), none},
        Case{"an extern sheet past the list", u8(0x3A) + u16(9) + ref(0, 0).mid(1), none},
        Case{"an unknown function", integer(1) + func(250), none},
        Case{"too few arguments", integer(1) + funcVar(4, 2), none},
        Case{"two results", integer(1) + integer(2), none},
        Case{"an operator short of operands", integer(1) + u8(0x03), none},
        Case{"cut short", ref(0, 0).left(3), none}, Case{"empty", QByteArray(), none},
        Case{"an array constant", u8(0x60) + QByteArray(7, '\0'), none}));

TEST(XlsFormulaText, SharedFormulaOffsetsCountFromTheCell) {
    // Row offset -1 (relative), column offset -2 (relative), and an absolute $A$1.
    const QByteArray tokens = u8(0x4C) + u16(0xFFFF) + u16(colField(0xFE, true, true)) + u8(0x4C) +
                              u16(0) + u16(colField(0, false, false)) + u8(0x03) + u8(0x4D) +
                              u16(0) + u16(2) + u16(colField(0, true, true)) +
                              u16(colField(1, true, true)) + funcVar(4, 1) + u8(0x03);
    XlsFormulaPlace place;
    place.shared = true;
    place.row = 4;
    place.col = 2;
    EXPECT_EQ(xlsFormulaText(tokens, place), QStringLiteral("A4+$A$1+SUM(C5:D7)"));
    place.row = 0; // offsets wrap around the legacy worksheet's 65536 rows and 256 columns
    place.col = 0;
    EXPECT_EQ(xlsFormulaText(tokens, place), QStringLiteral("IU65536+$A$1+SUM(A1:B3)"));
}

// Damaged tokens can nest a text far beyond what a spreadsheet writes (8192 characters), and
// each wrapping copies it: such a formula gets no text, one within the limit still reads.
TEST(XlsFormulaText, TextLongerThanASpreadsheetAllowsIsGivenUp) {
    const auto wrapped = [](int parentheses) {
        return integer(1) + QByteArray(parentheses, char(0x15));
    };
    EXPECT_EQ(xlsFormulaText(wrapped(4000), {}), QString(4000, u'(') + u'1' + QString(4000, u')'));
    EXPECT_EQ(xlsFormulaText(wrapped(4096), {}), QString());
    EXPECT_EQ(xlsFormulaText(wrapped(20000), {}), QString());
    // Nested calls and operators whose right side is the long one grow the same way.
    QByteArray calls = integer(1);
    for (int i = 0; i < 2000; ++i)
        calls += func(24); // ABS
    EXPECT_EQ(xlsFormulaText(calls, {}), QString());
    QByteArray sums;
    for (int i = 0; i < 5000; ++i)
        sums += integer(1);
    for (int i = 1; i < 5000; ++i)
        sums += u8(0x03);
    EXPECT_EQ(xlsFormulaText(sums, {}), QString());
}

TEST(XlsFormulaText, SheetNamesAreQuotedWhereTheyMustBe) {
    EXPECT_EQ(xlsSheetPrefix(QStringLiteral("Sheet1")), QStringLiteral("Sheet1"));
    EXPECT_EQ(xlsSheetPrefix(QStringLiteral("集計")), QStringLiteral("集計"));
    EXPECT_EQ(xlsSheetPrefix(QStringLiteral("My sheet")), QStringLiteral("'My sheet'"));
    EXPECT_EQ(xlsSheetPrefix(QStringLiteral("Bob's")), QStringLiteral("'Bob''s'"));
    EXPECT_EQ(xlsSheetPrefix(QStringLiteral("2024")), QStringLiteral("'2024'"));
}

// A workbook saved by LibreOffice Calc as an Excel 97-2003 file.
TEST(XlsFormulaText, WorkbookFromASpreadsheetApplication) {
    QString error;
    const auto book = readWorkbook(
        QStringLiteral(CORVANE_SOURCE_DIR "/tests/sheet/files/formulas.xls"), true, &error);
    ASSERT_TRUE(book) << error.toStdString();
    const Sheet &s = book->sheets.at(0);
    const auto formula = [&](const char *address) {
        const QString a = QLatin1String(address);
        const int col = a[0].unicode() - 'A' + 1;
        return s.formulas.value(Sheet::key(a.mid(1).toInt(), col));
    };
    EXPECT_EQ(formula("B1"), QStringLiteral("SUM(A1:A3)"));
    EXPECT_EQ(formula("B2"), QStringLiteral("A1*2+$A$2"));
    EXPECT_EQ(formula("B3"), QStringLiteral("IF(A1>5,\"big\",\"sm\"\"all\")"));
    EXPECT_EQ(formula("B4"), QStringLiteral("ROUND(A1/3,2)"));
    EXPECT_EQ(formula("B5"), QStringLiteral("-A1^2"));
    EXPECT_EQ(formula("B6"), QStringLiteral("CONCATENATE(\"a\",A5)"));
    EXPECT_EQ(formula("B7"), QStringLiteral("A1&\"x\""));
    EXPECT_EQ(formula("B8"), QStringLiteral("(A1+A2)*3%"));
    EXPECT_EQ(formula("B9"), QStringLiteral("VLOOKUP(A1,$A$1:A$3,1,0)"));
    EXPECT_EQ(formula("B10"), QStringLiteral("AVERAGE(A1:A3)>=MAX(A1,A2)"));
    EXPECT_EQ(formula("B11"), QStringLiteral("Other!A1+'My sheet'!$B$2"));
    EXPECT_EQ(formula("B12"), QStringLiteral("TRUE<>FALSE") /* stored as constants */);
    EXPECT_EQ(formula("B13"), QStringLiteral("COUNT(A1:A3)<=MIN(A1:A3)"));
    EXPECT_EQ(formula("B14"), QStringLiteral("NA()"));
    EXPECT_EQ(formula("B15"), QStringLiteral("A1-0.1+1E+20"));
    for (int row = 1; row <= 5; ++row)
        EXPECT_EQ(formula(QByteArray("C" + QByteArray::number(row)).constData()),
                  QStringLiteral("A%1*2").arg(row));
    EXPECT_EQ(s.cell(1, 2).number, 35); // the cached result stays what is compared
    EXPECT_EQ(s.formulas.value(Sheet::key(1, 1)), QString()); // a value has no formula
}

} // namespace
