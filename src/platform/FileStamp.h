#pragma once

#include <QDateTime>
#include <QString>

// A file's modification time to the nanosecond, as diff writes it into a header.
struct FileStamp {
    QDateTime local;     // to the second, local time
    int nanoseconds = 0; // the part below a second
};

// False when the path cannot be examined.
bool modificationStamp(const QString &path, FileStamp *out);
