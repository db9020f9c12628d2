// Workbooks from outside the project that other readers open: each is read, and compared with
// a copy of itself finds nothing. Hand-made cases beside them hold the same faults where the
// corpus is absent.

#include "support/OfficeCorpus.h"
#include "platform/ZipPackage.h"
#include "sheet/CompareSheets.h"
#include "sheet/SheetFixtures.h"
#include "sheet/Workbook.h"
#include "sheet/WorkbookReaders.h"
#include "sheet/XlsxColouredCopy.h"
#include "support/TempFiles.h"
#include "support/XlsBuilder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using Kind = CellValue::Kind;

namespace {

std::optional<Workbook> readBook(const QString &path, QString *error = nullptr) {
    QString scratch;
    return readWorkbook(path, true, error ? error : &scratch);
}

// The number of cells that differ between a workbook and a second reading of it, sheet by
// sheet as the comparison finds them.
int differencesWithItself(const QString &path) {
    const auto left = readBook(path);
    const auto right = readBook(path);
    if (!left || !right)
        return -1;
    int differences = 0;
    for (qsizetype i = 0; i < left->sheets.size(); ++i)
        differences +=
            int(compareSheets(left->sheets[i], right->sheets[i], {65535, 16744448, 16776960})
                    .differences.size());
    return differences;
}

} // namespace

TEST(OfficeCorpus, WorkbooksOtherReadersOpenAreReadAndEqualThemselves) {
    const char *names[] = {"49761.xls",
                           "WrongFormulaRecordType.xls",
                           "64508.xlsx",
                           "64667.xlsx",
                           "MalformedSSTCount.xlsx",
                           "60289.xlsx",
                           "duplicate-filename.xlsx",
                           "61045_govdocs1_626534.xls"};
    for (const char *name : names) {
        const QString path = OfficeCorpus::file(QString::fromLatin1(name));
        if (path.isEmpty())
            GTEST_SKIP() << "office corpus not present";
        QString error;
        const auto book = readBook(path, &error);
        ASSERT_TRUE(book) << name << ": " << error.toStdString();
        EXPECT_FALSE(book->sheets.isEmpty()) << name;
        EXPECT_EQ(differencesWithItself(path), 0) << name;
    }
}

TEST(OfficeCorpus, WorkbookValuesOfTheFaultyFiles) {
    OFFICE_CORPUS_FILE(formulas, "WrongFormulaRecordType.xls");
    // Formula cells stored under the record id of the older format keep their results.
    const auto old = readBook(formulas);
    ASSERT_TRUE(old);
    // Row 4 holds the formulas: two sums and a date stored as 38353 in a book counting from
    // 1904, which is 39815 counted as usual.
    EXPECT_EQ(old->sheets[0].cell(4, 1).number, 3);
    EXPECT_EQ(old->sheets[0].cell(4, 2).number, 2);
    EXPECT_EQ(old->sheets[0].cell(4, 3).number, 39815);

    OFFICE_CORPUS_FILE(emptyValues, "64508.xlsx");
    const auto blanks = readBook(emptyValues);
    ASSERT_TRUE(blanks);
    EXPECT_EQ(blanks->sheets[0].cells.size(), 31); // the four empty <v/> hold nothing
    EXPECT_TRUE(blanks->sheets[0].cell(2, 5).isEmpty());

    OFFICE_CORPUS_FILE(escaped, "60289.xlsx");
    const auto rich = readBook(escaped);
    ASSERT_TRUE(rich);
    EXPECT_EQ(rich->sheets[0].cell(2, 2).text, QStringLiteral("Rich Text\r\nTest"));

    OFFICE_CORPUS_FILE(nan, "49761.xls");
    const auto notANumber = readBook(nan);
    ASSERT_TRUE(notANumber);
    bool sawNan = false;
    for (const CellValue &v : notANumber->sheets[0].cells)
        sawNan = sawNan || (v.kind == Kind::Number && std::isnan(v.number));
    EXPECT_TRUE(sawNan);
}

// Empty values, escaped characters and a shared-string table whose count is wrong, as a
// package written part by part.
TEST(OfficeCorpus, XlsxOddnessesMadeByHand) {
    TempFiles tmp;
    const QByteArray strings =
        "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
        "count=\"8876876876876\" uniqueCount=\"1\">"
        "<si><t>a_x000D_b_x005F_x000d_c_x41_</t></si></sst>";
    const QByteArray sheet = SheetFixtures::sheetXml(
        "<row r=\"1\"><c r=\"A1\" t=\"s\"><v/></c><c r=\"B1\" s=\"0\"><v></v></c>"
        "<c r=\"C1\" t=\"s\"><v>0</v></c>"
        "<c r=\"D1\" t=\"inlineStr\"><is><t>x_x000d_y</t></is></c>"
        "<c r=\"E1\" t=\"str\"><f>\"\"</f><v/></c>"
        "<c r=\"F1\" t=\"str\"><v>p_x0009_q</v></c></row>");
    const QString path = tmp.filePath(QStringLiteral("odd.xlsx"));
    ASSERT_TRUE(SheetFixtures::writeZip(
        path, SheetFixtures::workbookParts({{QStringLiteral("S"), sheet}}, strings)));
    QString error;
    const auto book = readBook(path, &error);
    ASSERT_TRUE(book) << error.toStdString();
    const Sheet &s = book->sheets[0];
    EXPECT_EQ(s.cell(1, 1).kind, Kind::Empty);
    EXPECT_EQ(s.cell(1, 2).kind, Kind::Empty);
    EXPECT_EQ(s.lastCol, 6); // the empty cells still count for the used range
    // An escaped underscore leaves the rest as written; a short escape is no escape.
    EXPECT_EQ(s.cell(1, 3).text, QStringLiteral("a\rb_x000d_c_x41_"));
    EXPECT_EQ(s.cell(1, 4).text, QStringLiteral("x\ry"));
    EXPECT_EQ(s.cell(1, 5).kind, Kind::Text); // a formula's empty text result
    EXPECT_EQ(s.cell(1, 6).text, QStringLiteral("p\tq"));
}

// Formula cells under the older record id, a NaN and a number format cut short, in a workbook
// built record by record.
TEST(OfficeCorpus, XlsOddnessesMadeByHand) {
    using namespace XlsBuilder;
    TempFiles tmp;
    // The record id 0x0406, low byte first.
    const auto older = [](QByteArray records) { return records.replace(0, 2, "\x06\x04"); };
    Book book;
    // A number format whose text claims more characters than its record holds.
    book.extraGlobals = record(0x041E, u16(170) + u16(10) + QByteArray(1, '\0') + "short");
    book.sheets = {{QStringLiteral("S"), number(0, 0, std::numeric_limits<double>::quiet_NaN()) +
                                             older(formulaNumber(0, 1, 38353)) +
                                             older(formulaText(0, 2, QStringLiteral("t")))}};
    const QString path = tmp.filePath(QStringLiteral("odd.xls"));
    ASSERT_TRUE(write(path, book));
    QString error;
    const auto read = readBook(path, &error);
    ASSERT_TRUE(read) << error.toStdString();
    const Sheet &s = read->sheets[0];
    EXPECT_TRUE(std::isnan(s.cell(1, 1).number));
    EXPECT_TRUE(cellValuesEqual(s.cell(1, 1), s.cell(1, 1)));
    EXPECT_EQ(s.cell(1, 2).number, 38353);
    EXPECT_EQ(s.cell(1, 3).text, QStringLiteral("t"));
    EXPECT_EQ(differencesWithItself(path), 0);
}

// A workbook saved under the other family's extension is read by what it holds; a password-
// protected package (a compound file) is still called encrypted under either name.
TEST(OfficeCorpus, WorkbookKindFromTheFirstBytes) {
    using namespace XlsBuilder;
    TempFiles tmp;
    Book book;
    book.sheets = {{QStringLiteral("S"), number(0, 0, 7)}};
    const QString binary = tmp.filePath(QStringLiteral("binary.xls"));
    ASSERT_TRUE(write(binary, book));
    const QString package = tmp.filePath(QStringLiteral("package.xlsx"));
    ASSERT_TRUE(SheetFixtures::writeZip(
        package, SheetFixtures::workbookParts(
                     {{QStringLiteral("S"),
                       SheetFixtures::sheetXml("<row r=\"1\"><c r=\"A1\"><v>7</v></c></row>")}})));
    for (const auto &[from, to] : {std::pair{binary, QStringLiteral("binary.xlsx")},
                                   std::pair{package, QStringLiteral("package.xls")}}) {
        const QString renamed = tmp.write(to, TempFiles::read(from));
        QString error;
        const auto read = readBook(renamed, &error);
        ASSERT_TRUE(read) << to.toStdString() << ": " << error.toStdString();
        EXPECT_EQ(read->sheets[0].cell(1, 1).number, 7) << to.toStdString();
    }
    // A workbook from before 1993 is a bare record stream: its format is named.
    for (const char *bof : {"\x09\x00", "\x09\x02", "\x09\x04"}) {
        QString error;
        EXPECT_FALSE(
            readBook(tmp.write(QStringLiteral("old.xls"),
                               QByteArray(bof, 2) + QByteArray("\x06\x00\x00\x00\x10\x00", 6) +
                                   QByteArray(100, '\0')),
                     &error));
        EXPECT_EQ(error, QStringLiteral("対応していない形式です"));
    }
    const QString locked = tmp.filePath(QStringLiteral("locked.xlsx"));
    ASSERT_TRUE(writeCompound(locked, QByteArray(5000, 'p'), "EncryptedPackage"));
    QString error;
    EXPECT_FALSE(readBook(locked, &error));
    EXPECT_EQ(error, QStringLiteral("暗号化されています"));
}

// A coloured copy of a package that stores its sheet twice edits the copy that is read.
TEST(OfficeCorpus, ColouredCopyOfAPackageWithARepeatedPart) {
    OFFICE_CORPUS_FILE(twice, "duplicate-filename.xlsx");
    TempFiles tmp;
    const auto book = readBook(twice);
    ASSERT_TRUE(book);
    const QString copy = tmp.filePath(QStringLiteral("copy.xlsx"));
    const QHash<quint64, Color> colors{{Sheet::key(1, 1), Color(255)}};
    ASSERT_TRUE(writeColouredPackage(twice, book->sheets[0].name, colors, 0, copy));
    const auto back = readBook(copy);
    ASSERT_TRUE(back);
    EXPECT_TRUE(cellValuesEqual(back->sheets[0].cell(1, 1), book->sheets[0].cell(1, 1)));
    // The part read is the one that gained the fill.
    const QString part = QStringLiteral("xl/worksheets/sheet1.xml");
    ZipPackage before, after;
    ASSERT_TRUE(before.open(twice) && after.open(copy));
    const auto original = before.read(part), coloured = after.read(part);
    ASSERT_TRUE(original && coloured);
    EXPECT_FALSE(original->contains(" s=\""));
    EXPECT_TRUE(coloured->contains(" s=\""));
}
