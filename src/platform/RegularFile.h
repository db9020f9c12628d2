#pragma once

#include "platform/NativePath.h"

#include <QString>

// A regular file opened for reading with as few system calls as can be, for comparing many
// small files; anything else (a folder, a pipe, a device) is refused. Closed by the destructor.
class RegularFile {
public:
    RegularFile() = default;
    ~RegularFile();
    RegularFile(const RegularFile &) = delete;
    RegularFile &operator=(const RegularFile &) = delete;

    // False when the path cannot be opened or is not a regular file.
    bool open(const QString &path);
    // Fills up to maxSize bytes (fewer only at the end of the file). Returns the count, 0 at
    // the end, -1 on an error.
    qint64 read(char *data, qint64 maxSize);

private:
#ifdef Q_OS_UNIX
    int m_fd = -1;
#else
    NativeFile m_file;
#endif
};
