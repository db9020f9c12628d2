// The .xls record reader on an arbitrary workbook stream, past the compound file that random
// bytes would rarely get through.
#include "FuzzSupport.h"

#include "sheet/XlsStreamParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray stream = FuzzSupport::bytes(data, size);
    for (const bool cells : {false, true}) {
        QString error;
        const std::optional<Workbook> book = parseXlsStream(stream, cells, &error);
        if (!book && error.isEmpty())
            __builtin_trap(); // a refusal always says why
        if (book) {
            for (const Sheet &sheet : book->sheets) {
                sheet.usedRangeAddress();
                for (const CellValue &value : sheet.cells)
                    sheet.numberFormat(value);
            }
        }
    }
    return 0;
}
