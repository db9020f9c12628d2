#pragma once

// The workbook readers on a file with arbitrary content: names and ranges only, then every
// cell. Shared by the .csv, .ods, .xls and .xlsx targets.
#include "FuzzSupport.h"

#include "sheet/Workbook.h"

inline int fuzzWorkbook(const uint8_t *data, size_t size, const char *extension) {
    const QString path = FuzzSupport::writeInput(data, size, extension);
    for (const bool cells : {false, true}) {
        QString error;
        const std::optional<Workbook> book = readWorkbook(path, cells, &error);
        if (!book && error.isEmpty())
            __builtin_trap(); // a refusal always says why
        if (book) {
            for (const Sheet &sheet : book->sheets) {
                sheet.usedRangeAddress();
                for (const CellValue &value : sheet.cells)
                    value.displayText();
            }
        }
    }
    return 0;
}
