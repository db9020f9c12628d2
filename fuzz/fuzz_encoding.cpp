// Encoding detection and every decoder on arbitrary bytes.
#include "FuzzSupport.h"

#include "encoding/Charset.h"
#include "encoding/DetectEncoding.h"

#include <QStringList>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes = FuzzSupport::bytes(data, size);
    const QString detected = DetectEncoding(bytes);
    static const QStringList names = {EncodingName::Sjis, EncodingName::Jis,
                                      EncodingName::Euc,  EncodingName::Utf8,
                                      EncodingName::Utf7, EncodingName::Unicode};
    if (!names.contains(detected))
        __builtin_trap(); // detection answers with one of the six names only
    for (const QString &name : names) {
        const QString text = DecodeByName(name, bytes);
        if (text.contains(QLatin1Char('\r')))
            __builtin_trap(); // every line end is LF after decoding
    }
    return 0;
}
