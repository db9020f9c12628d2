#pragma once

#include "platform/NativePath.h"

#include <QStringList>

// The names a folder holds, sorted (names that are not UTF-8 included).
inline QStringList namesIn(const QString &folder) {
    QStringList names;
    listFolder(folder, [&](const QString &name) {
        names << name;
        return true;
    });
    names.sort();
    return names;
}
