#pragma once

#include "platform/NativePath.h"

#include <QStringList>

#include <fcntl.h>
#include <unistd.h>

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

// A file's whole bytes by its exact name, or "<missing>" when it cannot be opened.
inline QByteArray readNative(const QString &path) {
    const int fd = ::open(encodeNativeName(path).constData(), O_RDONLY);
    if (fd < 0)
        return "<missing>";
    QByteArray all;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        all.append(buffer, n);
    ::close(fd);
    return all;
}
