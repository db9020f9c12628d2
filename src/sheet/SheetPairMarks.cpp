#include "sheet/SheetPairMarks.h"

#include "platform/Background.h"
#include "sheet/CompareSheets.h"

#include <utility>

namespace {

const Sheet *findSheet(const Workbook &book, const QString &name) {
    for (const Sheet &sheet : book.sheets) {
        if (sheet.name == name)
            return &sheet;
    }
    return nullptr;
}

} // namespace

std::optional<std::array<Workbook, 2>> readWorkbookPair(const std::array<QString, 2> &paths,
                                                        QString *error,
                                                        const std::function<bool()> &stop) {
    QString errors[2];
    std::optional<Workbook> books[2];
    // The right book on a thread of its own: reading is most of the time of a comparison.
    Background::Half<void> right =
        Background::split([&] { books[1] = readWorkbook(paths[1], true, &errors[1], stop); });
    books[0] = readWorkbook(paths[0], true, &errors[0], stop);
    right.get();
    for (int side = 0; side < 2; ++side) {
        if (!books[side]) {
            if (error)
                *error = errors[side] + QStringLiteral(": ") + paths[size_t(side)];
            return std::nullopt;
        }
    }
    return std::array<Workbook, 2>{std::move(*books[0]), std::move(*books[1])};
}

std::optional<QList<SheetPairMark>> markSheetPairs(const std::array<QString, 2> &paths,
                                                   const QList<SheetNamePair> &rows, bool alignRows,
                                                   QString *error,
                                                   const std::function<bool()> &stop,
                                                   const SheetCompareRules &rules) {
    std::optional<std::array<Workbook, 2>> books = readWorkbookPair(paths, error, stop);
    if (!books)
        return std::nullopt;
    QList<SheetPairMark> marks;
    marks.reserve(rows.size());
    const std::array<Color, 3> noColours{};
    const bool single = (*books)[0].sheets.size() == 1 && (*books)[1].sheets.size() == 1;
    for (const SheetNamePair &row : rows) {
        if (stop && stop())
            return std::nullopt;
        const Sheet *left = row[0].isEmpty() ? nullptr : findSheet((*books)[0], row[0]);
        const Sheet *right = row[1].isEmpty() ? nullptr : findSheet((*books)[1], row[1]);
        if (!left || !right) {
            marks << SheetPairMark::None;
            continue;
        }
        if (row[0] != row[1] && !single) {
            marks << SheetPairMark::Unpaired;
            continue;
        }
        const SheetComparison comparison =
            compareSheets(*left, *right, noColours, alignRows, stop, rules);
        if (comparison.stopped)
            return std::nullopt;
        marks << (comparison.changedCells > 0 ? SheetPairMark::Differs : SheetPairMark::Same);
    }
    return marks;
}
