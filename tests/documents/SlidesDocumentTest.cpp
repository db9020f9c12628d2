#include "encoding/SlidesDocument.h"
#include "encoding/OfficeDocument.h"
#include "platform/ZipPackage.h"

#include "documents/DocumentFixtures.h"
#include "documents/WordBinaryFixtures.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

using namespace DocumentFixtures;

namespace {

const QByteArray SlideNamespaces =
    "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
    "xmlns:p=\"http://schemas.openxmlformats.org/presentationml/2006/main\"";
const QByteArray RelationsHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
    "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
const QByteArray RelType = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

QByteArray relation(const QByteArray &id, const QByteArray &type, const QByteArray &target) {
    return "<Relationship Id=\"" + id + "\" Type=\"" + RelType + type + "\" Target=\"" + target +
           "\"/>";
}

// A shape with a placeholder of the given type (none when empty) and paragraphs.
QByteArray shape(const QByteArray &placeholder, const QList<QByteArray> &paragraphs) {
    QByteArray out = "<p:sp><p:nvSpPr><p:cNvPr id=\"2\" name=\"s\"/><p:cNvSpPr/><p:nvPr>";
    if (!placeholder.isEmpty())
        out += "<p:ph type=\"" + placeholder + "\"/>";
    out += "</p:nvPr></p:nvSpPr><p:spPr/><p:txBody><a:bodyPr/>";
    for (const QByteArray &p : paragraphs)
        out += "<a:p>" + p + "</a:p>";
    return out + "</p:txBody></p:sp>";
}

QByteArray run(const QByteArray &text) {
    return "<a:r><a:rPr lang=\"ja-JP\"/><a:t>" + text + "</a:t></a:r>";
}

QByteArray slidePart(const QByteArray &root, const QByteArray &shapes) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><p:" + root + " " + SlideNamespaces +
           "><p:cSld><p:spTree>" + shapes + "</p:spTree></p:cSld></p:" + root + ">";
}

// Two slides stored in the reverse of their show order; the first shown has notes.
Entries presentationEntries() {
    const QByteArray table = "<p:graphicFrame><a:graphic><a:graphicData><a:tbl><a:tr>"
                             "<a:tc><a:txBody><a:p>" +
                             run("A1") +
                             "</a:p></a:txBody></a:tc>"
                             "<a:tc><a:txBody><a:p>" +
                             run("B1") +
                             "</a:p></a:txBody></a:tc>"
                             "</a:tr></a:tbl></a:graphicData></a:graphic></p:graphicFrame>";
    const QByteArray first =
        shape("title", {run("売上報告")}) +
        shape("body", {run("第一四半期") + run("は好調"), run("前行") + "<a:br/>" + run("次行")}) +
        table + shape("ftr", {run("社外秘")}) +
        shape("sldNum", {"<a:fld type=\"slidenum\"><a:t>1</a:t></a:fld>"});
    const QByteArray notes = shape("sldImg", {}) + shape("body", {run("話す順に")}) +
                             shape("sldNum", {"<a:fld type=\"slidenum\"><a:t>1</a:t></a:fld>"});
    return {
        {QStringLiteral("[Content_Types].xml"), ContentTypes},
        {QStringLiteral("_rels/.rels"),
         RelationsHead + relation("rId1", "officeDocument", "ppt/presentation.xml") +
             "</Relationships>"},
        {QStringLiteral("ppt/presentation.xml"),
         "<p:presentation " + SlideNamespaces +
             "><p:sldIdLst><p:sldId id=\"256\" r:id=\"rId7\"/><p:sldId id=\"257\" "
             "r:id=\"rId3\"/></p:sldIdLst></p:presentation>"},
        {QStringLiteral("ppt/_rels/presentation.xml.rels"),
         RelationsHead + relation("rId3", "slide", "slides/slide1.xml") +
             relation("rId7", "slide", "/ppt/slides/slide2.xml") + "</Relationships>"},
        {QStringLiteral("ppt/slides/slide1.xml"),
         slidePart("sld", shape("title", {run("まとめ")}))},
        {QStringLiteral("ppt/slides/slide2.xml"), slidePart("sld", first)},
        {QStringLiteral("ppt/slides/_rels/slide2.xml.rels"),
         RelationsHead + relation("rId1", "slideLayout", "../slideLayouts/slideLayout1.xml") +
             relation("rId2", "notesSlide", "../notesSlides/notesSlide1.xml") + "</Relationships>"},
        {QStringLiteral("ppt/notesSlides/notesSlide1.xml"), slidePart("notes", notes)},
    };
}

QString readText(const QString &path) {
    QString error;
    const std::optional<QString> text = readDocumentText(path, &error);
    return text ? *text : QStringLiteral("ERROR ") + error;
}

QString cannotRead(const QString &reason) {
    return QStringLiteral("ERROR ") + DocumentText::CannotRead + reason;
}

QByteArray odpContent(const QByteArray &pages) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-content "
           "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
           "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
           "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
           "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
           "xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\" "
           "xmlns:presentation=\"urn:oasis:names:tc:opendocument:xmlns:presentation:1.0\">"
           "<office:body><office:presentation>" +
           pages + "</office:presentation></office:body></office:document-content>";
}

} // namespace

TEST(Slides, EachSlideInShowOrderWithItsNotesAfterIt) {
    TempFiles tmp;
    const QString expected =
        QStringLiteral("--- スライド 1 ---\n売上報告\n第一四半期は好調\n前行\n次行\n"
                       "A1\nB1\n話す順に\n--- スライド 2 ---\nまとめ");
    // Every package name of a presentation, in any case, reads the same.
    for (const char *name : {"deck.pptx", "show.PPSX", "form.potx", "macro.pptm"}) {
        const QString path = tmp.filePath(QString::fromLatin1(name));
        writeZip(path, presentationEntries());
        EXPECT_EQ(readText(path), expected) << name;
    }
    EXPECT_EQ(slideHeading(12), QStringLiteral("--- スライド 12 ---"));
}

TEST(Slides, OpenDocumentPagesFramesTablesAndNotes) {
    TempFiles tmp;
    const QByteArray pages =
        "<draw:page draw:name=\"p1\"><draw:frame presentation:class=\"title\"><draw:text-box>"
        "<text:p>会議  <text:span> 資料</text:span></text:p></draw:text-box></draw:frame>"
        "<draw:frame><svg:title>図の説明</svg:title><draw:text-box><text:list><text:list-item>"
        "<text:p>項目<text:s text:c=\"3\"/>一<text:tab/>二<text:line-break/>三</text:p>"
        "</text:list-item></text:list></draw:text-box></draw:frame>"
        "<draw:frame><table:table><table:table-row><table:table-cell><text:p>セル</text:p>"
        "</table:table-cell><table:table-cell><text:p/></table:table-cell></table:table-row>"
        "</table:table></draw:frame>"
        "<office:annotation><text:p>コメント</text:p></office:annotation>"
        "<presentation:notes><draw:page-thumbnail/><draw:frame><draw:text-box>"
        "<text:p>ノート</text:p></draw:text-box></draw:frame></presentation:notes></draw:page>"
        "<draw:page draw:name=\"p2\"/>"
        "<draw:page draw:name=\"p3\"><draw:frame><draw:text-box><text:h>終</text:h>"
        "</draw:text-box></draw:frame></draw:page>";
    for (const char *name : {"talk.odp", "form.OTP"}) {
        const QString path = tmp.filePath(QString::fromLatin1(name));
        writeZip(path,
                 {{QStringLiteral("mimetype"), "application/vnd.oasis.opendocument.presentation"},
                  {QStringLiteral("content.xml"), odpContent(pages)}});
        EXPECT_EQ(readText(path),
                  QStringLiteral("--- スライド 1 ---\n会議 資料\n項目   一\t二\n三\n"
                                 "セル\n\nノート\n--- スライド 2 ---\n"
                                 "--- スライド 3 ---\n終"))
            << name;
    }
}

TEST(Slides, DamagedHostileAndLockedPresentationsAreRefused) {
    TempFiles tmp;
    const auto written = [&](const char *name, const Entries &entries) {
        const QString path = tmp.filePath(QString::fromLatin1(name));
        writeZip(path, entries);
        return path;
    };
    Entries entries = presentationEntries();
    const QByteArray good = TempFiles::read(written("good.pptx", entries));
    EXPECT_EQ(readText(tmp.write(QStringLiteral("cut.pptx"), good.left(good.size() - 30))),
              cannotRead(ZipText::Damaged));

    // A slide the list names but the package lacks; a slide that is not well-formed.
    Entries missing = entries;
    missing.removeAt(4);
    EXPECT_EQ(readText(written("missing.pptx", missing)), cannotRead(ZipText::MissingPart));
    Entries broken = entries;
    broken[4].second = slidePart("sld", "<p:sp>");
    EXPECT_EQ(readText(written("broken.pptx", broken)), cannotRead(ZipText::Damaged));
    // One slide listed more often than the package has parts.
    Entries repeated = entries;
    repeated[2].second = "<p:presentation " + SlideNamespaces + "><p:sldIdLst>" +
                         QByteArray("<p:sldId r:id=\"rId3\"/>").repeated(50) +
                         "</p:sldIdLst></p:presentation>";
    EXPECT_EQ(readText(written("repeated.pptx", repeated)), cannotRead(ZipText::Damaged));
    Entries bomb = entries;
    bomb[2].second = "<?xml version=\"1.0\"?>\n" + BillionLaughs + "<p:presentation " +
                     SlideNamespaces + "><p:x>&lol9;</p:x></p:presentation>";
    EXPECT_EQ(readText(written("lol.pptx", bomb)), cannotRead(ZipText::Doctype));

    // A word-processing package under a presentation name; an empty file.
    EXPECT_EQ(readText(written("word.pptx", docxEntries(wordDocument("")))),
              cannotRead(ZipText::MissingPart));
    EXPECT_EQ(readText(tmp.write(QStringLiteral("empty.odp"), "")), cannotRead(ZipText::Damaged));

    // A part that claims 600 MiB is refused from the directory, nothing inflated.
    EXPECT_EQ(readText(tmp.write(QStringLiteral("zip.pptx"),
                                 rawZip("ppt/presentation.xml", zeroBomb(100), 600u << 20))),
              cannotRead(ZipText::TooLarge));
    EXPECT_EQ(readText(tmp.write(QStringLiteral("zip.odp"),
                                 rawZip("content.xml", zeroBomb(100), 600u << 20))),
              cannotRead(ZipText::TooLarge));

    // Password protection: a compound file holding the encrypted package, an encrypted ODF
    // part, encrypted zip entries. An older binary presentation renamed is not read.
    const QString locked = tmp.filePath(QStringLiteral("locked.pptx"));
    ASSERT_TRUE(
        WordBinaryFixtures::writeOle(locked, {{"EncryptionInfo", QByteArray(200, 'i')},
                                              {"EncryptedPackage", QByteArray(5000, 'p')}}));
    EXPECT_EQ(readText(locked), cannotRead(ZipText::Encrypted));
    const QString binary = tmp.filePath(QStringLiteral("binary.pptx"));
    ASSERT_TRUE(
        WordBinaryFixtures::writeOle(binary, {{"PowerPoint Document", QByteArray(5000, 'p')}}));
    EXPECT_EQ(readText(binary), cannotRead(DocumentText::UnknownKind));
    Entries odf = {{QStringLiteral("content.xml"), "\x13\x97garbage"},
                   {QStringLiteral("META-INF/manifest.xml"),
                    "<manifest:manifest><manifest:encryption-data/></manifest:manifest>"}};
    EXPECT_EQ(readText(written("crypto.odp", odf)), cannotRead(ZipText::Encrypted));
    const QString zipCrypto = tmp.filePath(QStringLiteral("crypto.pptx"));
    writeZip(zipCrypto, entries, Method::Deflate, "pw");
    EXPECT_EQ(readText(zipCrypto), cannotRead(ZipText::Encrypted));
}
