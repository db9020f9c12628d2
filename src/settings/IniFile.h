#pragma once

#include <QString>

// Our own INI store for setting.ini (UTF-8, one section per program). Every call reads or
// writes the file at once; there is no cache, so a value written is seen by the next reader.
//
// Section and key names compare without regard to case. Values are single-line texts; a read
// trims surrounding blanks. A write changes only the one line it concerns and keeps every
// other line of the file byte for byte.
//
// The program spells no key itself: it goes through the typed Settings (settings/Settings.h).

// The section that holds every key of the program.
inline const QString SettingsSection = QStringLiteral("Corvane");

// Full path of the settings file: setting.ini beside the executable, or in the user's
// configuration folder for an installed program (platform/ProgramPlace.h).
QString gIniPath();

// The value of key, cut at its first NUL character; defaultValue when the file, the section or
// the key is missing.
QString fReadIni(const QString &section, const QString &key, const QString &iniPath,
                 const QString &defaultValue);

// The signed decimal number at the start of the value ("12abc" reads 12, "abc" or "" read 0,
// values beyond the int range clamp); defaultValue when the key is missing.
int readIniInt(const QString &section, const QString &key, int defaultValue,
               const QString &iniPath);

// Sets key to value, creating the file, the section and the key as needed. Returns false when
// the file could not be written, or when a name or the value would break the line structure
// (a line break, an empty key, "=" in the key, "]" in the section name).
bool writeIni(const QString &section, const QString &key, const QString &value,
              const QString &iniPath);
