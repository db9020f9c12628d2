#pragma once

#include "sheet/Workbook.h"

#include <QString>

// A cell's value as the spreadsheet application shows it through its number format: dates
// and times (2024/5/4, 13:05), percentages, thousands separators, fixed decimals, exponents,
// literal texts, the section for negative numbers and zero, Japanese eras and weekdays.
// General (an empty format) shows numbers in their shortest exact form, so that two different
// numbers never look alike; booleans are TRUE/FALSE, errors and texts as they are. Colours and
// conditions of a format are not applied; fractions show as General.
QString formattedText(const CellValue &value, const QString &format);

// The same for a cell of a sheet, with the sheet's format texts.
inline QString formattedText(const Sheet &sheet, const CellValue &value) {
    return formattedText(value, sheet.numberFormat(value));
}

// The value as the cell shows it and, when the format hides part of it, as it is held in
// brackets ("2024/04/28 [45410]"), so that a changed date or rounded number can be seen.
QString shownAndHeldText(const Sheet &sheet, const CellValue &value);
