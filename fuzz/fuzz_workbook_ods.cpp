// The .ods workbook reader on a file with arbitrary content.
#include "WorkbookFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    return fuzzWorkbook(data, size, "ods");
}
