#include "encoding/OfficeDocument.h"
#include "platform/AtomicFile.h"
#include "platform/NativePath.h"
#include "platform/ZipPackage.h"

#include "documents/DocumentFixtures.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

using namespace DocumentFixtures;

namespace {

QString docx(TempFiles &tmp, const QString &name, const QByteArray &body) {
    const QString path = tmp.filePath(name);
    writeZip(path, docxEntries(wordDocument(body)));
    return path;
}

QString odt(TempFiles &tmp, const QString &name, const QByteArray &body) {
    const QString path = tmp.filePath(name);
    writeZip(path, odtEntries(odfContent(body)));
    return path;
}

// The text, or the error text prefixed with "ERROR " so a failure prints it.
QString readText(const QString &path) {
    QString error;
    const std::optional<QString> text = readDocumentText(path, &error);
    if (!text)
        return QStringLiteral("ERROR ") + error;
    EXPECT_TRUE(error.isEmpty());
    return *text;
}

QString readError(const QString &path) {
    QString error;
    EXPECT_FALSE(readDocumentText(path, &error)) << path.toStdString();
    return error;
}

QString cannotRead(const QString &reason) {
    return DocumentText::CannotRead + reason;
}

} // namespace

TEST(WordDocument, ParagraphsRunsTabsAndBreaksBecomeLines) {
    TempFiles tmp;
    const QByteArray body =
        "<w:p><w:pPr><w:tabs><w:tab w:val=\"left\" w:pos=\"720\"/></w:tabs></w:pPr>"
        "<w:r><w:t>Hello</w:t></w:r><w:r><w:t xml:space=\"preserve\"> world</w:t></w:r></w:p>"
        "<w:p><w:r><w:t>a</w:t><w:tab/><w:t>b</w:t><w:br/><w:t>c</w:t><w:cr/><w:t>d</w:t></w:r></"
        "w:p>"
        "<w:p/>"
        "<w:p><w:r><w:t>日本語の段落&amp;記号</w:t></w:r></w:p>"
        "<w:p><w:r><w:instrText> PAGE </w:instrText></w:r><w:r><w:t>1</w:t></w:r></w:p>";
    EXPECT_EQ(readText(docx(tmp, QStringLiteral("a.docx"), body)),
              QStringLiteral("Hello world\na\tb\nc\nd\n\n日本語の段落&記号\n1"));
    // The extension is matched without regard to case; an empty body is an empty text.
    EXPECT_EQ(readText(docx(tmp, QStringLiteral("B.DOCX"), "<w:p><w:r><w:t>x</w:t></w:r></w:p>")),
              QStringLiteral("x"));
    EXPECT_EQ(readText(docx(tmp, QStringLiteral("empty.docx"), "")), QString());
}

TEST(WordDocument, TablesGiveEachCellsParagraphsInOrder) {
    TempFiles tmp;
    const auto cell = [](const QByteArray &paragraphs) {
        return "<w:tc><w:tcPr/>" + paragraphs + "</w:tc>";
    };
    const auto p = [](const QByteArray &text) {
        return "<w:p><w:r><w:t>" + text + "</w:t></w:r></w:p>";
    };
    const QByteArray body = p("before") + "<w:tbl><w:tblPr/><w:tblGrid/>" + "<w:tr>" +
                            cell(p("A1")) + cell(p("B1 first") + p("B1 second")) + "</w:tr><w:tr>" +
                            cell("<w:p/>") + cell(p("B2")) + "</w:tr></w:tbl>" + p("after");
    EXPECT_EQ(readText(docx(tmp, QStringLiteral("t.docx"), body)),
              QStringLiteral("before\nA1\nB1 first\nB1 second\n\nB2\nafter"));
}

TEST(WordDocument, TrackedChangesShowTheTextAsItNowReads) {
    TempFiles tmp;
    const QByteArray body =
        "<w:p><w:r><w:t>keep </w:t></w:r>"
        "<w:del w:id=\"1\" w:author=\"x\"><w:r><w:delText>gone </w:delText></w:r></w:del>"
        "<w:ins w:id=\"2\" w:author=\"x\"><w:r><w:t>added</w:t></w:r></w:ins></w:p>"
        // The paragraph mark itself was deleted: the two paragraphs are one line now.
        "<w:p><w:pPr><w:rPr><w:del w:id=\"3\" w:author=\"x\"/></w:rPr></w:pPr><w:r><w:t>joined "
        "</w:t></w:r></w:p>"
        "<w:p><w:r><w:t>line</w:t></w:r></w:p>"
        "<w:p><w:moveFrom w:id=\"4\" w:author=\"x\"><w:r><w:t>moved away</w:t></w:r></w:moveFrom>"
        "<w:moveTo w:id=\"5\" w:author=\"x\"><w:r><w:t>moved here</w:t></w:r></w:moveTo></w:p>";
    EXPECT_EQ(readText(docx(tmp, QStringLiteral("c.docx"), body)),
              QStringLiteral("keep added\njoined line\nmoved here"));
}

TEST(WordDocument, RubyAndAlternateContentAreNotDoubled) {
    TempFiles tmp;
    const QByteArray body =
        "<w:p><w:r><w:ruby><w:rubyPr/><w:rt><w:r><w:t>かんじ</w:t></w:r></w:rt>"
        "<w:rubyBase><w:r><w:t>漢字</w:t></w:r></w:rubyBase></w:ruby></w:r></w:p>"
        "<w:p><w:r><mc:AlternateContent><mc:Choice Requires=\"wps\"><w:txbxContent>"
        "<w:p><w:r><w:t>box</w:t></w:r></w:p></w:txbxContent></mc:Choice>"
        "<mc:Fallback><w:txbxContent><w:p><w:r><w:t>box</w:t></w:r></w:p></w:txbxContent></"
        "mc:Fallback>"
        "</mc:AlternateContent></w:r><w:r><w:t>outer</w:t></w:r></w:p>";
    EXPECT_EQ(readText(docx(tmp, QStringLiteral("r.docx"), body)),
              QStringLiteral("漢字\nbox\nouter"));
}

TEST(WordDocument, MainPartIsFoundThroughThePackageRelationships) {
    TempFiles tmp;
    const QString path = tmp.filePath(QStringLiteral("rel.docx"));
    writeZip(
        path,
        {{QStringLiteral("_rels/.rels"),
          "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
          "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/"
          "2006/relationships/officeDocument\" Target=\"/word/main.xml\"/></Relationships>"},
         {QStringLiteral("word/main.xml"), wordDocument("<w:p><w:r><w:t>main</w:t></w:r></w:p>")},
         {QStringLiteral("word/document.xml"),
          wordDocument("<w:p><w:r><w:t>other</w:t></w:r></w:p>")}});
    EXPECT_EQ(readText(path), QStringLiteral("main"));
}

TEST(OpenDocument, ParagraphsHeadingsSpacesTablesAndLists) {
    TempFiles tmp;
    const QByteArray body =
        "<text:sequence-decls><text:sequence-decl text:display-outline-level=\"0\" "
        "text:name=\"x\"/></text:sequence-decls>"
        "<text:h text:outline-level=\"1\">見出し</text:h>"
        "<text:p>A<text:s text:c=\"3\"/>B<text:tab/>C<text:line-break/>D<text:s/>E</text:p>"
        "<text:p>\n   collapsed    white\n space </text:p>"
        "<text:p/>"
        "<table:table><table:table-column/><table:table-row>"
        "<table:table-cell><text:p>A1</text:p></table:table-cell>"
        "<table:table-cell><text:p>B1</text:p><text:p>B1b</text:p></table:table-cell>"
        "</table:table-row><table:table-row><table:table-cell/><table:table-cell><text:p>B2</"
        "text:p>"
        "</table:table-cell></table:table-row></table:table>"
        "<text:list><text:list-item><text:p>one</text:p></text:list-item>"
        "<text:list-item><text:p>two<text:span>-span</text:span></text:p>"
        "<text:list><text:list-item><text:p>nested</text:p></text:list-item></text:list>"
        "</text:list-item></text:list>";
    EXPECT_EQ(
        readText(odt(tmp, QStringLiteral("a.odt"), body)),
        QStringLiteral("見出し\nA   B\tC\nD E\ncollapsed white space \n\nA1\nB1\nB1b\nB2\none\n"
                       "two-span\nnested"));
}

TEST(OpenDocument, HiddenMaterialIsNotText) {
    TempFiles tmp;
    const QByteArray body =
        "<text:tracked-changes><text:changed-region text:id=\"c1\"><text:deletion>"
        "<text:p>deleted</text:p></text:deletion></text:changed-region></text:tracked-changes>"
        "<text:p>body<text:note "
        "text:note-class=\"footnote\"><text:note-citation>1</text:note-citation>"
        "<text:note-body><text:p>note</text:p></text:note-body></text:note> end</text:p>"
        "<text:p><draw:frame><svg:title>title</svg:title><svg:desc>desc</svg:desc></"
        "draw:frame>frame</text:p>"
        "<text:p><text:ruby><text:ruby-base>漢字</text:ruby-base><text:ruby-text>かんじ</"
        "text:ruby-text></text:ruby></text:p>"
        // A hostile space count is bounded, not obeyed.
        "<text:p>x<text:s text:c=\"2000000000\"/>y</text:p>";
    const QString text = readText(odt(tmp, QStringLiteral("h.odt"), body));
    EXPECT_TRUE(text.startsWith(QStringLiteral("body end\nframe\n漢字\nx ")))
        << text.left(80).toStdString();
    EXPECT_LT(text.size(), 2000);
    EXPECT_TRUE(text.endsWith(u'y'));
}

TEST(Documents, UnreadableDocumentsSayWhy) {
    TempFiles tmp;
    // Damaged: a truncated package, a part that is not well-formed, a part of another format.
    const QString good =
        docx(tmp, QStringLiteral("good.docx"), "<w:p><w:r><w:t>x</w:t></w:r></w:p>");
    const QByteArray bytes = TempFiles::read(good);
    EXPECT_EQ(readError(tmp.write(QStringLiteral("cut.docx"), bytes.left(bytes.size() - 30))),
              cannotRead(ZipText::Damaged));
    const QString broken = tmp.filePath(QStringLiteral("broken.docx"));
    writeZip(broken, docxEntries(wordDocument("<w:p><w:r><w:t>x</w:r></w:p>")));
    EXPECT_EQ(readError(broken), cannotRead(ZipText::Damaged));
    const QString truncatedXml = tmp.filePath(QStringLiteral("short.odt"));
    writeZip(truncatedXml, odtEntries(odfContent("<text:p>x</text:p>").left(200)));
    EXPECT_EQ(readError(truncatedXml), cannotRead(ZipText::Damaged));
    const QString wrongRoot = tmp.filePath(QStringLiteral("root.docx"));
    writeZip(wrongRoot, docxEntries("<html><p>x</p></html>"));
    EXPECT_EQ(readError(wrongRoot), cannotRead(DocumentText::NotDocument));
    EXPECT_EQ(readError(odt(tmp, QStringLiteral("fine.docx"), "<text:p>odt named docx</text:p>")),
              cannotRead(ZipText::MissingPart));

    // Missing parts and files.
    const QString noPart = tmp.filePath(QStringLiteral("nopart.docx"));
    writeZip(noPart, {{QStringLiteral("word/Document.xml"), wordDocument("")}});
    EXPECT_EQ(readError(noPart), cannotRead(ZipText::MissingPart));
    EXPECT_EQ(readError(tmp.filePath(QStringLiteral("missing.odt"))),
              cannotRead(ZipText::CannotOpen));
    EXPECT_EQ(readError(tmp.write(QStringLiteral("notes.txt"), "x")),
              cannotRead(DocumentText::UnknownKind));

    // A compound file's signature and nothing behind it is no document (a real password-
    // protected package is tested with the binary reader, which tells the two apart).
    QByteArray ole = QByteArray::fromHex("d0cf11e0a1b11ae1");
    ole.append(504, '\0');
    EXPECT_EQ(readError(tmp.write(QStringLiteral("locked.docx"), ole)),
              cannotRead(ZipText::Damaged));
    // Encrypted: an encrypted zip entry, an ODF manifest that lists encryption data.
    const QString zipCrypto = tmp.filePath(QStringLiteral("crypto.docx"));
    writeZip(zipCrypto, docxEntries(wordDocument("")), Method::Deflate, "pw");
    EXPECT_EQ(readError(zipCrypto), cannotRead(ZipText::Encrypted));
    const QString odfCrypto = tmp.filePath(QStringLiteral("crypto.odt"));
    Entries entries = odtEntries("\x13\x97garbage");
    entries << qMakePair(
        QStringLiteral("META-INF/manifest.xml"),
        QByteArray("<manifest:manifest><manifest:file-entry manifest:full-path=\"content.xml\">"
                   "<manifest:encryption-data/></manifest:file-entry></manifest:manifest>"));
    writeZip(odfCrypto, entries);
    EXPECT_EQ(readError(odfCrypto), cannotRead(ZipText::Encrypted));

    // No error text wanted: still nothing returned, no crash.
    EXPECT_FALSE(readDocumentText(broken, nullptr));
}

TEST(Documents, EntityBombsAreRefusedBeforeExpansion) {
    TempFiles tmp;
    const QString word = tmp.filePath(QStringLiteral("lol.docx"));
    writeZip(
        word,
        docxEntries(
            "<?xml version=\"1.0\"?>\n" + BillionLaughs +
            "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
            "<w:body><w:p><w:r><w:t>&lol9;</w:t></w:r></w:p></w:body></w:document>"));
    EXPECT_EQ(readError(word), cannotRead(ZipText::Doctype));
    const QString odf = tmp.filePath(QStringLiteral("lol.odt"));
    writeZip(odf, odtEntries(BillionLaughs + odfContent("<text:p>&lol9;</text:p>")));
    EXPECT_EQ(readError(odf), cannotRead(ZipText::Doctype));
}

TEST(Documents, ADocNamedPackageIsReadAsOne) {
    TempFiles tmp;
    const QString disguised = tmp.filePath(QStringLiteral("new.doc"));
    writeZip(disguised, docxEntries(wordDocument("<w:p><w:r><w:t>zip inside</w:t></w:r></w:p>")));
    EXPECT_EQ(readText(disguised), QStringLiteral("zip inside"));
}
