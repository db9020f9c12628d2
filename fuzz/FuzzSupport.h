#pragma once

// Shared pieces of the fuzz targets: a private scratch folder for readers that take a path.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace FuzzSupport {

// The process's scratch folder, removed at exit.
inline QTemporaryDir &scratch() {
    static QTemporaryDir dir;
    return dir;
}

// Writes the input to <scratch>/input.<extension> and returns the path.
inline QString writeInput(const uint8_t *data, size_t size, const char *extension) {
    const QString path = scratch().filePath(QStringLiteral("input.") + QLatin1String(extension));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        __builtin_trap(); // the harness itself is broken
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    file.close();
    return path;
}

inline QByteArray bytes(const uint8_t *data, size_t size) {
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

} // namespace FuzzSupport
