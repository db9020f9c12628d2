#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <vector>

// A forward-only reader of the elements and texts of one UTF-8 XML document, for worksheet
// parts, whose millions of small cells QXmlStreamReader reads several times slower. Names are
// local names (a prefix is dropped); attribute values and texts come with their character
// references resolved. The document must be well-formed as far as this reader looks: tags
// nest and close, references are the predefined ones or numeric, the bytes are UTF-8; a
// document type declaration is refused (hasDoctype()), so no entity is ever expanded.
class XmlScanner {
public:
    enum Token { StartElement, EndElement, Text, End, Invalid };

    // xml must outlive the scanner. A byte-order mark or declaration of UTF-16 is refused.
    explicit XmlScanner(QByteArrayView xml);

    Token next();
    // The element's local name on StartElement and EndElement.
    QByteArrayView name() const { return m_name; }
    // The value of the attribute with that local name on StartElement; empty when missing.
    QString attribute(QByteArrayView localName) const;
    // The same without resolving references, for values that hold none (numbers, references).
    QByteArrayView rawAttribute(QByteArrayView localName) const;
    bool hasAttribute(QByteArrayView localName) const;
    // The text on Text.
    QString text() const;
    // The same as written, when that is already the text: ASCII without a reference, CDATA
    // section or CR (plainText()). Enough for a number, without making a string.
    QByteArrayView rawText() const { return m_textRaw; }
    bool plainText() const;

    // On StartElement: the texts inside the element joined, up to its end (which is consumed).
    QString readElementText();
    // On StartElement: steps past the element's end.
    void skipCurrentElement();

    bool hasError() const { return m_error; }
    bool hasDoctype() const { return m_doctype; }

private:
    void walkToEnd(QString *text);
    Token fail() {
        m_error = true;
        return Invalid;
    }
    Token startTag();
    Token endTag();
    static QByteArrayView localName(QByteArrayView name);
    static bool decode(QByteArrayView raw, QString *out);

    QByteArrayView m_xml;
    qsizetype m_pos = 0;
    QByteArrayView m_name;
    QByteArrayView m_textRaw;
    bool m_textIsCdata = false;
    std::vector<std::pair<QByteArrayView, QByteArrayView>> m_attributes; // local name, raw
    std::vector<QByteArrayView> m_open;                                  // open element names
    bool m_pendingEnd = false; // an empty element's end is still to come
    bool m_sawRoot = false;
    mutable bool m_error = false; // also set by a reference or byte sequence found bad late
    bool m_doctype = false;
};
