// Documents and workbooks as sources of a comparison run.
#include "documents/DocumentFixtures.h"
#include "run/TextDiff.h"
#include "support/TempFiles.h"

#include <xlsxwriter.h>

#include <gtest/gtest.h>

namespace {

// A workbook with empty sheets of these names, written by the workbook library.
void writeWorkbook(const QString &path, const QStringList &sheets) {
    lxw_workbook *book = workbook_new(QFile::encodeName(path).constData());
    for (const QString &name : sheets) {
        lxw_worksheet *sheet = workbook_add_worksheet(book, name.toUtf8().constData());
        worksheet_write_string(sheet, 0, 0, "x", nullptr);
        worksheet_write_number(sheet, 4, 2, 1.0, nullptr);
    }
    ASSERT_EQ(workbook_close(book), LXW_NO_ERROR);
}

QStringList listRows(const QList<SheetListItem> &list) {
    QStringList out;
    for (const SheetListItem &item : list)
        out << item.number + '|' + item.name + '|' + item.address;
    return out;
}

QByteArray paragraphs(std::initializer_list<const char *> texts) {
    QByteArray body;
    for (const char *t : texts)
        body += QByteArray("<w:p><w:r><w:t>") + t + "</w:t></w:r></w:p>";
    return DocumentFixtures::wordDocument(body);
}

class SourcesTest : public ::testing::Test {
protected:
    TempFiles dir;
    Workspace ws;
};

} // namespace

TEST_F(SourcesTest, TwoWorkbooksShowTheirSheetsAlignedByName) {
    const QString a = dir.filePath("a.xlsx"), b = dir.filePath("b.xlsx");
    writeWorkbook(a, {"Sheet1", "Data", "Sheet2"});
    writeWorkbook(b, {"Sheet1", "Sheet2"});
    int announced = 0;
    QObject::connect(&ws, &Workspace::sheetListsChanged, [&] { ++announced; });
    fTextDiff(ws, a, b);
    EXPECT_EQ(ws.shownView(), ResultView::Sheets);
    EXPECT_EQ(listRows(ws.lv[0]),
              QStringList({"1|Sheet1|A1:C5", "2|Data|A1:C5", "3|Sheet2|A1:C5"}));
    EXPECT_EQ(listRows(ws.lv[1]), QStringList({"1|Sheet1|A1:C5", "||", "2|Sheet2|A1:C5"}));
    EXPECT_TRUE(ws.workbookInfo[0].startsWith(QStringLiteral("ファイル名：a.xlsx\r\n更新日時：")));
    EXPECT_TRUE(ws.workbookInfo[1].endsWith(QStringLiteral("\r\nシート数：2")));
    EXPECT_EQ(ws.statusText(), QStringLiteral("完了"));
    EXPECT_GE(announced, 1);
}

TEST_F(SourcesTest, WorkbookBesideATextFileIsListedAloneAndCsvFollowsTheToggle) {
    const QString a = dir.filePath("a.xlsx");
    writeWorkbook(a, {"Only"});
    fTextDiff(ws, a, dir.write("t.txt", "TEXT\n"));
    EXPECT_EQ(listRows(ws.lv[0]), QStringList({"1|Only|A1:C5"}));
    EXPECT_TRUE(ws.lv[1].isEmpty());

    const QString c1 = dir.write("one.csv", "A,B\n1,2\n"), c2 = dir.write("two.csv", "A,B\n");
    fTextDiff(ws, c1, c2);
    EXPECT_EQ(ws.shownView(), ResultView::Text); // toggle up: CSV files are text
    ws.Csv = true;
    fTextDiff(ws, c1, c2);
    EXPECT_EQ(ws.shownView(), ResultView::Sheets);
    EXPECT_EQ(listRows(ws.lv[0]), QStringList({"1|one|A1:B2"}));
    EXPECT_EQ(listRows(ws.lv[1]), QStringList({"1|two|A1:B1"}));
}

TEST_F(SourcesTest, DocumentsCompareAsTextAndAnUnreadableOneSaysWhy) {
    const QString a = dir.filePath("a.docx"), b = dir.filePath("b.docx");
    DocumentFixtures::writeZip(
        a, DocumentFixtures::docxEntries(paragraphs({"第一段落です", "SECOND PARAGRAPH"})));
    DocumentFixtures::writeZip(
        b, DocumentFixtures::docxEntries(paragraphs({"第一段落です", "CHANGED PARAGRAPH"})));
    fTextDiff(ws, a, b);
    EXPECT_EQ(ws.fg.text(1, 1), QStringLiteral("第一段落です"));
    EXPECT_EQ(ws.DiffCount, 1);
    EXPECT_TRUE(ws.runProblems.isEmpty());

    const QString broken = dir.write("broken.docx", "PK\x03\x04 not really a package");
    fTextDiff(ws, broken, b);
    ASSERT_EQ(ws.runProblems.size(), 1);
    EXPECT_TRUE(ws.runProblems[0].startsWith(QStringLiteral("文書を読めません")));
    EXPECT_TRUE(ws.statusText().contains(ws.runProblems[0]));
}
