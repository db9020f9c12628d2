#pragma once

#include "sheet/SheetRowAlignment.h"
#include "sheet/Workbook.h"

#include <QList>
#include <QString>

#include <array>
#include <functional>
#include <optional>

// Whether a facing pair of sheets of the two sheet lists differs; Unpaired when the two have
// different names, so that each is a sheet only its own book has (as a workbook report counts
// them), unless both books hold one sheet alone.
enum class SheetPairMark { None, Same, Differs, Unpaired };

// The sheet names of one row of the two lists; an empty name is a gap on that side.
using SheetNamePair = std::array<QString, 2>;

// Reads two workbooks whole, at the same time on two threads. Nothing, with *error naming the
// cause and the file, when one cannot be read or stop (may be empty) answered true.
std::optional<std::array<Workbook, 2>> readWorkbookPair(const std::array<QString, 2> &paths,
                                                        QString *error,
                                                        const std::function<bool()> &stop = {});

// Reads both workbooks whole and compares each row's pair of sheets cell by cell (rows aligned
// by their contents with alignRows; cells by rules). A row with a gap on either side, or naming a
// sheet the book lacks, is None. Nothing when a workbook cannot be read (*error says why) or stop
// (may be empty) answered true.
std::optional<QList<SheetPairMark>> markSheetPairs(const std::array<QString, 2> &paths,
                                                   const QList<SheetNamePair> &rows, bool alignRows,
                                                   QString *error,
                                                   const std::function<bool()> &stop = {},
                                                   const SheetCompareRules &rules = {});
