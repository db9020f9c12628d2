// The coloured copy of a user's own package: styles and sheet parts with arbitrary content
// (the input's two halves, split at its first "\n--\n"), a few cells coloured.
#include "FuzzSupport.h"
#include "sheet/Workbook.h"
#include "sheet/XlsxColouredCopy.h"

#include <zip.h>

namespace {

bool writePackage(const QString &path, const QByteArray &styles, const QByteArray &sheet) {
    const QByteArray rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    const QByteArray workbook = "<workbook xmlns:r=\"" + rel +
                                "\"><sheets><sheet name=\"S\" r:id=\"rId1\"/></sheets>"
                                "</workbook>";
    const QByteArray rels = "<Relationships><Relationship Id=\"rId1\" Type=\"" + rel +
                            "/worksheet\" Target=\"worksheets/sheet1.xml\"/><Relationship "
                            "Id=\"rId2\" Type=\"" +
                            rel + "/styles\" Target=\"styles.xml\"/></Relationships>";
    const std::pair<const char *, const QByteArray *> parts[] = {
        {"xl/workbook.xml", &workbook},
        {"xl/_rels/workbook.xml.rels", &rels},
        {"xl/styles.xml", &styles},
        {"xl/worksheets/sheet1.xml", &sheet}};
    int error = 0;
    zip_t *zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!zip)
        return false;
    for (const auto &[name, bytes] : parts) {
        zip_source_t *source =
            zip_source_buffer(zip, bytes->constData(), zip_uint64_t(bytes->size()), 0);
        if (!source || zip_file_add(zip, name, source, 0) < 0) {
            zip_source_free(source);
            zip_discard(zip);
            return false;
        }
    }
    return zip_close(zip) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray input = FuzzSupport::bytes(data, size);
    const qsizetype split = input.indexOf("\n--\n");
    const QByteArray styles = split < 0 ? input : input.left(split);
    const QByteArray sheet = split < 0 ? QByteArray() : input.mid(split + 4);
    const QString source = FuzzSupport::scratch().filePath(QStringLiteral("in.xlsx"));
    if (!writePackage(source, styles, sheet))
        return 0;
    QHash<quint64, Color> colors;
    for (size_t i = 0; i + 2 < size && colors.size() < 8; i += 7)
        colors.insert(Sheet::key(1 + data[i] % 40, 1 + data[i + 1] % 12),
                      0x00FFFF00u + data[i + 2]);
    colors.insert(Sheet::key(1, 1), 65535);
    writeColouredPackage(source, QStringLiteral("S"), colors, 85,
                         FuzzSupport::scratch().filePath(QStringLiteral("out.xlsx")));
    return 0;
}
