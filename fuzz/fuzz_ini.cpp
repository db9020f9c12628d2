// setting.ini as any editor (or damage) may leave it: reads, then a write that must keep the
// file readable and give back what was written.
#include "FuzzSupport.h"

#include "settings/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString path = FuzzSupport::writeInput(data, size, "ini");
    static const char *const keys[] = {"OnlyDF", "Letter", "Color0", "Combo", "History01", "x"};
    for (const char *key : keys) {
        fReadIni(SettingsSection, QLatin1String(key), path, QStringLiteral("default"));
        readIniInt(SettingsSection, QLatin1String(key), -7, path);
        readIniInt(QStringLiteral("other"), QLatin1String(key), 3, path);
    }
    const QString value = QStringLiteral("written value");
    if (writeIni(SettingsSection, QStringLiteral("Letter"), value, path)) {
        if (fReadIni(SettingsSection, QStringLiteral("letter"), path, QString()) != value)
            __builtin_trap(); // a successful write is what the next read sees
    }
    return 0;
}
