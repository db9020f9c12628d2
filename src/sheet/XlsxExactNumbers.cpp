#include "sheet/XlsxExactNumbers.h"

#include "platform/NativePath.h"
#include "platform/ZipPackage.h"

#include <zip.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

const QString FirstSheet = QStringLiteral("xl/worksheets/sheet1.xml");

} // namespace

std::optional<QByteArray> exactTextIfLost(double v) {
    if (!std::isfinite(v))
        return std::nullopt;
    char library[32];
    std::snprintf(library, sizeof library, "%.16G", v); // what the library writes
    if (std::strtod(library, nullptr) == v)
        return std::nullopt;
    char exact[32];
    const auto end = std::to_chars(exact, exact + sizeof exact, v).ptr;
    return QByteArray(exact, end - exact);
}

QByteArray withExactNumbers(const QByteArray &xml, const QHash<QByteArray, QByteArray> &exact) {
    if (exact.isEmpty())
        return xml;
    QByteArray out;
    out.reserve(xml.size() + exact.size() * 8);
    qsizetype done = 0;
    for (qsizetype at = xml.indexOf("<c r=\""); at >= 0; at = xml.indexOf("<c r=\"", at + 1)) {
        const qsizetype addressAt = at + 6;
        const qsizetype quote = xml.indexOf('"', addressAt);
        if (quote < 0)
            break;
        const auto found = exact.constFind(xml.mid(addressAt, quote - addressAt));
        if (found == exact.constEnd())
            continue;
        // A number cell has no type attribute: a text, boolean or formula stays as it is.
        const qsizetype tagEnd = xml.indexOf('>', quote);
        if (tagEnd < 0 || xml[tagEnd - 1] == '/' ||
            QByteArrayView(xml).sliced(quote, tagEnd - quote).contains(" t=\""))
            continue;
        const qsizetype valueAt = xml.indexOf("<v>", tagEnd);
        const qsizetype valueEnd = xml.indexOf("</v>", tagEnd);
        const qsizetype cellEnd = xml.indexOf("</c>", tagEnd);
        if (valueAt < 0 || valueEnd < valueAt || cellEnd < valueEnd)
            continue;
        out += QByteArrayView(xml).sliced(done, valueAt + 3 - done);
        out += *found;
        done = valueEnd;
    }
    out += QByteArrayView(xml).sliced(done);
    return out;
}

bool restoreExactNumbers(const QString &path, const QHash<QByteArray, QByteArray> &exact) {
    if (exact.isEmpty())
        return true;
    ZipPackage zip;
    const std::optional<QByteArray> sheet = zip.open(path) ? zip.read(FirstSheet) : std::nullopt;
    zip.close();
    if (!sheet)
        return false;
    const QByteArray edited = withExactNumbers(*sheet, exact);
    int error = 0;
    zip_t *package = zip_open(nativePathBytes(path).constData(), 0, &error);
    if (!package)
        return false;
    const zip_int64_t index = zipIndexRead(package, FirstSheet);
    zip_source_t *data =
        zip_source_buffer(package, edited.constData(), zip_uint64_t(edited.size()), 0);
    bool ok = index >= 0 && data && zip_file_replace(package, zip_uint64_t(index), data, 0) == 0;
    if (!ok)
        zip_source_free(data);
    if (ok && zip_close(package) == 0)
        return true;
    zip_discard(package);
    return false;
}
