#pragma once

#include <QString>

// Number formats that workbooks name by number only, and what a format text says about the
// values it shows.
namespace NumberFormats {

// The format text of a built-in format number, as the Japanese edition of the spreadsheet
// application shows it (14 is "yyyy/m/d"); empty for General and for numbers it does not
// know (a workbook that uses those writes their text itself).
QString builtin(int id);

// True when the format shows a number as a calendar date (it has year, day or era codes, or a
// month name); times of day alone are not dates.
bool isDate(const QString &format);

} // namespace NumberFormats
