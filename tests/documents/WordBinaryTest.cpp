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

// Tracked changes read as the document shows them with every change accepted, and symbol-font
// characters as their Unicode characters, in a .doc as in the same .docx.
TEST(WordBinary, TrackedChangesAcceptedAndSymbolsAsTheirCharacters) {
    TempFiles tmp;
    const QString doc = tmp.filePath(QStringLiteral("changes.doc"));
    const QList<Piece> pieces{
        {QStringLiteral("September "), false, {}},
        {QStringLiteral("17"), false, {}, true},
        {QStringLiteral("28, 1999\r"), true, {}},
        {QStringLiteral("joined "), false, {}},
        {QStringLiteral("gone\r"), false, {}, true}, // its paragraph mark too
        {QStringLiteral("on\r160"), false, {}},
        {QStringLiteral("("), false, {}, false, 0xF0B0},
        {QStringLiteral("C and 15 "), false, {}},
        {QStringLiteral("("), true, {}, false, 0x006D},
        {QStringLiteral("g/mL, "), false, {}},
        {QStringLiteral("("), false, {}, false, 0xF094}, // nothing in the font: kept as stored
        {QStringLiteral("\r"), false, {}},
    };
    ASSERT_TRUE(writeDoc(doc, pieces));
    const QString expected =
        QStringLiteral("September 28, 1999\njoined on\n160°C and 15 μg/mL, ") + QChar(0xF094);
    EXPECT_EQ(readText(doc), expected);

    const auto sym = [](const QByteArray &font, const QByteArray &code) -> QByteArray {
        return "</w:t></w:r><w:r><w:sym w:font=\"" + font + "\" w:char=\"" + code +
               "\"/></w:r><w:r><w:t xml:space=\"preserve\">";
    };
    const QByteArray body =
        "<w:p><w:r><w:t xml:space=\"preserve\">September </w:t></w:r><w:del><w:r><w:delText>17"
        "</w:delText></w:r></w:del><w:ins><w:r><w:t>28, 1999</w:t></w:r></w:ins></w:p>"
        "<w:p><w:pPr><w:rPr><w:del/></w:rPr></w:pPr><w:r><w:t xml:space=\"preserve\">joined "
        "</w:t></w:r></w:p>" +
        p("on") +
        p("160" + sym("Symbol", "F0B0") + "C and 15 " + sym("symbol", "6D") + "g/mL, " +
          sym("Symbol", "F094"));
    EXPECT_EQ(docxText(tmp, body), expected);
    // Wingdings, and a character in a font that is no symbol font.
    EXPECT_EQ(docxText(tmp, p(sym("Wingdings", "F028") + sym("Wingdings", "F0FC") +
                              sym("Arial", "263A"))),
              QStringLiteral("\U0001F57F\U0001F5F8☺"));
}

// A file's kind is taken from its first bytes when its name says otherwise, and the streams of
// a compound file are found whatever the case of their names.
TEST(WordBinary, KindFromTheFirstBytesAndNamesInAnyCase) {
    TempFiles tmp;
    const QList<Piece> text{{QStringLiteral("本文\r"), false, {}}};
    for (const char *name : {"renamed.docm", "renamed.docx", "renamed.doc"}) {
        const QString path = tmp.filePath(QString::fromLatin1(name));
        ASSERT_TRUE(writeDoc(path, text, {.lowerCaseNames = true}));
        EXPECT_EQ(readText(path), QStringLiteral("本文")) << name;
    }
    // Word for Windows 2.0 under either name: its format is named.
    const QByteArray word2 = QByteArray("\xDB\xA5\x2D\x00", 4) + QByteArray(600, '\0');
    for (const char *name : {"old.doc", "old.docx"})
        EXPECT_EQ(readText(tmp.write(QString::fromLatin1(name), word2)),
                  QStringLiteral("ERROR ") + DocumentText::CannotRead + DocumentText::OldWordFormat)
            << name;
    // A password-protected package is a compound file without a Word stream.
    const QString locked = tmp.filePath(QStringLiteral("locked.docx"));
    ASSERT_TRUE(writeOle(locked, {{"EncryptionInfo", QByteArray(200, 'i')},
                                  {"EncryptedPackage", QByteArray(5000, 'p')}}));
    EXPECT_EQ(readText(locked),
              QStringLiteral("ERROR ") + DocumentText::CannotRead + ZipText::Encrypted);
}
