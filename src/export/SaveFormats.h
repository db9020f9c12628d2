#pragma once

#include <QString>
#include <QStringList>

#include <span>

// Output types of the save command, numbered as the save dialog's filter list.
enum SaveType {
    SaveTypeHtml = 1,
    SaveTypeXls = 2,
    SaveTypeXlsx = 3,
    SaveTypeCsvAnsi = 4,
    SaveTypeCsvUtf8 = 5,
    SaveTypeUnifiedDiff = 6, // the compared files themselves, as diff -u writes them
};

// One output type: how the save dialog offers it and which output names ask for it.
struct SaveFormat {
    SaveType type;
    QString caption;   // the save dialog's filter
    QString extension; // appended to a name chosen in the dialog that does not end with it
    QStringList names; // lower-cased extensions of an output path that ask for this type
};

// Every output type, in the order of the save dialog's filter list (type k is entry k - 1).
std::span<const SaveFormat> saveFormats();

// The output type for a path given without the dialog (batch runs): by its extension in lower
// case; anything unknown is written as UTF-8 CSV.
SaveType saveTypeOf(const QString &path);

// The name a file chosen in the save dialog with `type` is written under: the type's extension
// is appended unless the name ends with it (exactly). A unified diff also keeps a name that
// asks for one in any case (.patch, .DIFF).
QString savedFileName(const QString &chosen, SaveType type);
