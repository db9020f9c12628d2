#include "encoding/OfficeDocument.h"

#include "encoding/Charset.h"
#include "encoding/RichTextDocument.h"
#include "encoding/SlidesDocument.h"
#include "encoding/SymbolFonts.h"
#include "encoding/WordBinary.h"
#include "platform/FileReader.h"
#include "platform/NativePath.h"
#include "platform/Paths.h"
#include "platform/ZipPackage.h"

#include <QList>
#include <QXmlStreamReader>

#include <algorithm>

namespace {

// The text we hand on is held whole in memory; a document that expands beyond this many
// characters (a few thousand novels) is refused rather than read.
constexpr qsizetype MaxTextChars = qsizetype(256) * 1024 * 1024;
// Largest .doc file read; its streams are held in memory while it is read.
constexpr qint64 MaxDocFileBytes = qint64(1024) * 1024 * 1024;
// Longest run of spaces one ODF <text:s> may stand for; larger counts are hostile.
constexpr int MaxSpaceRun = 1000;

const QString WordMain =
    QStringLiteral("http://schemas.openxmlformats.org/wordprocessingml/2006/main");
const QString WordStrict = QStringLiteral("http://purl.oclc.org/ooxml/wordprocessingml/main");
const QString MarkupCompat =
    QStringLiteral("http://schemas.openxmlformats.org/markup-compatibility/2006");
const QString OdfOffice = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
const QString OdfText = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");

const QByteArray OleMagic = QByteArray::fromHex("d0cf11e0a1b11ae1");
const QByteArray ZipMagic = QByteArrayLiteral("PK\x03\x04");

// Paragraph texts in document order. Paragraphs may nest (a text box inside a paragraph):
// the inner one is finished, and so listed, before the outer one.
class LineCollector {
public:
    void begin() {
        m_open << Paragraph{m_carry, false, true};
        m_carry.clear();
    }
    // A paragraph whose mark was deleted runs on into the next one.
    void end() {
        if (m_open.isEmpty())
            return;
        Paragraph p = m_open.takeLast();
        if (p.markDeleted)
            m_carry += p.text;
        else
            m_lines << p.text;
    }
    bool inParagraph() const { return !m_open.isEmpty(); }
    void markDeleted() {
        if (!m_open.isEmpty())
            m_open.last().markDeleted = true;
    }
    void append(QStringView text) {
        if (m_open.isEmpty())
            return;
        m_open.last().text += text;
        m_open.last().lastWasSpace = false;
        m_size += text.size();
    }
    void appendChar(QChar c, int count = 1) {
        if (m_open.isEmpty())
            return;
        m_open.last().text += QString(count, c);
        m_open.last().lastWasSpace = false;
        m_size += count;
    }
    // ODF character data: each run of white space is one space, none at a paragraph's start.
    void appendCollapsed(QStringView text) {
        if (m_open.isEmpty())
            return;
        Paragraph &p = m_open.last();
        for (const QChar c : text) {
            if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r') {
                if (!p.lastWasSpace)
                    p.text += u' ';
                p.lastWasSpace = true;
            } else {
                p.text += c;
                p.lastWasSpace = false;
            }
        }
        m_size += text.size();
    }
    bool tooLarge() const { return m_size > MaxTextChars; }
    QString text() {
        if (!m_carry.isEmpty())
            m_lines << m_carry;
        m_carry.clear();
        return normalizeLineEnds(m_lines.join(u'\n'));
    }

private:
    struct Paragraph {
        QString text;
        bool markDeleted = false;
        bool lastWasSpace = true;
    };
    QList<Paragraph> m_open;
    QStringList m_lines;
    QString m_carry;
    qsizetype m_size = 0;
};

bool fail(QString *reason, const QString &text) {
    if (reason)
        *reason = text;
    return false;
}

// The reason for a reader that stopped with an error.
QString xmlReason(const QXmlStreamReader &r) {
    return r.error() == QXmlStreamReader::CustomError ? r.errorString() : ZipText::Damaged;
}

// The end of a part's reading: its text, or why there is none.
bool finishReading(const QXmlStreamReader &r, bool sawRoot, LineCollector &lines, QString *text,
                   QString *reason) {
    if (r.hasError())
        return fail(reason, xmlReason(r));
    if (!sawRoot)
        return fail(reason, DocumentText::NotDocument);
    *text = lines.text();
    return true;
}

bool isWord(const QXmlStreamReader &r) {
    const auto ns = r.namespaceUri();
    return ns == WordMain || ns == WordStrict;
}

// A w:sym: a character of a symbol font given by its code in that font.
QString symbolText(const QXmlStreamReader &r) {
    QString font, code;
    for (const QXmlStreamAttribute &a : r.attributes()) {
        if (a.name() == u"font")
            font = a.value().toString();
        else if (a.name() == u"char")
            code = a.value().toString();
    }
    bool ok = false;
    const uint c = code.toUInt(&ok, 16);
    if (!ok || c < 0x20 || c > 0xFFFF)
        return QString();
    const QString text = symbolFontText(font, char16_t(c));
    return text.isEmpty() ? QString(QChar(char16_t(c))) : text;
}

// The main document part of a .docx: paragraphs (w:p) as lines, text of w:t, w:tab as a tab,
// w:br and w:cr as line breaks, w:sym as its character. Deleted and moved-away runs, ruby text and
// the fallback copy of alternate content are left out.
bool readWordXml(const QByteArray &xml, QString *text, QString *reason) {
    QXmlStreamReader r(xml);
    LineCollector lines;
    QStringList stack; // local names of the open elements; "" for foreign ones
    bool sawRoot = false;
    while (!r.atEnd()) {
        const auto token = readNextSafe(r);
        if (token == QXmlStreamReader::StartElement) {
            const QString name = isWord(r) ? r.name().toString() : QString();
            if (!sawRoot) {
                if (name != u"document")
                    return fail(reason, DocumentText::NotDocument);
                sawRoot = true;
            }
            const QString parent = stack.value(stack.size() - 1);
            if (name == u"del" && parent == u"rPr" && stack.value(stack.size() - 2) == u"pPr") {
                lines.markDeleted();
            } else if (name == u"del" || name == u"moveFrom" || name == u"rt" ||
                       (r.namespaceUri() == MarkupCompat && r.name() == u"Fallback")) {
                r.skipCurrentElement();
                continue;
            } else if (name == u"p") {
                lines.begin();
            } else if (parent == u"r" && name == u"tab") {
                lines.appendChar(u'\t');
            } else if (parent == u"r" && (name == u"br" || name == u"cr")) {
                lines.appendChar(u'\n');
            } else if (parent == u"r" && name == u"sym") {
                lines.append(symbolText(r));
            }
            stack << name;
        } else if (token == QXmlStreamReader::EndElement) {
            if (stack.isEmpty())
                break;
            if (stack.takeLast() == u"p")
                lines.end();
        } else if (token == QXmlStreamReader::Characters) {
            if (!stack.isEmpty() && stack.last() == u"t")
                lines.append(r.text());
        }
        if (lines.tooLarge())
            return fail(reason, ZipText::TooLarge);
    }
    return finishReading(r, sawRoot, lines, text, reason);
}

// content.xml of an .odt: text:p and text:h as lines (tables and lists hold them too),
// text:tab, text:line-break and text:s as written. Tracked deletions, notes, annotations and
// ruby text are left out; character data outside the text namespace (frame titles,
// descriptions) is not document text.
bool readOdfXml(const QByteArray &xml, QString *text, QString *reason) {
    QXmlStreamReader r(xml);
    LineCollector lines;
    QList<bool> inText; // per open element: is it in the text namespace
    bool sawRoot = false;
    while (!r.atEnd()) {
        const auto token = readNextSafe(r);
        if (token == QXmlStreamReader::StartElement) {
            const bool textNs = r.namespaceUri() == OdfText;
            const auto name = r.name();
            if (!sawRoot) {
                if (r.namespaceUri() != OdfOffice || name != u"document-content")
                    return fail(reason, DocumentText::NotDocument);
                sawRoot = true;
            }
            if ((textNs &&
                 (name == u"tracked-changes" || name == u"note" || name == u"ruby-text")) ||
                (r.namespaceUri() == OdfOffice && name == u"annotation")) {
                r.skipCurrentElement();
                continue;
            }
            if (textNs) {
                if (name == u"p" || name == u"h") {
                    lines.begin();
                } else if (name == u"tab") {
                    lines.appendChar(u'\t');
                } else if (name == u"line-break") {
                    lines.appendChar(u'\n');
                } else if (name == u"s") {
                    const auto c = r.attributes().value(OdfText, QLatin1String("c"));
                    bool ok = false;
                    const int count = c.toInt(&ok);
                    lines.appendChar(u' ', ok ? std::clamp(count, 0, MaxSpaceRun) : 1);
                }
            }
            inText << textNs;
        } else if (token == QXmlStreamReader::EndElement) {
            if (inText.isEmpty())
                break;
            inText.removeLast();
            if (r.namespaceUri() == OdfText && (r.name() == u"p" || r.name() == u"h"))
                lines.end();
        } else if (token == QXmlStreamReader::Characters) {
            if (!inText.isEmpty() && inText.last())
                lines.appendCollapsed(r.text());
        }
        if (lines.tooLarge())
            return fail(reason, ZipText::TooLarge);
    }
    return finishReading(r, sawRoot, lines, text, reason);
}

// The target of the package's officeDocument relationship, or the usual part name.
QString wordMainPart(ZipPackage &zip) {
    const QString fallback = QStringLiteral("word/document.xml");
    const std::optional<QByteArray> rels = zip.read(QStringLiteral("_rels/.rels"));
    if (!rels)
        return fallback;
    QXmlStreamReader r(*rels);
    while (!r.atEnd()) {
        if (readNextSafe(r) != QXmlStreamReader::StartElement || r.name() != u"Relationship")
            continue;
        const auto attrs = r.attributes();
        if (attrs.value(QLatin1String("Type")).endsWith(u"/officeDocument")) {
            QString target = attrs.value(QLatin1String("Target")).toString();
            while (target.startsWith(u'/'))
                target.remove(0, 1);
            return zip.contains(target) ? target : fallback;
        }
    }
    return fallback;
}

bool readDoc(const QString &path, QString *text, QString *reason,
             const std::function<bool()> &stop);
bool readRtf(const QString &path, QString *text, QString *reason,
             const std::function<bool()> &stop);

bool readDocx(const QString &path, QString *text, QString *reason,
              const std::function<bool()> &stop) {
    // A compound file under this name is either an older document renamed (it has the main
    // stream of one) or a password-protected package, which Office stores that way too: the
    // binary reader tells the two apart.
    // Word for Windows 2.0 files are read by the same reader, which names their format.
    const QByteArray head = fileHead(path);
    if (head.startsWith(OleMagic) || head.startsWith("\xDB\xA5"))
        return readDoc(path, text, reason, stop);
    if (isRichText(head))
        return readRtf(path, text, reason, stop);
    ZipPackage zip;
    if (!zip.open(path))
        return fail(reason, zip.errorText());
    const std::optional<QByteArray> xml = zip.read(wordMainPart(zip));
    if (!xml)
        return fail(reason, zip.errorText());
    return readWordXml(*xml, text, reason);
}

bool readOdt(const QString &path, QString *text, QString *reason) {
    const std::optional<QByteArray> xml = readOdfContent(path, reason);
    return xml && readOdfXml(*xml, text, reason);
}

// The whole file, or nothing with the reason it was not read.
std::optional<QByteArray> readWhole(const QString &path, QString *reason,
                                    const std::function<bool()> &stop) {
    const WholeFile file = readWholeFile(path, MaxDocFileBytes, stop);
    switch (file.problem) {
    case FileProblem::None:
        return file.bytes;
    case FileProblem::TooLarge:
        fail(reason, ZipText::TooLarge);
        break;
    case FileProblem::Stopped:
        fail(reason, DocumentText::Stopped);
        break;
    default:
        fail(reason, ZipText::CannotOpen);
        break;
    }
    return std::nullopt;
}

bool readDoc(const QString &path, QString *text, QString *reason,
             const std::function<bool()> &stop) {
    const std::optional<QByteArray> bytes = readWhole(path, reason, stop);
    if (!bytes)
        return false;
    // A newer document saved under the old extension.
    if (bytes->startsWith(ZipMagic))
        return readDocx(path, text, reason, stop);
    // Word saves RTF under a .doc name when asked to.
    if (isRichText(*bytes))
        return readRichText(*bytes, text, reason);
    return readWordBinary(*bytes, text, reason);
}

bool readRtf(const QString &path, QString *text, QString *reason,
             const std::function<bool()> &stop) {
    const std::optional<QByteArray> bytes = readWhole(path, reason, stop);
    if (!bytes)
        return false;
    // A Word document saved under an .rtf name.
    if (bytes->startsWith(ZipMagic) || bytes->startsWith(OleMagic) || bytes->startsWith("\xDB\xA5"))
        return readDocx(path, text, reason, stop);
    return readRichText(*bytes, text, reason);
}

} // namespace

std::optional<QString> readDocumentText(const QString &path, QString *error,
                                        const std::function<bool()> &stop) {
    const QString ext = lowerExtension(path);
    QString text;
    QString reason;
    bool ok = false;
    switch (documentKindOf(ext)) {
    case DocumentKind::Word:
        ok = readDocx(path, &text, &reason, stop);
        break;
    case DocumentKind::OpenDocument:
        ok = readOdt(path, &text, &reason);
        break;
    case DocumentKind::WordBinary:
        ok = readDoc(path, &text, &reason, stop);
        break;
    case DocumentKind::Slides:
        ok = readPresentationPackage(path, &text, &reason);
        break;
    case DocumentKind::OpenDocumentSlides:
        ok = readOdfPresentation(path, &text, &reason);
        break;
    case DocumentKind::RichText:
        ok = readRtf(path, &text, &reason, stop);
        break;
    case DocumentKind::None:
        reason = DocumentText::UnknownKind;
        break;
    }
    if (!ok) {
        if (error)
            *error = DocumentText::CannotRead + reason;
        return std::nullopt;
    }
    return text;
}

std::optional<QByteArray> readOdfContent(const QString &path, QString *reason) {
    ZipPackage zip;
    if (!zip.open(path)) {
        fail(reason, zip.errorText());
        return std::nullopt;
    }
    // An encrypted ODF package keeps its parts as ciphertext and says so in the manifest.
    if (const auto manifest = zip.read(QStringLiteral("META-INF/manifest.xml"));
        manifest && manifest->contains("encryption-data")) {
        fail(reason, ZipText::Encrypted);
        return std::nullopt;
    }
    std::optional<QByteArray> xml = zip.read(QStringLiteral("content.xml"));
    if (!xml)
        fail(reason, zip.errorText());
    return xml;
}
