#include "app/ComparisonOptions.h"

#include "settings/IniFile.h"

void sLoadComparisonOptions(Workspace &ws, const QString &iniPath) {
    auto readInt = [&](const char *key, int defaultValue) {
        return fReadIniInt(SettingsSection, QString::fromLatin1(key), defaultValue, iniPath);
    };
    ws.OnlyDF = readInt("OnlyDF", 0) != 0;
    ws.Binary = readInt("Binary", 0) != 0;
    ws.Csv = readInt("Csv", 0) != 0;
    ws.txtState[0] = Color(readInt("Color0", int(Workspace::DefaultChangedColor)));
    ws.txtState[1] = Color(readInt("Color1", int(Workspace::DefaultAddedColor)));
    ws.txtState[2] = Color(readInt("Color2", int(Workspace::DefaultDeletedColor)));
    ws.ignoreCase = readInt("Letter", 0) != 0;
    ws.folderContentMode = readInt("FFile", 0);
}
