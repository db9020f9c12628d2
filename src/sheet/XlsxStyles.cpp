#include "sheet/XlsxStyles.h"

#include "platform/ZipPackage.h"
#include "sheet/NumberFormats.h"

#include <QHash>
#include <QXmlStreamReader>

bool XlsxStyles::read(const QByteArray &xml, bool *doctype) {
    QHash<int, QString> custom;
    std::vector<int> styleIds;
    QXmlStreamReader r(xml);
    bool inCellXfs = false;
    while (!r.atEnd()) {
        const auto token = readNextSafe(r);
        if (token == QXmlStreamReader::EndElement && r.name() == u"cellXfs")
            inCellXfs = false;
        if (token != QXmlStreamReader::StartElement)
            continue;
        const auto attrs = r.attributes();
        if (r.name() == u"numFmt") {
            custom.insert(attrs.value(QLatin1String("numFmtId")).toInt(),
                          attrs.value(QLatin1String("formatCode")).toString());
        } else if (r.name() == u"cellXfs") {
            inCellXfs = true;
        } else if (inCellXfs && r.name() == u"xf") {
            // Styles past what a cell's 16-bit index could name would only be hostile.
            if (styleIds.size() >= 0x10000)
                break;
            styleIds.push_back(attrs.value(QLatin1String("numFmtId")).toInt());
            r.skipCurrentElement();
        } else if (r.name() == u"cellStyleXfs" || r.name() == u"dxfs" || r.name() == u"fonts" ||
                   r.name() == u"fills" || r.name() == u"borders") {
            r.skipCurrentElement();
        }
    }
    if (r.hasError()) {
        *doctype = r.errorString() == ZipText::Doctype;
        return false;
    }
    // Each format number is looked at once, however many styles name it.
    QHash<int, quint16> indexOf;
    for (const int id : styleIds) {
        auto found = indexOf.constFind(id);
        if (found == indexOf.constEnd()) {
            const QString text = custom.value(id, NumberFormats::builtin(id));
            quint16 index = 0;
            if (!text.isEmpty()) {
                index = quint16(m_formats.size());
                m_formats << text;
            }
            found = indexOf.insert(id, index);
        }
        m_styleFormat.push_back(*found);
        m_styleDate.push_back(*found != 0 && NumberFormats::isDate(m_formats[*found]));
    }
    return true;
}
