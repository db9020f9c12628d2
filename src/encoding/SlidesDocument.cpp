#include "encoding/SlidesDocument.h"

#include "encoding/Charset.h"
#include "encoding/OfficeDocument.h"
#include "platform/CompoundFile.h"
#include "platform/FileReader.h"
#include "platform/NativePath.h"
#include "platform/ZipPackage.h"

#include <QHash>
#include <QList>
#include <QStringList>
#include <QXmlStreamReader>

#include <algorithm>

namespace {

// The whole text is held in memory; a presentation that expands beyond this is refused.
constexpr qsizetype MaxTextChars = qsizetype(256) * 1024 * 1024;
// Longest run of spaces one ODF <text:s> may stand for; larger counts are hostile.
constexpr int MaxSpaceRun = 1000;
// Bytes read of a compound file under a presentation name, to tell why it is no package.
constexpr qint64 MaxCompoundBytes = qint64(64) * 1024 * 1024;

const QString DrawingMain = QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/main");
const QString DrawingStrict = QStringLiteral("http://purl.oclc.org/ooxml/drawingml/main");
const QString SlideMain =
    QStringLiteral("http://schemas.openxmlformats.org/presentationml/2006/main");
const QString SlideStrict = QStringLiteral("http://purl.oclc.org/ooxml/presentationml/main");
const QString RelationMain =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");
const QString RelationStrict =
    QStringLiteral("http://purl.oclc.org/ooxml/officeDocument/relationships");
const QString MarkupCompat =
    QStringLiteral("http://schemas.openxmlformats.org/markup-compatibility/2006");
const QString OdfOffice = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
const QString OdfText = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
const QString OdfDraw = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:drawing:1.0");
const QString OdfPresentation =
    QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:presentation:1.0");

bool fail(QString *reason, const QString &text) {
    if (reason)
        *reason = text;
    return false;
}

QString xmlReason(const QXmlStreamReader &r) {
    return r.error() == QXmlStreamReader::CustomError ? r.errorString() : ZipText::Damaged;
}

// The lines of the slides read so far, with the running size checked against the limit.
class SlideLines {
public:
    void heading(int number) { m_lines << slideHeading(number); }
    void add(const QString &line) {
        m_lines << line;
        m_size += line.size();
    }
    void add(const QStringList &lines) {
        for (const QString &line : lines)
            add(line);
    }
    bool tooLarge() const { return m_size > MaxTextChars; }
    QString text() const { return normalizeLineEnds(m_lines.join(u'\n')); }

private:
    QStringList m_lines;
    qsizetype m_size = 0;
};

// --- Office Open XML ---

bool isDrawing(const QXmlStreamReader &r) {
    return r.namespaceUri() == DrawingMain || r.namespaceUri() == DrawingStrict;
}

bool isSlideNs(const QXmlStreamReader &r) {
    return r.namespaceUri() == SlideMain || r.namespaceUri() == SlideStrict;
}

QStringView relationId(const QXmlStreamReader &r) {
    const auto attrs = r.attributes();
    const QStringView id = attrs.value(RelationMain, QLatin1String("id"));
    return id.isEmpty() ? attrs.value(RelationStrict, QLatin1String("id")) : id;
}

// A part name from a relationship target: absolute ("/ppt/x.xml") or relative to the folder
// of the part that holds the relationship; "." and ".." steps resolved.
QString resolvePart(const QString &source, const QString &target) {
    QString joined =
        target.startsWith(u'/') ? target : source.left(source.lastIndexOf(u'/') + 1) + target;
    QStringList out;
    for (const QString &step : joined.split(u'/', Qt::SkipEmptyParts)) {
        if (step == u"..") {
            if (!out.isEmpty())
                out.removeLast();
        } else if (step != u".") {
            out << step;
        }
    }
    return out.join(u'/');
}

struct Relation {
    QString type;
    QString part;
};

// The relationships of a part by id; none when it has no relationship part.
QHash<QString, Relation> readRelations(ZipPackage &zip, const QString &part) {
    const qsizetype slash = part.lastIndexOf(u'/');
    const QString relsName = part.left(slash + 1) + QStringLiteral("_rels/") + part.mid(slash + 1) +
                             QStringLiteral(".rels");
    QHash<QString, Relation> relations;
    const std::optional<QByteArray> xml = zip.read(relsName);
    if (!xml)
        return relations;
    QXmlStreamReader r(*xml);
    while (!r.atEnd()) {
        if (readNextSafe(r) != QXmlStreamReader::StartElement || r.name() != u"Relationship")
            continue;
        const auto attrs = r.attributes();
        if (attrs.value(QLatin1String("TargetMode")) == u"External")
            continue;
        relations.insert(attrs.value(QLatin1String("Id")).toString(),
                         {attrs.value(QLatin1String("Type")).toString(),
                          resolvePart(part, attrs.value(QLatin1String("Target")).toString())});
    }
    return relations;
}

// The presentation part the package names, or the usual one.
QString presentationPart(ZipPackage &zip) {
    const QHash<QString, Relation> relations = readRelations(zip, QString());
    for (const Relation &relation : relations) {
        if (relation.type.endsWith(u"/officeDocument") && zip.contains(relation.part))
            return relation.part;
    }
    return QStringLiteral("ppt/presentation.xml");
}

// Placeholders whose text the application fills in, not the author.
bool isFilledPlaceholder(QStringView type) {
    return type == u"sldNum" || type == u"dt" || type == u"ftr" || type == u"hdr";
}

// The paragraphs (a:p) of a slide or notes part whose root element is `root`: the text of a:t,
// a:br as a line break. Shapes that hold a footer, date or slide number, and the fallback
// copy of alternate content, are left out.
bool readSlideXml(const QByteArray &xml, QStringView root, QStringList *lines, QString *reason) {
    QXmlStreamReader r(xml);
    QList<bool> skipShape; // per open p:sp: is it a filled-in placeholder
    QString paragraph;
    bool inParagraph = false;
    bool inText = false;
    bool sawRoot = false;
    qsizetype size = 0;
    while (!r.atEnd()) {
        const auto token = readNextSafe(r);
        if (token == QXmlStreamReader::StartElement) {
            const auto name = r.name();
            if (!sawRoot) {
                if (!isSlideNs(r) || name != root)
                    return fail(reason, DocumentText::NotDocument);
                sawRoot = true;
            }
            if (r.namespaceUri() == MarkupCompat && name == u"Fallback") {
                r.skipCurrentElement();
            } else if (isSlideNs(r) && name == u"sp") {
                skipShape << false;
            } else if (isSlideNs(r) && name == u"ph" && !skipShape.isEmpty()) {
                skipShape.last() = isFilledPlaceholder(r.attributes().value(QLatin1String("type")));
            } else if (isDrawing(r) && name == u"p") {
                if (!skipShape.isEmpty() && skipShape.last()) {
                    r.skipCurrentElement();
                    continue;
                }
                inParagraph = true;
                paragraph.clear();
            } else if (isDrawing(r) && name == u"t") {
                inText = inParagraph;
            } else if (isDrawing(r) && name == u"br" && inParagraph) {
                paragraph += u'\n';
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (isSlideNs(r) && r.name() == u"sp" && !skipShape.isEmpty()) {
                skipShape.removeLast();
            } else if (isDrawing(r) && r.name() == u"t") {
                inText = false;
            } else if (isDrawing(r) && r.name() == u"p" && inParagraph) {
                *lines << paragraph;
                inParagraph = false;
            }
        } else if (token == QXmlStreamReader::Characters && inText) {
            paragraph += r.text();
            size += r.text().size();
            if (size > MaxTextChars)
                return fail(reason, ZipText::TooLarge);
        }
    }
    if (r.hasError())
        return fail(reason, xmlReason(r));
    if (!sawRoot)
        return fail(reason, DocumentText::NotDocument);
    return true;
}

// The slide parts in show order, from the slide list of the presentation part.
bool readSlideList(ZipPackage &zip, const QString &part, QStringList *slides, QString *reason) {
    const std::optional<QByteArray> xml = zip.read(part);
    if (!xml)
        return fail(reason, zip.errorText());
    const QHash<QString, Relation> relations = readRelations(zip, part);
    QXmlStreamReader r(*xml);
    bool sawRoot = false;
    while (!r.atEnd()) {
        if (readNextSafe(r) != QXmlStreamReader::StartElement)
            continue;
        if (!sawRoot) {
            if (!isSlideNs(r) || r.name() != u"presentation")
                return fail(reason, DocumentText::NotDocument);
            sawRoot = true;
        }
        if (isSlideNs(r) && r.name() == u"sldId") {
            const auto it = relations.constFind(relationId(r).toString());
            if (it == relations.constEnd())
                return fail(reason, ZipText::MissingPart);
            *slides << it->part;
        }
    }
    if (r.hasError())
        return fail(reason, xmlReason(r));
    if (!sawRoot)
        return fail(reason, DocumentText::NotDocument);
    return true;
}

// A compound file under a package name: Office keeps a password-protected package that way;
// anything else is an older binary presentation, which is not read.
bool refuseCompoundFile(const QString &path, QString *reason) {
    const WholeFile file = readWholeFile(path, MaxCompoundBytes);
    CompoundFile container;
    if (file.ok() && container.open(file.bytes) && container.hasStream("EncryptedPackage"))
        return fail(reason, ZipText::Encrypted);
    return fail(reason, file.problem == FileProblem::TooLarge ? ZipText::TooLarge
                                                              : DocumentText::UnknownKind);
}

// --- OpenDocument ---

// content.xml of an .odp: each draw:page a slide, its text:p and text:h (in frames, text
// boxes and tables) as lines, the lines of its presentation:notes after them. Annotations and
// tracked deletions are left out; character data outside the text namespace is not text.
bool readOdfPresentationXml(const QByteArray &xml, QString *text, QString *reason) {
    QXmlStreamReader r(xml);
    SlideLines out;
    QStringList slide, notes;
    QString paragraph;
    bool inParagraph = false;
    bool lastWasSpace = true;
    int pageDepth = 0; // element depth of the open draw:page; 0 when none is open
    int notesDepth = 0;
    int depth = 0;
    int slides = 0;
    QList<bool> inText; // per open element: is it in the text namespace
    bool sawRoot = false;
    while (!r.atEnd()) {
        const auto token = readNextSafe(r);
        if (token == QXmlStreamReader::StartElement) {
            const auto name = r.name();
            const auto ns = r.namespaceUri();
            if (!sawRoot) {
                if (ns != OdfOffice || name != u"document-content")
                    return fail(reason, DocumentText::NotDocument);
                sawRoot = true;
            }
            if ((ns == OdfText && (name == u"tracked-changes" || name == u"note")) ||
                (ns == OdfOffice && name == u"annotation")) {
                r.skipCurrentElement();
                continue;
            }
            ++depth;
            inText << (ns == OdfText);
            if (ns == OdfDraw && name == u"page" && pageDepth == 0) {
                pageDepth = depth;
                slide.clear();
                notes.clear();
            } else if (ns == OdfPresentation && name == u"notes" && pageDepth && !notesDepth) {
                notesDepth = depth;
            } else if (ns == OdfText && (name == u"p" || name == u"h") && pageDepth) {
                inParagraph = true;
                lastWasSpace = true;
                paragraph.clear();
            } else if (ns == OdfText && inParagraph && name == u"tab") {
                paragraph += u'\t';
                lastWasSpace = false;
            } else if (ns == OdfText && inParagraph && name == u"line-break") {
                paragraph += u'\n';
                lastWasSpace = false;
            } else if (ns == OdfText && inParagraph && name == u"s") {
                bool ok = false;
                const int count = r.attributes().value(OdfText, QLatin1String("c")).toInt(&ok);
                paragraph += QString(ok ? std::clamp(count, 0, MaxSpaceRun) : 1, u' ');
                lastWasSpace = false;
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (inText.isEmpty())
                break;
            inText.removeLast();
            const auto name = r.name();
            const auto ns = r.namespaceUri();
            if (ns == OdfText && (name == u"p" || name == u"h") && inParagraph) {
                (notesDepth ? notes : slide) << paragraph;
                inParagraph = false;
            } else if (depth == notesDepth) {
                notesDepth = 0;
            } else if (depth == pageDepth) {
                out.heading(++slides);
                out.add(slide);
                out.add(notes);
                pageDepth = 0;
                if (out.tooLarge())
                    return fail(reason, ZipText::TooLarge);
            }
            --depth;
        } else if (token == QXmlStreamReader::Characters && inParagraph && !inText.isEmpty() &&
                   inText.last()) {
            // Each run of white space is one space, none at a paragraph's start.
            for (const QChar c : r.text()) {
                const bool space = c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
                if (!space)
                    paragraph += c;
                else if (!lastWasSpace)
                    paragraph += u' ';
                lastWasSpace = space;
            }
            if (paragraph.size() > MaxTextChars)
                return fail(reason, ZipText::TooLarge);
        }
    }
    if (r.hasError())
        return fail(reason, xmlReason(r));
    if (!sawRoot)
        return fail(reason, DocumentText::NotDocument);
    *text = out.text();
    return true;
}

} // namespace

QString slideHeading(int number) {
    return QStringLiteral("--- スライド %1 ---").arg(number);
}

bool readPresentationPackage(const QString &path, QString *text, QString *reason) {
    ZipPackage zip;
    if (!zip.open(path)) {
        if (zip.error() == ZipError::Damaged && isCompoundFile(fileHead(path)))
            return refuseCompoundFile(path, reason);
        return fail(reason, zip.errorText());
    }
    const QString main = presentationPart(zip);
    QStringList slides;
    if (!readSlideList(zip, main, &slides, reason))
        return false;
    // Every slide is a part of its own: a list longer than the package names the same parts
    // over and over, which only a hostile file does, and would read them as often.
    if (slides.size() > zip.entryNames().size())
        return fail(reason, ZipText::Damaged);
    SlideLines out;
    for (int i = 0; i < slides.size(); ++i) {
        const std::optional<QByteArray> slideXml = zip.read(slides[i]);
        if (!slideXml)
            return fail(reason, zip.errorText());
        QStringList lines;
        if (!readSlideXml(*slideXml, u"sld", &lines, reason))
            return false;
        for (const Relation &relation : readRelations(zip, slides[i])) {
            if (!relation.type.endsWith(u"/notesSlide"))
                continue;
            const std::optional<QByteArray> notesXml = zip.read(relation.part);
            if (!notesXml)
                return fail(reason, zip.errorText());
            if (!readSlideXml(*notesXml, u"notes", &lines, reason))
                return false;
            break;
        }
        out.heading(i + 1);
        out.add(lines);
        if (out.tooLarge())
            return fail(reason, ZipText::TooLarge);
    }
    *text = out.text();
    return true;
}

bool readOdfPresentation(const QString &path, QString *text, QString *reason) {
    const std::optional<QByteArray> xml = readOdfContent(path, reason);
    return xml && readOdfPresentationXml(*xml, text, reason);
}
