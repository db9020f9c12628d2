// The OpenDocument presentation reader (.odp) on a file with arbitrary content.
#include "FuzzSupport.h"

#include "encoding/OfficeDocument.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString path = FuzzSupport::writeInput(data, size, "odp");
    QString error;
    const std::optional<QString> text = readDocumentText(path, &error);
    if (!text && !error.startsWith(DocumentText::CannotRead))
        __builtin_trap(); // a refusal always says why
    return 0;
}
