#include "export/SaveFormats.h"

#include "platform/Paths.h"

#include <QList>

namespace {

const QList<SaveFormat> Formats = {
    {SaveTypeHtml,
     QStringLiteral("HTML ファイル(*.html)"),
     QStringLiteral(".html"),
     {QStringLiteral("htm"), QStringLiteral("html")}},
    {SaveTypeXls,
     QStringLiteral("Excel 97-2003 ブック (*.xls)"),
     QStringLiteral(".xls"),
     {QStringLiteral("xls")}},
    {SaveTypeXlsx,
     QStringLiteral("Excel ブック (*.xlsx)"),
     QStringLiteral(".xlsx"),
     {QStringLiteral("xlsx")}},
    // Asked for by the dialog only: a path's ".csv" means UTF-8.
    {SaveTypeCsvAnsi, QStringLiteral("CSV ファイル(*.csv)"), QStringLiteral(".csv"), {}},
    {SaveTypeCsvUtf8,
     QStringLiteral("CSV ファイル(UTF-8)(*.csv)"),
     QStringLiteral(".csv"),
     {QStringLiteral("csv")}},
    {SaveTypeUnifiedDiff,
     QStringLiteral("unified diff (*.diff *.patch)"),
     QStringLiteral(".diff"),
     {QStringLiteral("diff"), QStringLiteral("patch")}},
};

} // namespace

std::span<const SaveFormat> saveFormats() {
    return {Formats.constData(), size_t(Formats.size())};
}

SaveType saveTypeOf(const QString &path) {
    const QString ext = lowerExtension(path);
    for (const SaveFormat &format : Formats) {
        if (format.names.contains(ext))
            return format.type;
    }
    return SaveTypeCsvUtf8;
}

QString savedFileName(const QString &chosen, SaveType type) {
    const SaveFormat &format = Formats[type - 1];
    if (chosen.endsWith(format.extension) ||
        (type == SaveTypeUnifiedDiff && saveTypeOf(chosen) == SaveTypeUnifiedDiff))
        return chosen;
    return chosen + format.extension;
}
