// The scrambled history values of setting.ini, hand-edited or damaged.
#include "FuzzSupport.h"

#include "settings/SettingCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString text = QString::fromUtf8(FuzzSupport::bytes(data, size));
    fDecodeSetting(text);
    if (fDecodeSetting(fEncodeSetting(text)) != text)
        __builtin_trap(); // encoding loses nothing
    return 0;
}
