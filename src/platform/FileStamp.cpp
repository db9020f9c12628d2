#include "platform/FileStamp.h"

#include "platform/NativePath.h"

#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

bool modificationStamp(const QString &path, FileStamp *out) {
#ifdef Q_OS_UNIX
    struct stat st {};
    if (::stat(encodeNativeName(path).constData(), &st) != 0)
        return false;
    out->local = QDateTime::fromSecsSinceEpoch(qint64(st.st_mtim.tv_sec), Qt::LocalTime);
    out->nanoseconds = int(st.st_mtim.tv_nsec);
    return true;
#else
    const QFileInfo info(path);
    if (!info.exists())
        return false;
    const qint64 ms = info.lastModified().toMSecsSinceEpoch();
    out->local = QDateTime::fromSecsSinceEpoch(ms / 1000, Qt::LocalTime);
    out->nanoseconds = int(ms % 1000) * 1000000;
    return true;
#endif
}
