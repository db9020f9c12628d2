#pragma once

#include "sheet/Workbook.h"

#include <QByteArrayView>

#include <functional>
#include <optional>

// Reads the workbook stream of a legacy .xls file (the BIFF8 records inside its compound
// file, or the BIFF5 ones of 1993 to 1997): the sheets in order with their used ranges and,
// with cells = true, every cell's value (formulas by their last calculated result) and number
// format. Returns nothing and sets *error when the stream is damaged, encrypted, of an older
// version or too large; stop (may be empty) is asked every few thousand records.
std::optional<Workbook> parseXlsStream(QByteArrayView stream, bool cells, QString *error,
                                       const std::function<bool()> &stop = {});
