#include "sheet/OdsNumberStyles.h"

#include "platform/ZipPackage.h"

#include <QXmlStreamReader>

namespace {

const QString OdfNumber = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0");
const QString OdfStyle = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:style:1.0");
constexpr int MaxInheritance = 16; // a loop of parent styles ends here
constexpr int MaxDigits = 30;      // decimals and integer digits a hostile style may ask for

QString literal(const QString &text) {
    if (text.isEmpty())
        return QString();
    if (!text.contains(u'"'))
        return u'"' + text + u'"';
    QString out;
    for (const QChar c : text)
        out += u'\\' + QString(c);
    return out;
}

int intAttribute(const QXmlStreamReader &r, const char *name, int fallback) {
    bool ok = false;
    const int n = r.attributes().value(OdfNumber, QLatin1String(name)).toInt(&ok);
    return ok ? std::clamp(n, 0, MaxDigits) : fallback;
}

bool isLong(const QXmlStreamReader &r) {
    return r.attributes().value(OdfNumber, QLatin1String("style")) == u"long";
}

// Integer digits, grouping and decimals of number:number and number:scientific-number.
QString digits(const QXmlStreamReader &r) {
    const int integers = intAttribute(r, "min-integer-digits", 1);
    const int decimals = intAttribute(r, "decimal-places", 0);
    QString out = integers > 0 ? QString(integers, u'0') : QStringLiteral("#");
    if (r.attributes().value(OdfNumber, QLatin1String("grouping")) == u"true")
        out = QStringLiteral("#,##") + QString(std::max(1, integers) - 1, u'0') + u'0';
    if (decimals > 0)
        out += u'.' + QString(decimals, u'0');
    return out;
}

} // namespace

void OdsNumberStyles::read(QXmlStreamReader &r) {
    while (readNextSafe(r) != QXmlStreamReader::EndElement && !r.atEnd()) {
        if (!r.isStartElement())
            continue;
        const auto name = r.name();
        if (r.namespaceUri() == OdfNumber && name.endsWith(u"-style")) {
            readNumberStyle(r);
            continue;
        }
        if (r.namespaceUri() == OdfStyle && name == u"style") {
            const QXmlStreamAttributes a = r.attributes();
            const QString style = a.value(OdfStyle, QLatin1String("name")).toString();
            if (a.hasAttribute(OdfStyle, QLatin1String("data-style-name")))
                m_cellDataStyle.insert(
                    style, a.value(OdfStyle, QLatin1String("data-style-name")).toString());
            if (a.hasAttribute(OdfStyle, QLatin1String("parent-style-name")))
                m_cellParent.insert(
                    style, a.value(OdfStyle, QLatin1String("parent-style-name")).toString());
        }
        r.skipCurrentElement();
    }
}

void OdsNumberStyles::readNumberStyle(QXmlStreamReader &r) {
    const QString kind = r.name().toString();
    const QString name = r.attributes().value(OdfStyle, QLatin1String("name")).toString();
    const bool elapsed =
        r.attributes().value(OdfNumber, QLatin1String("truncate-on-overflow")) == u"false";
    DataStyle style;
    QString code;
    bool known = kind != u"boolean-style" && kind != u"text-style";
    bool hours = false;
    while (readNextSafe(r) != QXmlStreamReader::EndElement && !r.atEnd()) {
        if (!r.isStartElement())
            continue;
        const QString part = r.name().toString();
        if (r.namespaceUri() == OdfStyle && part == u"map") {
            const auto condition = r.attributes().value(OdfStyle, QLatin1String("condition"));
            const QString target =
                r.attributes().value(OdfStyle, QLatin1String("apply-style-name")).toString();
            // The usual split of a currency or number style into values >= 0 and the rest.
            if (condition == u"value()>=0" && style.positive.isEmpty())
                style.positive = target;
            else
                known = false;
            r.skipCurrentElement();
            continue;
        }
        if (r.namespaceUri() != OdfNumber) {
            r.skipCurrentElement(); // colours and other text properties
            continue;
        }
        const bool wide = isLong(r);
        if (part == u"number") {
            code += digits(r);
        } else if (part == u"scientific-number") {
            code += digits(r) + QStringLiteral("E+") +
                    QString(std::max(1, intAttribute(r, "min-exponent-digits", 2)), u'0');
        } else if (part == u"year") {
            code += wide ? QStringLiteral("yyyy") : QStringLiteral("yy");
        } else if (part == u"month") {
            const bool textual =
                r.attributes().value(OdfNumber, QLatin1String("textual")) == u"true";
            code += textual ? (wide ? QStringLiteral("mmmm") : QStringLiteral("mmm"))
                            : (wide ? QStringLiteral("mm") : QStringLiteral("m"));
        } else if (part == u"day") {
            code += wide ? QStringLiteral("dd") : QStringLiteral("d");
        } else if (part == u"day-of-week") {
            code += wide ? QStringLiteral("dddd") : QStringLiteral("ddd");
        } else if (part == u"hours") {
            const QString h = wide ? QStringLiteral("hh") : QStringLiteral("h");
            code += elapsed && !hours ? u'[' + h + u']' : h;
            hours = true;
        } else if (part == u"minutes") {
            code += wide ? QStringLiteral("mm") : QStringLiteral("m");
        } else if (part == u"seconds") {
            code += wide ? QStringLiteral("ss") : QStringLiteral("s");
            const int decimals = intAttribute(r, "decimal-places", 0);
            if (decimals > 0)
                code += u'.' + QString(decimals, u'0');
        } else if (part == u"am-pm") {
            code += QStringLiteral("AM/PM");
        } else if (part == u"text" || part == u"currency-symbol") {
            QString text = r.readElementText(QXmlStreamReader::IncludeChildElements);
            if (kind == u"percentage-style" && part == u"text" && text.contains(u'%')) {
                // The percent sign scales the value; the rest is literal.
                const qsizetype at = text.indexOf(u'%');
                code += literal(text.left(at)) + u'%' + literal(text.mid(at + 1));
            } else {
                code += literal(text);
            }
            continue; // readElementText stands on the end tag
        } else if (part != u"fill-character") {
            known = false; // fractions, eras, quarters, weeks, embedded texts
        }
        r.skipCurrentElement();
    }
    if (known && !name.isEmpty())
        style.code = code;
    m_dataStyles.insert(name, style);
}

QString OdsNumberStyles::code(const QString &dataStyle) const {
    const auto found = m_dataStyles.constFind(dataStyle);
    if (found == m_dataStyles.constEnd() || found->code.isEmpty())
        return QString();
    if (found->positive.isEmpty())
        return found->code;
    const auto positive = m_dataStyles.constFind(found->positive);
    if (positive == m_dataStyles.constEnd() || positive->code.isEmpty() ||
        !positive->positive.isEmpty())
        return QString();
    return positive->code + u';' + found->code;
}

QString OdsNumberStyles::formatOf(const QString &cellStyle) const {
    QString style = cellStyle;
    for (int i = 0; i < MaxInheritance && !style.isEmpty(); ++i) {
        const auto data = m_cellDataStyle.constFind(style);
        if (data != m_cellDataStyle.constEnd())
            return code(*data);
        style = m_cellParent.value(style);
    }
    return QString();
}
