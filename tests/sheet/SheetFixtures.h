#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QPair>
#include <QString>

#include <zip.h>

#include <gtest/gtest.h>

// Packages written part by part, for workbooks that no writer library would produce: lying
// dimensions, phonetic runs, error cells, hostile XML.
namespace SheetFixtures {

using Parts = QList<QPair<QString, QByteArray>>;

inline bool writeZip(const QString &path, const Parts &parts) {
    int error = 0;
    zip_t *zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!zip)
        return false;
    for (const auto &part : parts) {
        // The buffers stay alive until zip_close, which is when libzip reads them.
        zip_source_t *source =
            zip_source_buffer(zip, part.second.constData(), zip_uint64_t(part.second.size()), 0);
        if (!source ||
            zip_file_add(zip, part.first.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(source);
            zip_discard(zip);
            return false;
        }
    }
    return zip_close(zip) == 0;
}

inline QByteArray sheetXml(const QByteArray &body, const QByteArray &before = QByteArray()) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
           "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">" +
           before + "<sheetData>" + body + "</sheetData></worksheet>";
}

// A workbook whose sheets are listed in the given order, each with its own part.
inline Parts workbookParts(const QList<QPair<QString, QByteArray>> &sheets,
                           const QByteArray &sharedStrings = QByteArray()) {
    const QByteArray rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    QByteArray list;
    QByteArray rels;
    Parts parts;
    for (qsizetype i = 0; i < sheets.size(); ++i) {
        const QByteArray n = QByteArray::number(i + 1);
        list += "<sheet name=\"" + sheets[i].first.toUtf8() + "\" sheetId=\"" + n +
                "\" r:id=\"rId" + n + "\"/>";
        rels += "<Relationship Id=\"rId" + n + "\" Type=\"" + rel +
                "/worksheet\" Target=\"worksheets/sheet" + n + ".xml\"/>";
        parts << qMakePair(QStringLiteral("xl/worksheets/sheet%1.xml").arg(i + 1),
                           sheets[i].second);
    }
    if (!sharedStrings.isEmpty()) {
        rels += "<Relationship Id=\"rIdS\" Type=\"" + rel +
                "/sharedStrings\" Target=\"sharedStrings.xml\"/>";
        parts << qMakePair(QStringLiteral("xl/sharedStrings.xml"), sharedStrings);
    }
    parts << qMakePair(QStringLiteral("xl/workbook.xml"),
                       "<?xml version=\"1.0\"?><workbook xmlns=\"http://schemas.openxmlformats.org/"
                       "spreadsheetml/2006/main\" xmlns:r=\"" +
                           rel + "\"><sheets>" + list + "</sheets></workbook>");
    parts << qMakePair(QStringLiteral("xl/_rels/workbook.xml.rels"),
                       "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas."
                       "openxmlformats.org/package/2006/relationships\">" +
                           rels + "</Relationships>");
    return parts;
}

} // namespace SheetFixtures
