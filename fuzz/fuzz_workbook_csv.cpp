// The .csv workbook reader on a file with arbitrary content: names and ranges only, then
// every cell.
#include "FuzzSupport.h"

#include "sheet/Workbook.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString path = FuzzSupport::writeInput(data, size, "csv");
    for (const bool cells : {false, true}) {
        QString error;
        const std::optional<Workbook> book = fReadWorkbook(path, cells, &error);
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
