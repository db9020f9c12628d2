#include "folder/DesktopTrash.h"

#include "folder/FileOperationTexts.h"

#include "platform/NativePath.h"

#include <QDateTime>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace FileOperationTexts;

constexpr int MaxTrashNames = 10000;    // numbered names tried beside an existing trashed one
constexpr qsizetype MaxBaseBytes = 200; // room for a number and ".trashinfo" within NAME_MAX

QString withErrno(const QString &what, int error) {
    return what + QStringLiteral(" (") + QString::fromLocal8Bit(std::strerror(error)) +
           QLatin1Char(')');
}

bool lstatPath(const QString &path, struct stat *st) {
    return ::lstat(nativePathBytes(path).constData(), st) == 0;
}

// The path with every link and "." / ".." resolved; empty when it does not exist.
QString canonical(const QString &path) {
    char *resolved = ::realpath(nativePathBytes(path).constData(), nullptr);
    if (!resolved)
        return QString();
    const QString result = decodeNativeName(QByteArray(resolved));
    std::free(resolved);
    return result;
}

// A real folder (never a link) that exists or was just made, private to its owner.
bool makeFolder(const QString &path) {
    if (::mkdir(nativePathBytes(path).constData(), 0700) == 0)
        return true;
    if (errno != EEXIST)
        return false;
    struct stat st {};
    return lstatPath(path, &st) && S_ISDIR(st.st_mode);
}

bool makeFolderPath(const QString &path) {
    if (makeFolder(path))
        return true;
    if (errno != ENOENT)
        return false;
    const QString parent = parentFolderOf(path);
    return parent != path && makeFolderPath(parent) && makeFolder(path);
}

bool isOwnRealFolder(const QString &path) {
    struct stat st {};
    return lstatPath(path, &st) && S_ISDIR(st.st_mode) && st.st_uid == ::getuid();
}

bool prepareTrash(const QString &trash) {
    return makeFolder(fJoinPath(trash, QStringLiteral("files"))) &&
           makeFolder(fJoinPath(trash, QStringLiteral("info")));
}

QString homeTrash() {
    QString data = decodeNativeName(qgetenv("XDG_DATA_HOME"));
    if (!data.startsWith(QLatin1Char('/'))) // relative or empty values are to be ignored
        data = decodeNativeName(qgetenv("HOME")) + QStringLiteral("/.local/share");
    return fJoinPath(data, QStringLiteral("Trash"));
}

// Device of the nearest existing folder on the way up to the root.
bool deviceOf(QString path, dev_t *device) {
    struct stat st {};
    while (!path.isEmpty()) {
        if (::stat(nativePathBytes(path).constData(), &st) == 0) {
            *device = st.st_dev;
            return true;
        }
        const QString parent = parentFolderOf(path);
        if (parent == path)
            break;
        path = parent;
    }
    return false;
}

// The highest folder above path (itself included) on the same file system.
QString mountTopOf(const QString &folder, dev_t device) {
    QString top = canonical(folder);
    if (top.isEmpty())
        return QString();
    while (top != QStringLiteral("/")) {
        const QString up = parentFolderOf(top);
        struct stat st {};
        if (::stat(nativePathBytes(up).constData(), &st) != 0 || st.st_dev != device)
            break;
        top = up;
    }
    return top;
}

QString ownTrashName() {
    return QStringLiteral(".Trash-") + QString::number(::getuid());
}

// The name cut to at most MaxBaseBytes without splitting a UTF-8 sequence.
QByteArray shortenedBase(QByteArray base) {
    if (base.size() <= MaxBaseBytes)
        return base;
    qsizetype end = MaxBaseBytes;
    while (end > 0 && (uchar(base.at(end)) & 0xC0) == 0x80)
        --end;
    base.truncate(end > 0 ? end : MaxBaseBytes);
    return base;
}

bool writeAll(int fd, const QByteArray &data) {
    const char *p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

// The info file's text: Path= holds the path's bytes percent-encoded (a newline, "%" or a
// byte that is not UTF-8 included), so a desktop reads it back exactly.
QByteArray trashInfo(const QByteArray &recordedPath) {
    const QByteArray when =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")).toLatin1();
    return "[Trash Info]\nPath=" + recordedPath.toPercentEncoding("/") + "\nDeletionDate=" + when +
           "\n";
}

} // namespace

TrashPlace mountTrash(const QString &topFolder) {
    const QString uid = QString::number(::getuid());
    // An administrator's shared .Trash counts only when it is a real, sticky folder, and the
    // user's folder in it only when it is the user's own.
    struct stat st {};
    const QString shared = fJoinPath(topFolder, QStringLiteral(".Trash"));
    if (lstatPath(shared, &st) && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)) {
        const QString own = fJoinPath(shared, uid);
        if (makeFolder(own) && isOwnRealFolder(own) && prepareTrash(own))
            return {own, topFolder};
    }
    const QString own = fJoinPath(topFolder, ownTrashName());
    if (makeFolder(own) && isOwnRealFolder(own) && prepareTrash(own))
        return {own, topFolder};
    return {};
}

TrashPlace trashPlaceFor(const QString &path) {
    struct stat entry {};
    if (!lstatPath(path, &entry))
        return {};
    const QString home = homeTrash();
    dev_t homeDevice = 0;
    if (deviceOf(home, &homeDevice) && homeDevice == entry.st_dev) {
        if (makeFolderPath(home) && prepareTrash(home))
            return {home, QString()};
        return {};
    }
    const QString top = mountTopOf(parentFolderOf(path), entry.st_dev);
    return top.isEmpty() ? TrashPlace{} : mountTrash(top);
}

bool moveIntoTrash(const QString &path, const TrashPlace &place, QString *reason) {
    const QString absolute = fJoinPath(canonical(parentFolderOf(path)), lastNameOf(path));
    QByteArray recorded = nativePathBytes(absolute);
    if (!place.topFolder.isEmpty()) {
        // In a mount point's trash the path is kept relative to that mount point.
        const QByteArray top = nativePathBytes(place.topFolder);
        recorded = recorded.mid(top.endsWith('/') ? top.size() : top.size() + 1);
    }
    const QByteArray info = trashInfo(recorded);
    const QByteArray base = shortenedBase(nativePathBytes(lastNameOf(path)));
    const QByteArray filesDir = nativePathBytes(fJoinPath(place.folder, QStringLiteral("files")));
    const QByteArray infoDir = nativePathBytes(fJoinPath(place.folder, QStringLiteral("info")));
    for (int n = 1; n <= MaxTrashNames; ++n) {
        const QByteArray name = n == 1 ? base : base + '.' + QByteArray::number(n);
        const QByteArray infoPath = infoDir + '/' + name + ".trashinfo";
        const QByteArray target = filesDir + '/' + name;
        const int fd = ::open(infoPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            *reason = withErrno(NoTrash, errno);
            return false;
        }
        struct stat st {};
        if (::lstat(target.constData(), &st) == 0) { // a leftover without its info file
            ::close(fd);
            ::unlink(infoPath.constData());
            continue;
        }
        const bool written = writeAll(fd, info) && ::fsync(fd) == 0;
        const int writeError = errno;
        ::close(fd);
        if (!written) {
            ::unlink(infoPath.constData());
            *reason = withErrno(NoTrash, writeError);
            return false;
        }
        if (::rename(nativePathBytes(path).constData(), target.constData()) != 0) {
            const int error = errno;
            ::unlink(infoPath.constData());
            *reason = withErrno(QStringLiteral("ごみ箱へ移動できません"), error);
            return false;
        }
        return true;
    }
    *reason = NoTrash;
    return false;
}

bool isOwnMountTrash(const QString &folder, const QString &name) {
    // Asked of every entry listed: the cheap test first.
    if (!name.startsWith(u".Trash-") || name != ownTrashName())
        return false;
    struct stat here {
    }, up{};
    const QByteArray path = nativePathBytes(folder);
    if (::stat(path.constData(), &here) != 0 ||
        ::stat((path.endsWith('/') ? path + ".." : path + "/..").constData(), &up) != 0)
        return false;
    // A mount point lies on another device than its parent; the root is its own parent.
    return here.st_dev != up.st_dev || here.st_ino == up.st_ino;
}
