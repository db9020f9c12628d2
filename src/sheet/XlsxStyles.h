#pragma once

#include <QByteArray>
#include <QStringList>

#include <vector>

// The number formats behind an .xlsx workbook's cell styles (the styles part): a cell's style
// number (its s attribute) names an entry of cellXfs, whose numFmtId is a built-in format or one
// the part spells out under numFmts.
class XlsxStyles {
public:
    // False when the part is not well-formed XML (doctype: it declares a document type).
    bool read(const QByteArray &xml, bool *doctype);

    // Format texts for Sheet::numberFormats: index 0 and empty texts are General.
    const QStringList &formats() const { return m_formats; }
    // The index into formats() of a style number; 0 for a style the part does not have.
    quint16 formatOf(int style) const {
        return style >= 0 && size_t(style) < m_styleFormat.size() ? m_styleFormat[size_t(style)]
                                                                  : 0;
    }
    // Whether the style shows its number as a date.
    bool isDate(int style) const {
        return style >= 0 && size_t(style) < m_styleDate.size() && m_styleDate[size_t(style)];
    }

private:
    QStringList m_formats{QString()};
    std::vector<quint16> m_styleFormat;
    std::vector<bool> m_styleDate;
};
