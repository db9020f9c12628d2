#include "platform/SameFile.h"

#include "platform/NativePath.h"

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#else
#include <QFileInfo>
#endif

bool isSameFileOnDisk(const QString &a, const QString &b) {
    if (a.isEmpty() || b.isEmpty())
        return false;
#ifdef Q_OS_UNIX
    // The device and inode numbers identify a file whatever path leads to it.
    struct stat first {};
    struct stat second {};
    return ::stat(nativePathBytes(a).constData(), &first) == 0 &&
           ::stat(nativePathBytes(b).constData(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
#else
    const QString canonical = QFileInfo(a).canonicalFilePath();
    return !canonical.isEmpty() &&
           canonical.compare(QFileInfo(b).canonicalFilePath(), Qt::CaseInsensitive) == 0;
#endif
}
