// The RTF reader on arbitrary bytes, with and without the signature that lets it start.
#include "FuzzSupport.h"

#include "encoding/RichTextDocument.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes = FuzzSupport::bytes(data, size);
    for (const QByteArray &input : {bytes, QByteArrayLiteral("{\\rtf1") + bytes}) {
        QString text, reason;
        if (!readRichText(input, &text, &reason) && reason.isEmpty())
            __builtin_trap(); // a refusal always says why
    }
    return 0;
}
