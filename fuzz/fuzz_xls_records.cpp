// The .xls record reader on an arbitrary workbook stream, past the compound file that random
// bytes would rarely get through; and the formula token decoder on the same bytes.
#include "FuzzSupport.h"

#include "sheet/XlsFormula.h"
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
                for (const QString &formula : sheet.formulas)
                    if (formula.isEmpty())
                        __builtin_trap(); // a formula without a text is left out
            }
        }
    }
    // The bytes as the tokens of a formula, plain and shared.
    const QStringList externSheets{QStringLiteral("Sheet1"), QString()};
    for (const bool shared : {false, true})
        xlsFormulaText(stream, {int(size % 65536), int(size % 256), shared, &externSheets});
    return 0;
}
