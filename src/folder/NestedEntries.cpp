#include "folder/NestedEntries.h"

#include "folder/FileOperationTexts.h"

#include "platform/NativePath.h"

#include <QSet>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>

using namespace FileOperationTexts;

bool isRelativeEntryPath(const QString &path) {
    if (path.isEmpty() || path.contains(QChar(0)))
        return false;
    for (const QStringView part : QStringView(path).split(QLatin1Char('/'))) {
        if (part.isEmpty() || part == u"." || part == u"..")
            return false;
    }
    return true;
}

QString relativeParentOf(const QString &path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.left(slash);
}

QStringList outermostEntries(const QStringList &paths) {
    const QSet<QString> listed(paths.begin(), paths.end());
    QSet<QString> kept;
    QStringList result;
    for (const QString &path : paths) {
        if (kept.contains(path))
            continue;
        bool inside = false;
        if (isRelativeEntryPath(path)) {
            for (qsizetype slash = path.indexOf(QLatin1Char('/')); slash > 0 && !inside;
                 slash = path.indexOf(QLatin1Char('/'), slash + 1))
                inside = listed.contains(path.left(slash));
        }
        if (inside)
            continue;
        kept.insert(path);
        result << path;
    }
    return result;
}

QString checkRealFolders(const QString &root, const QString &parent, const QString &linkReason) {
    if (parent.isEmpty())
        return QString();
    QString rel;
    for (const QString &part : parent.split(QLatin1Char('/'))) {
        rel = rel.isEmpty() ? part : rel + QLatin1Char('/') + part;
        struct stat st {};
        if (::lstat(nativePathBytes(fJoinPath(root, rel)).constData(), &st) != 0)
            return NotFound + QStringLiteral(" (") + QString::fromLocal8Bit(std::strerror(errno)) +
                   QStringLiteral("): ") + rel;
        if (S_ISLNK(st.st_mode))
            return linkReason + rel;
        if (!S_ISDIR(st.st_mode))
            return NotAFolder + rel;
    }
    return QString();
}
