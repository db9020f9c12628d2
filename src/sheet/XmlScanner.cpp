#include "sheet/XmlScanner.h"

#include <QStringDecoder>

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isAscii(QByteArrayView raw) {
    for (const char c : raw) {
        if (uchar(c) >= 0x80)
            return false;
    }
    return true;
}

// The character a reference between '&' and ';' stands for; 0 when it is none we know.
char32_t reference(QByteArrayView name) {
    if (name == "lt")
        return u'<';
    if (name == "gt")
        return u'>';
    if (name == "amp")
        return u'&';
    if (name == "quot")
        return u'"';
    if (name == "apos")
        return u'\'';
    if (name.size() < 2 || name.size() > 10 || name[0] != '#')
        return 0;
    const bool hex = name[1] == 'x';
    bool ok = false;
    const uint code = name.sliced(hex ? 2 : 1).toUInt(&ok, hex ? 16 : 10);
    // Only characters an XML document may hold; no surrogate halves.
    if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return char32_t(code);
}

} // namespace

XmlScanner::XmlScanner(QByteArrayView xml) : m_xml(xml) {
    if (m_xml.startsWith("\xEF\xBB\xBF"))
        m_pos = 3;
    else if (m_xml.startsWith("\xFF\xFE") || m_xml.startsWith("\xFE\xFF"))
        m_error = true; // UTF-16: the caller converts such a part first
    m_open.reserve(16);
}

XmlScanner::Token XmlScanner::next() {
    if (m_error)
        return Invalid;
    if (m_pendingEnd) {
        m_pendingEnd = false;
        return EndElement; // m_name still names the empty element
    }
    while (m_pos < m_xml.size()) {
        if (m_xml[m_pos] != '<') {
            qsizetype end = m_xml.indexOf('<', m_pos);
            if (end < 0)
                end = m_xml.size();
            const QByteArrayView raw = m_xml.sliced(m_pos, end - m_pos);
            m_pos = end;
            if (m_open.empty()) {
                for (const char c : raw) {
                    if (!isSpace(c))
                        return fail(); // text outside the root element
                }
                continue;
            }
            m_textRaw = raw;
            m_textIsCdata = false;
            return Text;
        }
        const char kind = m_pos + 1 < m_xml.size() ? m_xml[m_pos + 1] : '\0';
        if (kind != '?' && kind != '!' && kind != '/')
            return startTag();
        if (kind == '/')
            return endTag();
        const QByteArrayView rest = m_xml.sliced(m_pos);
        if (kind == '?') {
            const qsizetype end = m_xml.indexOf("?>", m_pos + 2);
            if (end < 0)
                return fail();
            m_pos = end + 2;
        } else if (rest.startsWith("<!--")) {
            const qsizetype end = m_xml.indexOf("-->", m_pos + 4);
            if (end < 0)
                return fail();
            m_pos = end + 3;
        } else if (rest.startsWith("<![CDATA[")) {
            const qsizetype end = m_xml.indexOf("]]>", m_pos + 9);
            if (end < 0 || m_open.empty())
                return fail();
            m_textRaw = m_xml.sliced(m_pos + 9, end - m_pos - 9);
            m_textIsCdata = true;
            m_pos = end + 3;
            return Text;
        } else {
            m_doctype = rest.startsWith("<!DOCTYPE");
            return fail();
        }
    }
    if (!m_open.empty() || !m_sawRoot)
        return fail(); // the document ends early
    return End;
}

XmlScanner::Token XmlScanner::startTag() {
    qsizetype p = m_pos + 1;
    const qsizetype size = m_xml.size();
    const qsizetype nameStart = p;
    while (p < size && !isSpace(m_xml[p]) && m_xml[p] != '/' && m_xml[p] != '>' && m_xml[p] != '<')
        ++p;
    const QByteArrayView qualified = m_xml.sliced(nameStart, p - nameStart);
    if (qualified.isEmpty() || (m_open.empty() && m_sawRoot))
        return fail();
    m_attributes.clear();
    for (;;) {
        while (p < size && isSpace(m_xml[p]))
            ++p;
        if (p >= size)
            return fail();
        if (m_xml[p] == '>') {
            m_pos = p + 1;
            break;
        }
        if (m_xml[p] == '/') {
            if (p + 1 >= size || m_xml[p + 1] != '>')
                return fail();
            m_pos = p + 2;
            m_pendingEnd = true;
            break;
        }
        const qsizetype attrStart = p;
        while (p < size && !isSpace(m_xml[p]) && m_xml[p] != '=' && m_xml[p] != '>' &&
               m_xml[p] != '/' && m_xml[p] != '<')
            ++p;
        const QByteArrayView attrName = m_xml.sliced(attrStart, p - attrStart);
        while (p < size && isSpace(m_xml[p]))
            ++p;
        if (attrName.isEmpty() || p + 1 >= size || m_xml[p] != '=')
            return fail();
        ++p;
        while (p < size && isSpace(m_xml[p]))
            ++p;
        if (p >= size || (m_xml[p] != '"' && m_xml[p] != '\''))
            return fail();
        // Values are short: one plain loop finds the closing quote and refuses a '<'.
        const char quote = m_xml[p];
        qsizetype end = p + 1;
        while (end < size && m_xml[end] != quote && m_xml[end] != '<')
            ++end;
        if (end >= size || m_xml[end] != quote)
            return fail();
        const QByteArrayView value = m_xml.sliced(p + 1, end - p - 1);
        p = end + 1;
        // Namespace declarations are no attributes of the element.
        if (attrName != "xmlns" && !attrName.startsWith("xmlns:"))
            m_attributes.emplace_back(localName(attrName), value);
    }
    m_sawRoot = true;
    m_name = localName(qualified);
    if (!m_pendingEnd)
        m_open.push_back(qualified);
    return StartElement;
}

XmlScanner::Token XmlScanner::endTag() {
    const qsizetype end = m_xml.indexOf('>', m_pos + 2);
    if (end < 0 || m_open.empty())
        return fail();
    QByteArrayView qualified = m_xml.sliced(m_pos + 2, end - m_pos - 2);
    while (!qualified.isEmpty() && isSpace(qualified.back()))
        qualified.chop(1);
    if (qualified != m_open.back())
        return fail(); // tags that do not nest
    m_open.pop_back();
    m_name = localName(qualified);
    m_pos = end + 1;
    return EndElement;
}

QByteArrayView XmlScanner::localName(QByteArrayView name) {
    // Names are short: a plain loop is cheaper than a general search.
    for (qsizetype i = name.size() - 1; i >= 0; --i) {
        if (name[i] == ':')
            return name.sliced(i + 1);
    }
    return name;
}

QByteArrayView XmlScanner::rawAttribute(QByteArrayView localName) const {
    for (const auto &[name, value] : m_attributes) {
        if (name == localName)
            return value;
    }
    return {};
}

bool XmlScanner::hasAttribute(QByteArrayView localName) const {
    for (const auto &attribute : m_attributes) {
        if (attribute.first == localName)
            return true;
    }
    return false;
}

// Line ends written in the file read as one LF, as every XML reader gives them; a carriage
// return written as a character reference (&#13;) is a character of the text and stays.
static QByteArrayView withLineFeeds(QByteArrayView raw, QByteArray *scratch) {
    if (!raw.contains('\r'))
        return raw;
    *scratch = raw.toByteArray();
    scratch->replace("\r\n", "\n");
    scratch->replace('\r', '\n');
    return *scratch;
}

QString XmlScanner::attribute(QByteArrayView localName) const {
    // An attribute's line breaks and tabs written in the file read as spaces; written as
    // character references they stay what they are.
    QByteArray spaced;
    QByteArrayView raw = withLineFeeds(rawAttribute(localName), &spaced);
    if (raw.contains('\n') || raw.contains('\t')) {
        spaced = raw.toByteArray();
        spaced.replace('\n', ' ');
        spaced.replace('\t', ' ');
        raw = spaced;
    }
    QString value;
    if (!decode(raw, &value)) {
        m_error = true;
        return QString();
    }
    return value;
}

bool XmlScanner::plainText() const {
    if (m_textIsCdata)
        return false;
    for (const char c : m_textRaw) {
        if (c == '&' || c == '\r' || uchar(c) >= 0x80)
            return false;
    }
    return true;
}

QString XmlScanner::text() const {
    QByteArray scratch;
    const QByteArrayView raw = withLineFeeds(m_textRaw, &scratch);
    QString value;
    if (m_textIsCdata) {
        value = QString::fromUtf8(raw);
    } else if (!decode(raw, &value)) {
        m_error = true;
        return QString();
    }
    return value;
}

bool XmlScanner::decode(QByteArrayView raw, QString *out) {
    QByteArray resolved;
    if (raw.contains('&')) {
        resolved.reserve(raw.size());
        qsizetype p = 0;
        while (p < raw.size()) {
            const qsizetype amp = raw.indexOf('&', p);
            if (amp < 0) {
                resolved += raw.sliced(p);
                break;
            }
            resolved += raw.sliced(p, amp - p);
            const qsizetype semi = raw.indexOf(';', amp + 1);
            const char32_t c = semi < 0 ? 0 : reference(raw.sliced(amp + 1, semi - amp - 1));
            if (c == 0)
                return false;
            resolved += QString::fromUcs4(&c, 1).toUtf8();
            p = semi + 1;
        }
        raw = resolved;
    }
    if (isAscii(raw)) {
        *out = QString::fromLatin1(raw);
        return true;
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    *out = utf8(raw);
    return !utf8.hasError();
}

QString XmlScanner::readElementText() {
    QString result;
    walkToEnd(&result);
    return result;
}

void XmlScanner::skipCurrentElement() {
    walkToEnd(nullptr);
}

// Reads to the end tag of the current element, adding its texts (nested ones too) to `text`
// when it is given.
void XmlScanner::walkToEnd(QString *text) {
    int depth = 1;
    while (depth > 0) {
        switch (next()) {
        case StartElement:
            ++depth;
            break;
        case EndElement:
            --depth;
            break;
        case Text:
            if (text)
                *text += this->text();
            break;
        case End:
        case Invalid:
            return;
        }
    }
}
