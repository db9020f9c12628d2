// Every word-processor and workbook kind reaches its reader, whatever the case of its
// extension, and a legacy .doc gives one row per paragraph.
#include "app/BatchProgram.h"
#include "documents/DocumentFixtures.h"
#include "documents/WordBinaryFixtures.h"

namespace {

using OfficeKindsBatchTest = BatchProgramTest;

QStringList csvRows(const QByteArray &bytes) {
    QStringList rows = QString::fromUtf8(bytes).split(QStringLiteral("\r\n"));
    rows.removeLast(); // nothing after the last CR LF
    return rows;
}

} // namespace

TEST_F(OfficeKindsBatchTest, OpenDocumentTextIsComparedByParagraphs) {
    const QString a = dir.filePath("a.ODT"), b = dir.filePath("b.odt");
    DocumentFixtures::writeZip(a, DocumentFixtures::odtEntries(DocumentFixtures::odfContent(
                                      "<text:p>first</text:p><text:p>second</text:p>")));
    DocumentFixtures::writeZip(b, DocumentFixtures::odtEntries(DocumentFixtures::odfContent(
                                      "<text:p>first</text:p><text:p>changed</text:p>")));
    const QString out = dir.filePath("out.csv");
    const RunResult r = run({a, b, "/o", out});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, QString());
    EXPECT_EQ(r.out, QStringLiteral("完了     不一致行=1  左のみ存在=0  右のみ存在=0\n"));
    const QStringList rows = csvRows(read(out));
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[2], QStringLiteral("\"CHG\",\"2\",\"second\",\"CHG\",\"2\",\"changed\""));

    // The other Word package kinds are documents too.
    for (const char *ext : {"docm", "DOTX"}) {
        const QString c = dir.filePath(QStringLiteral("c.") + QLatin1String(ext));
        DocumentFixtures::writeZip(
            c,
            DocumentFixtures::docxEntries(DocumentFixtures::wordDocument(
                "<w:p><w:r><w:t>first</w:t></w:r></w:p><w:p><w:r><w:t>second</w:t></w:r></w:p>")));
        EXPECT_EQ(run({a, c, "/o", out}).status, 0) << ext;
    }
}

TEST_F(OfficeKindsBatchTest, LegacyDocumentGivesOneRowPerParagraph) {
    QString left, right;
    for (int i = 1; i <= 16; ++i) {
        left += QStringLiteral("第%1段落の文です\r").arg(i);
        right += i == 9 ? QStringLiteral("書き換えた段落\r")
                        : QStringLiteral("第%1段落の文です\r").arg(i);
    }
    const QString a = dir.filePath("a.doc"), b = dir.filePath("b.DOC");
    ASSERT_TRUE(WordBinaryFixtures::writeDoc(a, {{left, false, {}}}));
    ASSERT_TRUE(
        WordBinaryFixtures::writeDoc(b, {{right.left(40), false, {}}, {right.mid(40), false, {}}}));
    const QString out = dir.filePath("out.csv");
    const RunResult r = run({a, b, "/o", out});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, QString());
    EXPECT_EQ(r.out, QStringLiteral("完了     不一致行=1  左のみ存在=0  右のみ存在=0\n"));
    const QStringList rows = csvRows(read(out));
    ASSERT_EQ(rows.size(), 17); // the header and sixteen paragraphs
    EXPECT_EQ(rows[1],
              QStringLiteral("\"\",\"1\",\"第1段落の文です\",\"\",\"1\",\"第1段落の文です\""));

    // A damaged one names its file.
    const QString broken = write("broken.doc", "not a Word file");
    const RunResult bad = run({broken, b, "/o", out});
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.err,
              QStringLiteral("corvane: 文書を読めません: 壊れたファイルです: ") + broken + u'\n');
}

TEST_F(OfficeKindsBatchTest, EveryWorkbookKindIsAWorkbook) {
    const QString text = write("a.txt", "SOME TEXT\n");
    const QString out = dir.filePath("out.csv");
    for (const char *ext : {"xlsm", "xltx", "XLTM", "ods", "XLSX"}) {
        const QString book = write(QStringLiteral("b.") + QLatin1String(ext), "not read");
        const RunResult r = run({text, book, "/o", out});
        EXPECT_EQ(r.status, 2) << ext;
        EXPECT_EQ(r.err.toStdString(),
                  "corvane: この組み合わせは比較できません: テキスト と ブック\n")
            << ext;
    }
}
