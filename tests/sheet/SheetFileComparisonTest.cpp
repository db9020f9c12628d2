#include "sheet/SheetFileComparison.h"

#include "sheet/SheetFixtures.h"
#include "support/TempFiles.h"

#include <QFileInfo>

namespace {

const std::array<Color, 3> Legend = {1, 2, 3};

// A workbook with the sheets "Other" (empty) and "Data" holding A1 = value.
QString book(TempFiles &files, const QString &name, const QByteArray &value) {
    const QString path = files.filePath(name);
    const auto cell = "<row r=\"1\"><c r=\"A1\"><v>" + value + "</v></c></row>";
    EXPECT_TRUE(SheetFixtures::writeZip(
        path, SheetFixtures::workbookParts({{"Other", SheetFixtures::sheetXml("")},
                                            {"Data", SheetFixtures::sheetXml(cell)}})));
    return path;
}

SheetFileRequest request(const QString &left, const QString &right, const QString &folder) {
    SheetFileRequest r;
    r.paths = {left, right};
    r.sheetNames = {QStringLiteral("Data"), QStringLiteral("Data")};
    r.legend = Legend;
    r.zoomPercent = 85;
    r.outputFolder = [folder] { return folder; };
    return r;
}

} // namespace

TEST(SheetFileComparison, ComparesTheNamedSheetsAndWritesAColouredCopyOfEach) {
    TempFiles files;
    const QString left = book(files, "left.xlsx", "1"), right = book(files, "right.xlsx", "2");
    const SheetFileComparison result =
        compareSheetFiles(request(left, right, files.filePath("out/1")));
    EXPECT_TRUE(result.problems.isEmpty()) << result.problems.join('|').toStdString();
    ASSERT_TRUE(result.compared);
    EXPECT_EQ(result.sheets[1].name, QStringLiteral("Data"));
    EXPECT_EQ(result.comparison.changedCells, 1);
    EXPECT_EQ(result.comparison.leftColors.value(Sheet::key(1, 1)), Color(1));
    ASSERT_EQ(result.copies.size(), 2);
    EXPECT_EQ(QFileInfo(result.copies[0]).fileName(), QStringLiteral("1_left_Data.xlsx"));
    EXPECT_EQ(QFileInfo(result.copies[1]).fileName(), QStringLiteral("2_right_Data.xlsx"));
    for (const QString &copy : result.copies)
        EXPECT_TRUE(QFileInfo(copy).isFile());
}

TEST(SheetFileComparison, EachFailureIsNamedAndNoFolderIsAskedForWithoutBothSheets) {
    TempFiles files;
    const QString good = book(files, "good.xlsx", "1");
    SheetFileRequest r = request(files.write("broken.xlsx", "not a zip"), good, QString());
    r.sheetNames[1] = QStringLiteral("Gone");
    bool asked = false;
    r.outputFolder = [&] {
        asked = true;
        return QString();
    };
    const SheetFileComparison result = compareSheetFiles(r);
    EXPECT_FALSE(result.compared);
    EXPECT_FALSE(asked);
    ASSERT_EQ(result.problems.size(), 2);
    EXPECT_TRUE(
        result.problems[0].startsWith(QStringLiteral("broken.xlsx を読み込めませんでした")));
    EXPECT_EQ(result.problems[1], QStringLiteral("シート「Gone」が good.xlsx にありません"));

    // Both read but nowhere to write: the comparison stands, the missing folder is named.
    const SheetFileComparison unwritten = compareSheetFiles(request(good, good, QString()));
    EXPECT_TRUE(unwritten.compared);
    EXPECT_TRUE(unwritten.copies.isEmpty());
    EXPECT_EQ(unwritten.problems,
              QStringList{QStringLiteral("一時フォルダを作成できませんでした")});
}
