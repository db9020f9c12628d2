#include "sheet/XlsxColouredCopy.h"

#include "platform/FileReader.h"
#include "platform/NativePath.h"
#include "platform/XlsxSupport.h"
#include "platform/ZipPackage.h"
#include "sheet/Workbook.h"
#include "sheet/WorkbookReaders.h"

#include <QDir>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <zip.h>

#include <algorithm>
#include <map>
#include <optional>
#include <vector>

namespace {

const QString NotEditable = QStringLiteral("このブックには色を付けられません");

// One change of a text: replace length characters at offset with text.
struct Edit {
    qsizetype offset;
    qsizetype length;
    QString text;
};

// The edits as if applied one after another from the last offset to the first (edits at one
// offset in their given order), made in one pass: a sheet part of many megabytes takes tens of
// thousands of them. Edits never reach past the offset of the next one.
QString applyEdits(const QString &text, std::vector<Edit> edits) {
    std::stable_sort(edits.begin(), edits.end(),
                     [](const Edit &a, const Edit &b) { return a.offset < b.offset; });
    QString out;
    out.reserve(text.size() + text.size() / 8);
    qsizetype done = 0; // characters of text already in out
    for (size_t k = 0; k < edits.size();) {
        const qsizetype offset = edits[k].offset;
        size_t end = k;
        while (end < edits.size() && edits[end].offset == offset)
            ++end;
        const qsizetype next = end < edits.size() ? edits[end].offset : text.size();
        out.append(QStringView(text).mid(done, offset - done));
        QString local = text.mid(offset, next - offset);
        for (size_t e = k; e < end; ++e)
            local.replace(0, edits[e].length, edits[e].text);
        out += local;
        done = next;
        k = end;
    }
    out.append(QStringView(text).mid(done));
    return out;
}

// A start tag with the attribute set to value (replaced, or added after the element name).
QString withAttribute(QString tag, const QString &name, const QString &value) {
    const QRegularExpression existing(QStringLiteral("\\s%1=(\"|')[^\"']*\\1").arg(name));
    const QString attribute = QStringLiteral(" %1=\"%2\"").arg(name, value);
    if (tag.contains(existing))
        return tag.replace(existing, attribute);
    const qsizetype end = tag.indexOf(QRegularExpression(QStringLiteral("[\\s/>]")), 1);
    return end < 0 ? tag : tag.insert(end, attribute);
}

// The part names of the sheet called sheetName and of the styles, from the workbook's lists.
std::optional<std::pair<QString, QString>> partsOf(ZipPackage &zip, const QString &sheetName) {
    const auto rels = zip.read(QStringLiteral("xl/_rels/workbook.xml.rels"));
    const auto workbook = zip.read(QStringLiteral("xl/workbook.xml"));
    if (!rels || !workbook)
        return std::nullopt;
    QHash<QString, QString> targets;
    QString styles;
    QXmlStreamReader r(*rels);
    while (!r.atEnd()) {
        if (readNextSafe(r) != QXmlStreamReader::StartElement || r.name() != u"Relationship")
            continue;
        const auto attrs = r.attributes();
        QString target = attrs.value(QLatin1String("Target")).toString();
        target = target.startsWith(u'/') ? QDir::cleanPath(target).mid(1)
                                         : QDir::cleanPath(QStringLiteral("xl/") + target);
        targets.insert(attrs.value(QLatin1String("Id")).toString(), target);
        if (attrs.value(QLatin1String("Type")).endsWith(u"/styles"))
            styles = target;
    }
    QString sheet;
    QXmlStreamReader w(*workbook);
    while (!w.atEnd()) {
        if (readNextSafe(w) != QXmlStreamReader::StartElement || w.name() != u"sheet" ||
            w.attributes().value(QLatin1String("name")) != sheetName)
            continue;
        for (const QXmlStreamAttribute &a : w.attributes()) {
            if (a.name() == u"id")
                sheet = targets.value(a.value().toString());
        }
    }
    if (r.hasError() || w.hasError() || sheet.isEmpty() || styles.isEmpty())
        return std::nullopt;
    return std::make_pair(sheet, styles);
}

// Where the cell formats and fills of styles.xml stand, by character offsets.
struct StyleTable {
    qsizetype fillsTag = -1, fillsEnd = -1; // start tag of <fills>, start of </fills>
    qsizetype xfsTag = -1, xfsEnd = -1;     // the same for <cellXfs>
    int fillCount = 0;
    std::vector<std::pair<qsizetype, qsizetype>> xfs; // each <xf> of cellXfs: offset, length
};

std::optional<StyleTable> readStyleTable(const QString &xml) {
    StyleTable t;
    QXmlStreamReader r(xml);
    QString section;
    qsizetype before = 0, xfStart = -1;
    while (!r.atEnd()) {
        before = r.characterOffset();
        const auto token = readNextSafe(r);
        const auto name = r.name();
        if (token == QXmlStreamReader::StartElement) {
            if (name == u"fills" || name == u"cellXfs") {
                section = name.toString();
                (section == u"fills" ? t.fillsTag : t.xfsTag) = before;
            } else if (section == u"fills" && name == u"fill") {
                ++t.fillCount;
            } else if (section == u"cellXfs" && name == u"xf") {
                xfStart = before;
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (name == u"fills" || name == u"cellXfs") {
                // A self-closing list has no room before its end tag.
                if (before == (name == u"fills" ? t.fillsTag : t.xfsTag))
                    return std::nullopt;
                (name == u"fills" ? t.fillsEnd : t.xfsEnd) = before;
                section.clear();
            } else if (section == u"cellXfs" && name == u"xf" && xfStart >= 0) {
                t.xfs.emplace_back(xfStart, r.characterOffset() - xfStart);
                xfStart = -1;
            }
        }
    }
    if (r.hasError() || t.fillsEnd < 0 || t.xfsEnd < 0 || t.xfs.empty())
        return std::nullopt;
    return t;
}

// The cells and rows of a sheet part, by character offsets.
struct SheetCell {
    int col;
    qsizetype tag, tagLength; // the start tag
    int style;
};
struct SheetRow {
    int number;
    qsizetype tag, tagLength;
    qsizetype end; // start of </row>; -1 for a self-closing row
    std::vector<SheetCell> cells;
};
struct SheetLayout {
    qsizetype dimension = -1, dimensionLength = 0; // the <dimension> tag
    qsizetype view = -1, viewLength = 0;           // the first <sheetView> start tag
    qsizetype viewsAt = -1;                        // where a <sheetViews> would go: before these
    qsizetype dataEnd = -1;                        // start of </sheetData>
    std::vector<SheetRow> rows;
};

std::optional<SheetLayout> readSheetLayout(const QString &xml) {
    SheetLayout layout;
    QXmlStreamReader r(xml);
    qsizetype before = 0;
    bool inData = false;
    while (!r.atEnd()) {
        before = r.characterOffset();
        const auto token = readNextSafe(r);
        const auto name = r.name();
        if (token == QXmlStreamReader::StartElement) {
            if (name == u"dimension" && layout.dimension < 0 && !inData) {
                layout.dimension = before;
                layout.dimensionLength = r.characterOffset() - before;
            }
            if (name == u"sheetView" && layout.view < 0) {
                layout.view = before;
                layout.viewLength = r.characterOffset() - before;
            }
            if (layout.viewsAt < 0 && (name == u"sheetViews" || name == u"sheetFormatPr" ||
                                       name == u"cols" || name == u"sheetData"))
                layout.viewsAt = before;
            if (name == u"sheetData") {
                inData = true;
            } else if (inData && name == u"row") {
                bool ok = false;
                const int number = r.attributes().value(QLatin1String("r")).toInt(&ok);
                if (!ok || (!layout.rows.empty() && number <= layout.rows.back().number))
                    return std::nullopt; // rows without numbers, or out of order
                layout.rows.push_back({number, before, r.characterOffset() - before, -1, {}});
            } else if (inData && name == u"c" && !layout.rows.empty()) {
                const QString ref = r.attributes().value(QLatin1String("r")).toString();
                int col = 0;
                qsizetype i = 0;
                for (; i < ref.size() && ref[i].isUpper(); ++i)
                    col = col * 26 + (ref[i].unicode() - u'A' + 1);
                SheetRow &row = layout.rows.back();
                if (col < 1 || col > WorkbookLimits::MaxCols || ref.mid(i).toInt() != row.number ||
                    (!row.cells.empty() && col <= row.cells.back().col))
                    return std::nullopt;
                row.cells.push_back({col, before, r.characterOffset() - before,
                                     r.attributes().value(QLatin1String("s")).toInt()});
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (name == u"sheetData") {
                layout.dataEnd = before;
                inData = false;
            } else if (inData && name == u"row") {
                // A self-closing row keeps end -1: it has no end tag to insert before.
                SheetRow &row = layout.rows.back();
                if (!QStringView(xml).mid(row.tag, row.tagLength).endsWith(u"/>"))
                    row.end = before;
            }
        }
    }
    if (r.hasError() || layout.dataEnd < 0)
        return std::nullopt;
    return layout;
}

QString fillXml(Color color) {
    return QStringLiteral("<fill><patternFill patternType=\"solid\"><fgColor rgb=\"FF%1\"/>"
                          "<bgColor indexed=\"64\"/></patternFill></fill>")
        .arg(QString::asprintf("%06X", unsigned(XlsxSupport::fillOf(color))));
}

QString cellRef(int row, int col) {
    return ColumnLetters(col) + QString::number(row);
}

// A cell's row and column from its A1 reference; nothing for anything else.
std::optional<std::pair<int, int>> cellOf(QStringView ref) {
    qint64 col = 0;
    qsizetype i = 0;
    for (; i < ref.size() && i < 4 && ref[i] >= u'A' && ref[i] <= u'Z'; ++i)
        col = col * 26 + (ref[i].unicode() - u'A' + 1);
    bool ok = false;
    const int row = ref.mid(i).toInt(&ok);
    if (!ok || i == 0 || !ref[i].isDigit() || !onWorksheet(row, col))
        return std::nullopt;
    return std::make_pair(row, int(col));
}

// The edit that widens the sheet's <dimension ref="A1:D9"> to cover the coloured cells; none
// when it already does, when the sheet has none, or when its range cannot be read.
std::optional<Edit> widenedDimension(const QString &sheet, const SheetLayout &layout,
                                     const QHash<quint64, Color> &colors) {
    if (layout.dimension < 0 || colors.isEmpty())
        return std::nullopt;
    const QString tag = sheet.mid(layout.dimension, layout.dimensionLength);
    static const QRegularExpression refPattern(QStringLiteral("\\sref=(\"|')([^\"']*)\\1"));
    const QStringList corners = refPattern.match(tag).captured(2).split(u':');
    const auto first = cellOf(corners.first());
    const auto last = corners.size() == 2 ? cellOf(corners.last()) : first;
    if (corners.size() > 2 || !first || !last)
        return std::nullopt;
    int top = first->first, left = first->second, bottom = last->first, right = last->second;
    for (auto it = colors.constBegin(); it != colors.constEnd(); ++it) {
        if (XlsxSupport::fillOf(it.value()) == XlsxSupport::NoFill)
            continue; // not coloured: no cell is added for it
        const int row = int(it.key() >> 32), col = int(it.key() & 0xFFFFFFFFu);
        top = std::min(top, row);
        left = std::min(left, col);
        bottom = std::max(bottom, row);
        right = std::max(right, col);
    }
    if (top == first->first && left == first->second && bottom == last->first &&
        right == last->second)
        return std::nullopt;
    const QString ref = cellRef(top, left) + u':' + cellRef(bottom, right);
    return Edit{layout.dimension, layout.dimensionLength,
                withAttribute(tag, QStringLiteral("ref"), ref)};
}

// The new texts of styles.xml and of the sheet part, or nothing when they cannot be edited.
std::optional<std::pair<QString, QString>> colouredParts(const QString &styles,
                                                         const QString &sheet,
                                                         const QHash<quint64, Color> &colors,
                                                         int zoomPercent) {
    const std::optional<StyleTable> table = readStyleTable(styles);
    const std::optional<SheetLayout> layout = readSheetLayout(sheet);
    if (!table || !layout)
        return std::nullopt;

    // Cells by row, row-major; each distinct colour becomes a fill, each distinct pair of a
    // cell format and a colour a new cell format.
    std::map<int, std::vector<std::pair<int, Color>>> byRow;
    for (auto it = colors.constBegin(); it != colors.constEnd(); ++it) {
        if (XlsxSupport::fillOf(it.value()) != XlsxSupport::NoFill)
            byRow[int(it.key() >> 32)].emplace_back(int(it.key() & 0xFFFFFFFFu), it.value());
    }
    std::map<Color, int> fillIds;
    std::map<std::pair<int, Color>, int> xfIds;
    const int xfCount = int(table->xfs.size());
    const auto styleFor = [&](int style, Color color) {
        if (style < 0 || style >= xfCount)
            style = 0;
        if (!fillIds.count(color)) {
            const int id = table->fillCount + int(fillIds.size());
            fillIds[color] = id;
        }
        const auto key = std::make_pair(style, color);
        if (!xfIds.count(key)) {
            const int id = xfCount + int(xfIds.size());
            xfIds[key] = id;
        }
        return QString::number(xfIds[key]);
    };

    std::vector<Edit> edits;
    std::map<qsizetype, Edit> inserts; // text added at an offset, in the order it comes
    const auto insert = [&](qsizetype offset, qsizetype length, const QString &text) {
        auto [it, added] = inserts.try_emplace(offset, Edit{offset, length, QString()});
        it->second.text += text;
    };
    for (auto &[rowNumber, cells] : byRow) {
        std::sort(cells.begin(), cells.end());
        const auto row =
            std::lower_bound(layout->rows.begin(), layout->rows.end(), rowNumber,
                             [](const SheetRow &r, int number) { return r.number < number; });
        if (row == layout->rows.end() || row->number != rowNumber) {
            // A row the sheet does not have: added before the next one.
            QString text = QStringLiteral("<row r=\"%1\">").arg(rowNumber);
            for (const auto &[col, color] : cells)
                text += QStringLiteral("<c r=\"%1\" s=\"%2\"/>")
                            .arg(cellRef(rowNumber, col), styleFor(0, color));
            insert(row == layout->rows.end() ? layout->dataEnd : row->tag, 0,
                   text + QStringLiteral("</row>"));
            continue;
        }
        QString appended; // cells after the row's last one
        for (const auto &[col, color] : cells) {
            const auto cell =
                std::lower_bound(row->cells.begin(), row->cells.end(), col,
                                 [](const SheetCell &c, int column) { return c.col < column; });
            if (cell != row->cells.end() && cell->col == col) {
                edits.push_back({cell->tag, cell->tagLength,
                                 withAttribute(sheet.mid(cell->tag, cell->tagLength),
                                               QStringLiteral("s"), styleFor(cell->style, color))});
                continue;
            }
            const QString text = QStringLiteral("<c r=\"%1\" s=\"%2\"/>")
                                     .arg(cellRef(rowNumber, col), styleFor(0, color));
            if (cell != row->cells.end())
                insert(cell->tag, 0, text);
            else
                appended += text;
        }
        if (appended.isEmpty())
            continue;
        if (row->end >= 0) // before </row>
            insert(row->end, 0, appended);
        else // a self-closing row opens up
            insert(row->tag + row->tagLength - 2, 2, u'>' + appended + QStringLiteral("</row>"));
    }
    for (auto &[offset, edit] : inserts)
        edits.push_back(std::move(edit));
    if (auto dimension = widenedDimension(sheet, *layout, colors))
        edits.push_back(std::move(*dimension));
    // The zoom the settings ask for, on the sheet's first view (or on a view of its own).
    if (zoomPercent >= 10 && zoomPercent <= 400) {
        const QString zoom = QString::number(zoomPercent);
        if (layout->view >= 0)
            edits.push_back({layout->view, layout->viewLength,
                             withAttribute(sheet.mid(layout->view, layout->viewLength),
                                           QStringLiteral("zoomScale"), zoom)});
        else if (layout->viewsAt >= 0)
            edits.push_back({layout->viewsAt, 0,
                             QStringLiteral("<sheetViews><sheetView zoomScale=\"%1\" "
                                            "workbookViewId=\"0\"/></sheetViews>")
                                 .arg(zoom)});
    }

    // The new fills and cell formats go at the end of their lists.
    std::vector<Edit> styleEdits;
    QString fills;
    std::vector<std::pair<int, Color>> byFill;
    for (const auto &[color, id] : fillIds)
        byFill.emplace_back(id, color);
    std::sort(byFill.begin(), byFill.end());
    for (const auto &[id, color] : byFill)
        fills += fillXml(color);
    std::vector<std::pair<int, std::pair<int, Color>>> byXf;
    for (const auto &[key, id] : xfIds)
        byXf.emplace_back(id, key);
    std::sort(byXf.begin(), byXf.end());
    QString xfs;
    for (const auto &[id, key] : byXf) {
        const auto [offset, length] = table->xfs[size_t(key.first)];
        QString xf = withAttribute(styles.mid(offset, length), QStringLiteral("fillId"),
                                   QString::number(fillIds[key.second]));
        xfs += withAttribute(xf, QStringLiteral("applyFill"), QStringLiteral("1"));
    }
    const auto countTag = [&](qsizetype tag, int count) {
        const qsizetype length = styles.indexOf(u'>', tag) - tag;
        styleEdits.push_back({tag, length,
                              withAttribute(styles.mid(tag, length), QStringLiteral("count"),
                                            QString::number(count))});
    };
    countTag(table->fillsTag, table->fillCount + int(fillIds.size()));
    countTag(table->xfsTag, xfCount + int(xfIds.size()));
    styleEdits.push_back({table->fillsEnd, 0, fills});
    styleEdits.push_back({table->xfsEnd, 0, xfs});
    return std::make_pair(applyEdits(styles, std::move(styleEdits)),
                          applyEdits(sheet, std::move(edits)));
}

} // namespace

WriteResult writeColouredPackage(const QString &source, const QString &sheetName,
                                 const QHash<quint64, Color> &colors, int zoomPercent,
                                 const QString &target) {
    ZipPackage zip;
    if (!zip.open(source))
        return WriteResult::failure(zip.errorText());
    const auto parts = partsOf(zip, sheetName);
    const auto styles = parts ? zip.read(parts->second) : std::nullopt;
    const auto sheet = parts ? zip.read(parts->first) : std::nullopt;
    zip.close();
    // The parts are read as UTF-8, which is what every writer of these packages uses.
    if (!styles || !sheet || styles->startsWith("\xFF\xFE") || sheet->startsWith("\xFF\xFE"))
        return WriteResult::failure(NotEditable);
    const auto edited =
        colouredParts(QString::fromUtf8(*styles), QString::fromUtf8(*sheet), colors, zoomPercent);
    if (!edited)
        return WriteResult::failure(NotEditable);
    const QByteArray newStyles = edited->first.toUtf8(), newSheet = edited->second.toUtf8();

    const WholeFile original = readWholeFile(source, qint64(1) << 30);
    if (!original.ok())
        return WriteResult::failure(original.reason());
    AtomicFile file(target);
    if (!file.open() || !file.write(original.bytes))
        return file.result();
    const QByteArray temp = nativePathBytes(file.handOver());
    int error = 0;
    zip_t *package = zip_open(temp.constData(), 0, &error);
    bool ok = package != nullptr;
    // Only the two parts are replaced; libzip copies every other entry as it is stored.
    for (const auto &[name, bytes] :
         {std::make_pair(parts->second, &newStyles), std::make_pair(parts->first, &newSheet)}) {
        if (!ok)
            break;
        const zip_int64_t index = zipIndexRead(package, name);
        zip_source_t *data =
            zip_source_buffer(package, bytes->constData(), zip_uint64_t(bytes->size()), 0);
        ok = index >= 0 && data && zip_file_replace(package, zip_uint64_t(index), data, 0) == 0;
        if (!ok)
            zip_source_free(data);
    }
    if (ok && zip_close(package) != 0)
        ok = false; // still open: discarded below
    else if (ok)
        package = nullptr;
    if (package)
        zip_discard(package);
    if (!ok) {
        file.cancel();
        return WriteResult::failure(NotEditable);
    }
    file.commit();
    return file.result();
}
