#include "encoding/RichTextDocument.h"
#include "encoding/OfficeDocument.h"
#include "platform/ZipPackage.h"

#include "documents/DocumentFixtures.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

using namespace DocumentFixtures;

namespace {

QString richText(const QByteArray &rtf) {
    QString text, reason;
    return readRichText(rtf, &text, &reason) ? text : QStringLiteral("ERROR ") + reason;
}

QString readText(const QString &path) {
    QString error;
    const std::optional<QString> text = readDocumentText(path, &error);
    return text ? *text : QStringLiteral("ERROR ") + error;
}

// The head a word processor writes: tables, information and a generator are no text.
const QByteArray Head = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\froman Times;}}"
                        "{\\colortbl;\\red255\\green0\\blue0;}{\\stylesheet{\\s0 Normal;}}"
                        "{\\info{\\title Secret title}{\\author Someone}}"
                        "{\\*\\generator Writer 1.0;}\n";

} // namespace

TEST(RichText, ParagraphsSymbolsAndSkippedGroups) {
    EXPECT_EQ(richText(Head + "\\pard Hello {\\b bold} world\\par\r\n"
                              "a\\tab b\\line c\\par\n"
                              "\\'e9t\\'e9 \\emdash  \\{x\\} \\\\ 50\\~%\\-\\par\n"
                              "\\par\n"
                              "{\\header page head\\par}{\\*\\unknown hidden}"
                              "{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt link}}\\par\n"
                              "{\\pict\\pngblip 89504e47}{\\footnote note\\par}last}"),
              QStringLiteral("Hello bold world\na\tb\nc\nété — {x} \\ 50\u00A0%\n\nlink\nlast"));
    // Raw binary data is skipped by its count, braces and all.
    EXPECT_EQ(richText("{\\rtf1 a{\\*\\blip\\bin4 }{\\}b}c\\par}"), QStringLiteral("ac"));
}

TEST(RichText, UnicodeEscapesSkipTheirReplacements) {
    // \ucN counts bytes, control words and escapes alike, and holds for its group only.
    EXPECT_EQ(richText("{\\rtf1\\ansi \\u26085?\\u26412?{\\uc2\\u35486\\'8c\\'ea}"
                       "\\u-10179?\\u-8704?\\uc0\\u12354 x}"),
              QStringLiteral("日本語😀あx"));
    EXPECT_EQ(richText("{\\rtf1 \\uc1\\u8364\\'80 \\u8364\\emdash end}"), QStringLiteral("€ €end"));
}

TEST(RichText, JapaneseBytesInTheDocumentsCodePage) {
    // 「日本語のテキスト」 in CP932 under \ansicpg932, as Japanese Word writes it.
    EXPECT_EQ(richText("{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fnil\\fcharset128 MS "
                       "Mincho;}}\\f0 \\'93\\'fa\\'96\\'7b\\'8c\\'ea\\'82\\'cc\\'83\\'65\\'83\\'4c"
                       "\\'83\\'58\\'83\\'67\\par}"),
              QStringLiteral("日本語のテキスト"));
    // A Japanese font in a Western document decodes its own bytes; the others stay Western.
    EXPECT_EQ(richText("{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset128 "
                       "Gothic;}}\\f0 caf\\'e9 {\\f1 \\'82\\'a0}\\'e9}"),
              QStringLiteral("café あé"));
    // A Western font in a Japanese document keeps its accented letters.
    EXPECT_EQ(
        richText("{\\rtf1\\ansi\\ansicpg932{\\fonttbl{\\f0\\fcharset128 Mincho;}{\\f1\\fcharset0 "
                 "Arial;}}\\f0 \\'93\\'fa{\\f1 caf\\'e9}}"),
        QStringLiteral("日café"));
}

TEST(RichText, TablesGiveOneCellPerLineAndDeletionsAreLeftOut) {
    EXPECT_EQ(
        richText("{\\rtf1 before\\par\\trowd\\cellx1000\\cellx2000"
                 "\\pard\\intbl \\u21517?\\u21069?\\cell \\u20516? first\\par second\\cell\\row"
                 "\\trowd\\cellx1000\\cellx2000\\pard\\intbl \\cell B2\\cell\\row"
                 "\\pard after {\\deleted gone}kept{\\deleted1 gone\\deleted0 back}\\par}"),
        QStringLiteral("before\n名前\n値 first\nsecond\n\nB2\nafter keptback"));
    // Nested tables: the nested cells are read, the plain-text fallback is not.
    EXPECT_EQ(richText("{\\rtf1\\pard\\intbl\\itap2 in\\nestcell{\\*\\nesttableprops\\nestrow}"
                       "{\\nonesttables in\\tab}\\itap1\\cell\\row}"),
              QStringLiteral("in\n"));
}

TEST(RichText, RoutedByNameAndByContent) {
    TempFiles tmp;
    const QByteArray rtf = "{\\rtf1\\ansi\\ansicpg932 \\'93\\'fa\\'96\\'7b\\par}";
    // An .rtf file; RTF that Word saved under .doc or .docx names.
    for (const char *name : {"memo.rtf", "MEMO.RTF", "saved.doc", "saved.docx"})
        EXPECT_EQ(readText(tmp.write(QString::fromLatin1(name), rtf)), QStringLiteral("日本"))
            << name;
    // A Word package under an .rtf name is read as what it is.
    const QString package = tmp.filePath(QStringLiteral("package.rtf"));
    writeZip(package, docxEntries(wordDocument("<w:p><w:r><w:t>中身</w:t></w:r></w:p>")));
    EXPECT_EQ(readText(package), QStringLiteral("中身"));
    // Not RTF at all; nesting no application writes; braces left open at the end are closed.
    EXPECT_EQ(readText(tmp.write(QStringLiteral("plain.rtf"), "just text")),
              QStringLiteral("ERROR ") + DocumentText::CannotRead + DocumentText::NotDocument);
    EXPECT_EQ(richText("{\\rtf1 " + QByteArray(100000, '{') + "x"),
              QStringLiteral("ERROR ") + ZipText::Damaged);
    EXPECT_EQ(richText("{\\rtf1 open {{\\b x"), QStringLiteral("open x"));
    EXPECT_EQ(richText("{\\rtf1 a}}} trailing"), QStringLiteral("a"));
}
