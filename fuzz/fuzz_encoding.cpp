// Encoding detection and every decoder on arbitrary bytes.
#include "FuzzSupport.h"

#include "encoding/Charset.h"
#include "encoding/DetectEncoding.h"
#include "encoding/EncodingNames.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes = FuzzSupport::bytes(data, size);
    const QString detected = DetectEncoding(bytes);
    if (!findEncoding(detected))
        __builtin_trap(); // detection answers with a name of the encoding table only
    for (const EncodingInfo &encoding : knownEncodings()) {
        const QString text = decodeByName(encoding.name, bytes);
        if (text.contains(QLatin1Char('\r')))
            __builtin_trap(); // every line end is LF after decoding
    }
    return 0;
}
