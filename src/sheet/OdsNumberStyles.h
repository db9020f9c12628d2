#pragma once

// The number styles of an OpenDocument spreadsheet (dates, times, percentages, currencies,
// numbers with decimals and grouping) as the format codes the sheet display reads
// ("yyyy/m/d", "#,##0.00", "\"¥\"#,##0;-\"¥\"#,##0"), and the cell styles that name them.

#include <QHash>
#include <QString>

class QXmlStreamReader;

class OdsNumberStyles {
public:
    // Reads the styles inside the element the reader stands at (office:styles or
    // office:automatic-styles), up to its end.
    void read(QXmlStreamReader &r);
    // The format code of a cell style, through the style it inherits from; empty when it has
    // no number style or one that cannot be written as a code (then the value's type decides).
    QString formatOf(const QString &cellStyle) const;

private:
    void readNumberStyle(QXmlStreamReader &r);
    QString code(const QString &dataStyle) const;

    struct DataStyle {
        QString code;     // empty: not writable as a code
        QString positive; // the style for values >= 0, when this one is for negatives
    };
    QHash<QString, DataStyle> m_dataStyles;
    QHash<QString, QString> m_cellDataStyle; // cell style → its number style
    QHash<QString, QString> m_cellParent;    // cell style → the style it inherits from
};
