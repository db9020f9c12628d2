#include "encoding/OfficeDocument.h"
#include "platform/ZipPackage.h"

#include "documents/DocumentFixtures.h"
#include "documents/WordBinaryFixtures.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

using namespace WordBinaryFixtures;

namespace {

QString readText(const QString &path) {
    QString error;
    const std::optional<QString> text = readDocumentText(path, &error);
    return text ? *text : QStringLiteral("ERROR ") + error;
}

QString docxText(TempFiles &tmp, const QByteArray &body) {
    const QString path = tmp.filePath(QStringLiteral("same.docx"));
    DocumentFixtures::writeZip(path,
                               DocumentFixtures::docxEntries(DocumentFixtures::wordDocument(body)));
    return readText(path);
}

QByteArray p(const QByteArray &text) {
    return "<w:p><w:r><w:t xml:space=\"preserve\">" + text + "</w:t></w:r></w:p>";
}

QByteArray cell(const QByteArray &paragraphs) {
    return "<w:tc>" + paragraphs + "</w:tc>";
}

} // namespace

// A document with Japanese and 8-bit pieces stored out of order, a table with an empty cell
// and a two-paragraph cell, fields and breaks gives the lines of the same document saved as
// .docx: one per paragraph, one per cell paragraph, no blank lines between paragraphs.
TEST(WordBinary, GivesTheLinesOfTheSameDocumentSavedAsDocx) {
    TempFiles tmp;
    const QString doc = tmp.filePath(QStringLiteral("a.doc"));
    const QList<Piece> pieces{
        {QStringLiteral("第一段落です。\r二つ目の段落\r"), false, {}},
        {QStringLiteral("Caf\xe9 \x93quoted\x94\tafter tab\r"), true, {}},
        // Row 1: "A1" | "" | "B1 first" "B1 second"; row 2: "x" | "y".
        {QStringLiteral("A1\a\aB1 first\rB1 second\a\ax\ay\a\a"), false, {23, 28}},
        {QStringLiteral("see \x13 HYPERLINK \"http://x\" \x14the link\x15 and page "
                        "\x13 IF \x13 PAGE \x14 1\x15 = 1 \"one\" \x14one\x15\r"),
         false,
         {}},
        {QStringLiteral("line\vbreak\r\r最後"), false, {}},
    };
    ASSERT_TRUE(writeDoc(doc, pieces));
    const QString expected = QStringLiteral("第一段落です。\n二つ目の段落\nCafé “quoted”\tafter "
                                            "tab\nA1\n\nB1 first\nB1 second\nx\ny\nsee the link "
                                            "and page one\nline\nbreak\n\n最後");
    EXPECT_EQ(readText(doc), expected);

    const QByteArray table = "<w:tbl><w:tr>" + cell(p("A1")) + cell("<w:p/>") +
                             cell(p("B1 first") + p("B1 second")) + "</w:tr><w:tr>" + cell(p("x")) +
                             cell(p("y")) + "</w:tr></w:tbl>";
    const QByteArray body = p("第一段落です。") + p("二つ目の段落") +
                            p("Café “quoted”</w:t><w:tab/><w:t>after tab") + table +
                            p("see the link and page one") + p("line</w:t><w:br/><w:t>break") +
                            "<w:p/>" + p("最後");
    EXPECT_EQ(docxText(tmp, body), expected);

    // Sixteen paragraphs are sixteen lines, in whatever order the pieces are stored.
    QString sixteen;
    for (int i = 1; i <= 16; ++i)
        sixteen += QStringLiteral("段落 %1\r").arg(i);
    ASSERT_TRUE(writeDoc(doc, {{sixteen.left(30), false, {}}, {sixteen.mid(30), true, {}}},
                         {.storeBackwards = false}));
    EXPECT_EQ(readText(doc).split(u'\n').size(), 16) << readText(doc).toStdString();
}

TEST(WordBinary, UnreadableDocumentsSayWhy) {
    TempFiles tmp;
    const QString path = tmp.filePath(QStringLiteral("x.doc"));
    const auto cannotRead = [](const QString &reason) { return DocumentText::CannotRead + reason; };
    const QList<Piece> text{{QStringLiteral("text\r"), false, {}}};

    ASSERT_TRUE(writeDoc(path, text, {.flags = 0x1300}));
    EXPECT_EQ(readText(path), QStringLiteral("ERROR ") + cannotRead(ZipText::Encrypted));
    ASSERT_TRUE(writeDoc(path, text, {.nFib = 0x0068}));
    EXPECT_EQ(readText(path), QStringLiteral("ERROR ") + cannotRead(DocumentText::OldWordFormat));
    // Text beyond the end of its stream.
    ASSERT_TRUE(writeDoc(path, text, {.cutStreamAt = 1030}));
    EXPECT_EQ(readText(path), QStringLiteral("ERROR ") + cannotRead(ZipText::Damaged));
    // The table stream named by the flags is missing.
    ASSERT_TRUE(writeDoc(path, text, {.flags = 0x1000}));
    ASSERT_TRUE(writeOle(path, {{"WordDocument", QByteArray(2048, '\0')}}));
    EXPECT_EQ(readText(path), QStringLiteral("ERROR ") + cannotRead(DocumentText::NotDocument));
    // Not a compound file at all, an empty file, a compound file cut short.
    EXPECT_EQ(readText(tmp.write(QStringLiteral("plain.doc"), "plain text, not a Word file")),
              QStringLiteral("ERROR ") + cannotRead(ZipText::Damaged));
    EXPECT_EQ(readText(tmp.write(QStringLiteral("empty.doc"), QByteArray())),
              QStringLiteral("ERROR ") + cannotRead(ZipText::Damaged));
    ASSERT_TRUE(writeDoc(path, text));
    const QByteArray whole = TempFiles::read(path);
    EXPECT_TRUE(readText(tmp.write(QStringLiteral("cut.doc"), whole.left(whole.size() / 2)))
                    .startsWith(QStringLiteral("ERROR ") + DocumentText::CannotRead));
    // Without the paragraph property pages the text still reads; row marks become lines.
    ASSERT_TRUE(writeDoc(path, {{QStringLiteral("a\a\a"), false, {2}}}, {.withTable = false}));
    EXPECT_EQ(readText(path), QStringLiteral("a\n"));
}
