#pragma once

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QXmlStreamReader>

#include <zip.h>

// Reads back a written .xlsx package: the first worksheet's cells with their resolved styles,
// and its column widths. Only what the workbook tests look at.
namespace XlsxPackage {

// One entry of the zip container; empty when the container or the entry cannot be read.
inline QByteArray entry(const QString &path, const char *name) {
    int error = 0;
    zip_t *zip = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    if (!zip)
        return QByteArray();
    QByteArray bytes;
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat(zip, name, 0, &stat) == 0 && (stat.valid & ZIP_STAT_SIZE)) {
        if (zip_file_t *file = zip_fopen(zip, name, 0)) {
            bytes.resize(qsizetype(stat.size));
            if (zip_fread(file, bytes.data(), stat.size) != zip_int64_t(stat.size))
                bytes.clear();
            zip_fclose(file);
        }
    }
    zip_discard(zip);
    return bytes;
}

struct Style {
    QString font;
    QString fill;         // ARGB of a solid fill, as written ("FFFFFF00"); empty for none
    bool thinBox = false; // thin lines on all four edges
    QString horizontal;   // "center" or empty
};

struct Cell {
    QString value;
    bool isString = false; // shared or inline string (not a number)
    bool exists = false;
    Style style;
};

struct Column {
    int min = 0;
    int max = 0;
    double width = 0;
    Style style;
};

struct Sheet {
    bool ok = false;            // every part was found and is well-formed XML
    QHash<QString, Cell> cells; // by reference, "B3"
    QList<Column> columns;
    QString dimension;   // the used range, "B2:E7"
    int cellFormats = 0; // number of cell formats in the styles part

    Cell cell(const QString &ref) const { return cells.value(ref); }
    // The <col> entry that covers column index (1 = A); a default one when none does.
    Column column(int index) const {
        for (const Column &c : columns) {
            if (c.min <= index && index <= c.max)
                return c;
        }
        return Column();
    }
};

namespace detail {

inline bool readStrings(const QByteArray &xml, QList<QString> &strings) {
    QXmlStreamReader r(xml);
    QString current;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && r.name() == u"si")
            current.clear();
        else if (r.isStartElement() && r.name() == u"t")
            current += r.readElementText();
        else if (r.isEndElement() && r.name() == u"si")
            strings << current;
    }
    return !r.hasError();
}

inline bool readStyles(const QByteArray &xml, QList<Style> &xfs, int &count) {
    QList<QString> fonts;
    QList<QString> fills;
    QList<bool> borders;
    QXmlStreamReader r(xml);
    QString section;
    int thinEdges = 0;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            const auto name = r.name();
            const auto attrs = r.attributes();
            if (name == u"fonts" || name == u"fills" || name == u"borders" || name == u"cellXfs" ||
                name == u"cellStyleXfs") {
                section = name.toString();
            } else if (section == u"fonts" && name == u"name") {
                fonts << attrs.value(QLatin1String("val")).toString();
            } else if (section == u"fills" && name == u"patternFill") {
                fills << QString();
            } else if (section == u"fills" && name == u"fgColor") {
                fills.last() = attrs.value(QLatin1String("rgb")).toString();
            } else if (section == u"borders" && name == u"border") {
                thinEdges = 0;
            } else if (section == u"borders" && (name == u"left" || name == u"right" ||
                                                 name == u"top" || name == u"bottom")) {
                thinEdges += attrs.value(QLatin1String("style")) == u"thin" ? 1 : 0;
            } else if (section == u"cellXfs" && name == u"xf") {
                Style s;
                s.font = fonts.value(attrs.value(QLatin1String("fontId")).toInt());
                s.fill = fills.value(attrs.value(QLatin1String("fillId")).toInt());
                s.thinBox = borders.value(attrs.value(QLatin1String("borderId")).toInt());
                xfs << s;
            } else if (section == u"cellXfs" && name == u"alignment") {
                xfs.last().horizontal = attrs.value(QLatin1String("horizontal")).toString();
            }
        } else if (r.isEndElement()) {
            if (r.name() == u"border")
                borders << (thinEdges == 4);
            else if (r.name() == section)
                section.clear();
        }
    }
    count = int(xfs.size());
    return !r.hasError();
}

} // namespace detail

inline Sheet read(const QString &path) {
    Sheet sheet;
    const QByteArray sheetXml = entry(path, "xl/worksheets/sheet1.xml");
    const QByteArray stylesXml = entry(path, "xl/styles.xml");
    if (sheetXml.isEmpty() || stylesXml.isEmpty())
        return sheet;
    QList<QString> strings;
    const QByteArray stringsXml = entry(path, "xl/sharedStrings.xml");
    if (!stringsXml.isEmpty() && !detail::readStrings(stringsXml, strings))
        return sheet;
    QList<Style> xfs;
    if (!detail::readStyles(stylesXml, xfs, sheet.cellFormats))
        return sheet;

    QXmlStreamReader r(sheetXml);
    Cell *cell = nullptr;
    QString type;
    while (!r.atEnd()) {
        r.readNext();
        if (!r.isStartElement())
            continue;
        const auto attrs = r.attributes();
        if (r.name() == u"dimension") {
            sheet.dimension = attrs.value(QLatin1String("ref")).toString();
        } else if (r.name() == u"col") {
            Column c;
            c.min = attrs.value(QLatin1String("min")).toInt();
            c.max = attrs.value(QLatin1String("max")).toInt();
            c.width = attrs.value(QLatin1String("width")).toDouble();
            c.style = xfs.value(attrs.value(QLatin1String("style")).toInt());
            sheet.columns << c;
        } else if (r.name() == u"c") {
            cell = &sheet.cells[attrs.value(QLatin1String("r")).toString()];
            cell->exists = true;
            cell->style = xfs.value(attrs.value(QLatin1String("s")).toInt());
            type = attrs.value(QLatin1String("t")).toString();
            cell->isString = type == u"s" || type == u"inlineStr" || type == u"str";
        } else if (cell && r.name() == u"v") {
            const QString v = r.readElementText();
            cell->value = type == u"s" ? strings.value(v.toInt()) : v;
        } else if (cell && r.name() == u"t") {
            cell->value += r.readElementText();
        }
    }
    sheet.ok = !r.hasError();
    return sheet;
}

} // namespace XlsxPackage
