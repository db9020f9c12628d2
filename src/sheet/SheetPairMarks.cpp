#include "sheet/SheetPairMarks.h"

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

std::optional<QList<SheetPairMark>> markSheetPairs(const std::array<QString, 2> &paths,
                                                   const QList<SheetNamePair> &rows,
                                                   bool alignRows, QString *error,
                                                   const std::function<bool()> &stop) {
    Workbook books[2];
    for (int side = 0; side < 2; ++side) {
        std::optional<Workbook> book = readWorkbook(paths[size_t(side)], true, error, stop);
        if (!book)
            return std::nullopt;
        books[side] = std::move(*book);
    }
    QList<SheetPairMark> marks;
    marks.reserve(rows.size());
    const std::array<Color, 3> noColours{};
    for (const SheetNamePair &row : rows) {
        if (stop && stop())
            return std::nullopt;
        const Sheet *left = row[0].isEmpty() ? nullptr : findSheet(books[0], row[0]);
        const Sheet *right = row[1].isEmpty() ? nullptr : findSheet(books[1], row[1]);
        if (!left || !right) {
            marks << SheetPairMark::None;
            continue;
        }
        const SheetComparison comparison = compareSheets(*left, *right, noColours, alignRows, stop);
        if (comparison.stopped)
            return std::nullopt;
        marks << (comparison.changedCells > 0 ? SheetPairMark::Differs : SheetPairMark::Same);
    }
    return marks;
}
