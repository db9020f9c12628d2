#include "folder/FileOperations.h"

#include "folder/DesktopTrash.h"
#include "folder/FileOperationTexts.h"
#include "folder/NestedEntries.h"

#include "platform/AtomicFile.h"
#include "platform/NativePath.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace FileOperationTexts;

constexpr qint64 ChunkSize = 1 << 20;
constexpr int MaxDepth = 256; // below this a tree is taken for a mount loop

QString errnoText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QString withReason(const QString &what, const QString &reason) {
    return what + QStringLiteral(" (") + reason + QLatin1Char(')');
}

QString withErrno(const QString &what, int error) {
    return withReason(what, errnoText(error));
}

QByteArray nativePath(const QString &path) {
    return encodeNativeName(path);
}

bool lstatPath(const QString &path, struct stat *st) {
    return ::lstat(nativePath(path).constData(), st) == 0;
}

// The path with every link and "." / ".." resolved; empty when it does not exist.
QString canonical(const QString &path) {
    char *resolved = ::realpath(nativePath(path).constData(), nullptr);
    if (!resolved)
        return QString();
    const QString result = decodeNativeName(QByteArray(resolved));
    std::free(resolved);
    return result;
}

bool isInside(const QString &path, const QString &folder) {
    if (path == folder)
        return true;
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    return path.startsWith(prefix);
}

class Copier {
public:
    Copier(const FileOperationProgress &progress, FileAccess &access)
        : m_progress(progress), m_access(access) {}

    FileOperationResult result;
    quint64 totalBytes = 0;

    // Sum of the regular files' sizes below a path, for the progress display.
    static quint64 measure(const QString &path, int depth = 0) {
        struct stat st {};
        if (!lstatPath(path, &st))
            return 0;
        if (S_ISREG(st.st_mode))
            return quint64(st.st_size);
        if (!S_ISDIR(st.st_mode) || depth > MaxDepth)
            return 0;
        quint64 sum = 0;
        listFolder(path, [&](const QString &name) {
            sum += measure(fJoinPath(path, name), depth + 1);
            return true;
        });
        return sum;
    }

    // Copies one entry; false when it or something below it failed or the user cancelled.
    bool copyEntry(const QString &source, const QString &destination, const QString &rel,
                   int depth) {
        if (result.cancelled)
            return false;
        struct stat st {};
        if (!lstatPath(source, &st))
            return fail(rel, withErrno(NotFound, errno));
        if (S_ISLNK(st.st_mode))
            return copyLink(source, destination, rel, st);
        if (S_ISREG(st.st_mode))
            return copyFile(source, destination, rel, st);
        if (S_ISDIR(st.st_mode))
            return copyFolder(source, destination, rel, st, depth);
        return fail(rel, SpecialFile); // reading a fifo or a device could block for ever
    }

    bool fail(const QString &rel, const QString &reason) {
        result.failures.append({rel, reason});
        return false;
    }

private:
    bool report(const QString &rel) {
        if (m_progress && !m_progress(m_doneBytes, totalBytes, rel))
            result.cancelled = true;
        return !result.cancelled;
    }

    // What already stands at the destination decides whether a file may replace it.
    bool destinationTakesFile(const QString &destination, const QString &rel) {
        struct stat dst {};
        if (lstatPath(destination, &dst) && S_ISDIR(dst.st_mode))
            return fail(rel, FileOverFolder);
        return true;
    }

    bool copyFile(const QString &source, const QString &destination, const QString &rel,
                  const struct stat &st) {
        if (!report(rel))
            return false;
        if (!destinationTakesFile(destination, rel))
            return false;
        const int in = ::open(nativePath(source).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (in < 0)
            return fail(rel, withErrno(QStringLiteral("読み込めません"), errno));
        // A link standing at the destination is replaced, never followed.
        AtomicFile out(destination, AtomicFile::Links::Replace, m_access);
        out.setKeepTargetPermissions(false);
        if (!out.open()) {
            ::close(in);
            return fail(rel, withReason(QStringLiteral("書き込めません"), out.errorText()));
        }
        QString failure;
        std::vector<char> buffer(static_cast<size_t>(ChunkSize));
        while (failure.isEmpty()) {
            const ssize_t n = ::read(in, buffer.data(), buffer.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                failure = withErrno(QStringLiteral("読み込めません"), errno);
                break;
            }
            if (n == 0)
                break;
            if (!out.write(QByteArrayView(buffer.data(), n))) {
                failure = withReason(QStringLiteral("書き込めません"), out.errorText());
                break;
            }
            m_doneBytes += quint64(n);
            if (!report(rel))
                break;
        }
        ::close(in);
        if (!failure.isEmpty() || result.cancelled) {
            out.cancel();
            return failure.isEmpty() ? false : fail(rel, failure);
        }
        // Permissions and times as the source has them, so the copy compares equal.
        ::fchmod(out.descriptor(), st.st_mode & 0777);
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        ::futimens(out.descriptor(), times);
        if (!out.commit()) {
            const QString what = out.failedStep() == AtomicFile::Step::Rename
                                     ? QStringLiteral("置き換えられません")
                                     : QStringLiteral("書き込めません");
            return fail(rel, withReason(what, out.errorText()));
        }
        return true;
    }

    bool copyLink(const QString &source, const QString &destination, const QString &rel,
                  const struct stat &st) {
        if (!report(rel))
            return false;
        if (!destinationTakesFile(destination, rel))
            return false;
        // The link's own text; it is never resolved, so a link loop costs nothing.
        QByteArray target(qsizetype(std::max<off_t>(st.st_size, 64)) + 1, '\0');
        ssize_t n = -1;
        while (true) {
            n = ::readlink(nativePath(source).constData(), target.data(), size_t(target.size()));
            if (n < 0)
                return fail(rel, withErrno(QStringLiteral("読み込めません"), errno));
            if (n < target.size())
                break;
            target.resize(target.size() * 2);
        }
        target.truncate(n);
        static std::atomic<unsigned> counter{0};
        const QString temp = fJoinPath(
            parentFolderOf(destination),
            QStringLiteral(".corvane-%1-l%2.tmp").arg(::getpid()).arg(counter.fetch_add(1)));
        if (::symlink(target.constData(), nativePath(temp).constData()) != 0)
            return fail(rel, withErrno(QStringLiteral("書き込めません"), errno));
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        ::utimensat(AT_FDCWD, nativePath(temp).constData(), times, AT_SYMLINK_NOFOLLOW);
        if (::rename(nativePath(temp).constData(), nativePath(destination).constData()) != 0) {
            const int error = errno;
            ::unlink(nativePath(temp).constData());
            return fail(rel, withErrno(QStringLiteral("置き換えられません"), error));
        }
        return true;
    }

    bool copyFolder(const QString &source, const QString &destination, const QString &rel,
                    const struct stat &st, int depth) {
        if (depth > MaxDepth)
            return fail(rel, TooDeep);
        struct stat dst {};
        const bool existed = lstatPath(destination, &dst);
        if (existed) {
            // A link standing at the destination is never followed: it could lead anywhere.
            if (!S_ISDIR(dst.st_mode))
                return fail(rel, FolderOverFile);
        } else if (::mkdir(nativePath(destination).constData(), 0700) != 0) {
            return fail(rel, withErrno(QStringLiteral("フォルダを作れません"), errno));
        }
        QStringList children;
        if (!listFolder(source, [&](const QString &name) {
                children << name;
                return true;
            }))
            return fail(rel, withErrno(QStringLiteral("読み込めません"), errno));
        bool ok = true;
        for (const QString &name : children) {
            if (result.cancelled)
                break;
            ok = copyEntry(fJoinPath(source, name), fJoinPath(destination, name),
                           rel + QLatin1Char('/') + name, depth + 1) &&
                 ok;
        }
        // A folder that was there keeps its own mode and time: it was merged into, not copied.
        if (existed)
            return ok && !result.cancelled;
        // The mode last, so nobody else could look in while the content was written.
        ::chmod(nativePath(destination).constData(), (st.st_mode & 0777) | S_IRWXU);
        if (!ok || result.cancelled)
            return false;
        // The source's time only on a complete copy (writing the content changed the time):
        // an incomplete one must not compare equal with its source.
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        ::utimensat(AT_FDCWD, nativePath(destination).constData(), times, 0);
        return true;
    }

    const FileOperationProgress &m_progress;
    FileAccess &m_access;
    quint64 m_doneBytes = 0;
};

// The folders above nested entries that the destination lacks are made as a copied folder is:
// private while the copy runs, then the mode of the folder they stand for, and its time only
// when everything copied into them arrived. Folders that were there are never changed.
class ParentFolders {
public:
    ParentFolders(const QString &source, const QString &destination)
        : m_source(source), m_destination(destination) {}

    // Makes the missing folders of the relative folder path parent; the reason for the user
    // when one of them is in the way or cannot be made.
    QString make(const QString &parent) {
        if (parent.isEmpty())
            return QString();
        QString rel;
        for (const QString &part : parent.split(QLatin1Char('/'))) {
            rel = rel.isEmpty() ? part : rel + QLatin1Char('/') + part;
            const QString path = fJoinPath(m_destination, rel);
            struct stat st {};
            if (lstatPath(path, &st)) {
                // A link could lead out of the destination folder: it is never entered.
                if (S_ISLNK(st.st_mode))
                    return LinkedDestinationFolder + rel;
                if (!S_ISDIR(st.st_mode))
                    return FileInTheWay + rel;
                continue;
            }
            struct stat source {};
            if (!lstatPath(fJoinPath(m_source, rel), &source) ||
                ::mkdir(nativePath(path).constData(), 0700) != 0) {
                const int error = errno;
                markIncomplete(parent);
                return withErrno(CannotMakeFolder, error) + QStringLiteral(": ") + rel;
            }
            m_made.push_back({rel, source});
        }
        return QString();
    }

    // Something below parent was not copied: the folders made for it must not look complete.
    void markIncomplete(const QString &parent) {
        for (Made &made : m_made) {
            if (parent == made.rel || parent.startsWith(made.rel + QLatin1Char('/')))
                made.complete = false;
        }
    }

    // Deepest first, so that setting a folder's time never changes its parent's.
    void finish(bool cancelled) {
        for (auto made = m_made.rbegin(); made != m_made.rend(); ++made) {
            const QByteArray path = nativePath(fJoinPath(m_destination, made->rel));
            ::chmod(path.constData(), (made->source.st_mode & 0777) | S_IRWXU);
            if (!made->complete || cancelled)
                continue;
            const struct timespec times[2] = {made->source.st_atim, made->source.st_mtim};
            ::utimensat(AT_FDCWD, path.constData(), times, 0);
        }
    }

private:
    struct Made {
        QString rel;
        struct stat source;
        bool complete = true;
    };
    const QString m_source, m_destination;
    std::vector<Made> m_made; // in the order made: a folder before the folders in it
};

// Removes a tree for good without following any link; failures are collected by name.
bool removeTree(const QString &path, const QString &rel, FileOperationResult &result,
                int depth = 0) {
    struct stat st {};
    if (!lstatPath(path, &st)) {
        result.failures.append({rel, withErrno(NotFound, errno)});
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        if (depth > MaxDepth) {
            result.failures.append({rel, TooDeep});
            return false;
        }
        QStringList children;
        listFolder(path, [&](const QString &name) {
            children << name;
            return true;
        });
        bool ok = true;
        for (const QString &name : children)
            ok = removeTree(fJoinPath(path, name), rel + QLatin1Char('/') + name, result,
                            depth + 1) &&
                 ok;
        if (ok && ::rmdir(nativePath(path).constData()) != 0) {
            result.failures.append({rel, withErrno(QStringLiteral("削除できません"), errno)});
            return false;
        }
        return ok;
    }
    if (::unlink(nativePath(path).constData()) != 0) {
        result.failures.append({rel, withErrno(QStringLiteral("削除できません"), errno)});
        return false;
    }
    return true;
}

} // namespace

FileOperationResult copyEntries(const QString &sourceFolder, const QString &destinationFolder,
                                const QStringList &names, const FileOperationProgress &progress,
                                FileAccess &access) {
    Copier copier(progress, access);
    FileOperationResult &result = copier.result;
    const QString source = canonical(sourceFolder);
    const QString destination = canonical(destinationFolder);
    const QStringList entries = outermostEntries(names);
    struct stat st {};
    const bool folders = !source.isEmpty() && !destination.isEmpty() &&
                         ::stat(nativePath(source).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
                         ::stat(nativePath(destination).constData(), &st) == 0 &&
                         S_ISDIR(st.st_mode);
    if (!folders || source == destination) {
        for (const QString &name : entries)
            result.failures.append({name, folders ? SameFolder : NoFolder});
        return result;
    }
    // A nested entry is reached through real folders only: a link on the way could lead out
    // of the compared folder.
    auto refusal = [&](const QString &name) {
        return isRelativeEntryPath(name)
                   ? checkRealFolders(source, relativeParentOf(name), LinkedSourceFolder)
                   : BadName;
    };
    for (const QString &name : entries) {
        if (refusal(name).isEmpty())
            copier.totalBytes += Copier::measure(fJoinPath(source, name));
    }
    ParentFolders parents(source, destination);
    for (const QString &name : entries) {
        if (result.cancelled)
            break;
        const QString parent = relativeParentOf(name);
        const QString from = fJoinPath(source, name);
        const QString to = fJoinPath(destination, name);
        struct stat entry {};
        QString refused = refusal(name);
        if (refused.isEmpty() && !lstatPath(from, &entry))
            refused = withErrno(NotFound, errno);
        // Either path lying inside the other would make the copy feed on itself. The copy's
        // path is checked itself, not only the destination folder: when one compared folder
        // holds the other, "p/p" of one side can lie inside "p/p" of the other.
        else if (refused.isEmpty() && S_ISDIR(entry.st_mode) &&
                 (isInside(to, from) || isInside(from, to)))
            refused = IntoItself;
        // The missing folders on the way only for an entry that is copied: one refused or gone
        // since it was listed leaves no empty folders behind.
        if (refused.isEmpty())
            refused = parents.make(parent);
        if (refused.isEmpty() && copier.copyEntry(from, to, name, 0)) {
            result.done << name;
            continue;
        }
        if (!refused.isEmpty())
            copier.fail(name, refused);
        parents.markIncomplete(parent);
    }
    parents.finish(result.cancelled);
    return result;
}

FileOperationResult moveEntriesToTrash(const QString &folder, const QStringList &names,
                                       const DeleteForGoodQuestion &askDeleteForGood,
                                       const FileOperationProgress &progress) {
    FileOperationResult result;
    const QString base = canonical(folder);
    const QStringList entries = outermostEntries(names);
    QStringList withoutTrash;
    quint64 count = 0;
    for (const QString &name : entries) {
        if (progress && !progress(count, quint64(entries.size()), name)) {
            result.cancelled = true;
            break;
        }
        ++count;
        if (!isRelativeEntryPath(name) || base.isEmpty()) {
            result.failures.append({name, base.isEmpty() ? NoFolder : BadName});
            continue;
        }
        // Only what lies inside the folder goes: never through a link on the way.
        const QString refused = checkRealFolders(base, relativeParentOf(name), LinkedFolder);
        if (!refused.isEmpty()) {
            result.failures.append({name, refused});
            continue;
        }
        const QString path = fJoinPath(base, name);
        struct stat st {};
        if (!lstatPath(path, &st)) {
            result.failures.append({name, withErrno(NotFound, errno)});
            continue;
        }
        const TrashPlace place = trashPlaceFor(path);
        if (!place.isValid()) {
            withoutTrash << name;
            continue;
        }
        QString reason;
        if (moveIntoTrash(path, place, &reason))
            result.done << name;
        else
            result.failures.append({name, reason});
    }
    if (withoutTrash.isEmpty())
        return result;
    if (!askDeleteForGood || !askDeleteForGood(withoutTrash)) {
        for (const QString &name : withoutTrash)
            result.failures.append({name, NoTrash + QStringLiteral("。") + Kept});
        return result;
    }
    for (const QString &name : withoutTrash) {
        if (removeTree(fJoinPath(base, name), name, result)) {
            result.done << name;
            result.deletedForGood << name;
        }
    }
    return result;
}
