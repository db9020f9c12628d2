#include "folder/SearchFileListing.h"

#include "folder/DesktopTrash.h"
#include "platform/Background.h"
#include "platform/NativePath.h"

#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <exception>
#include <system_error>

namespace {

// Wildcards the way the enumeration understood them: "*.*" means every entry.
class NameFilter {
public:
    explicit NameFilter(const QString &pattern) {
        if (pattern.isEmpty() || pattern == QLatin1String("*.*") || pattern == QLatin1String("*"))
            return;
        m_all = false;
        m_re = QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern),
                                  QRegularExpression::CaseInsensitiveOption);
    }
    bool accepts(const QString &name) const { return m_all || m_re.match(name).hasMatch(); }

private:
    bool m_all = true;
    QRegularExpression m_re;
};

// A symbolic link is listed as what it points to; a broken one (or a loop) as a file of size
// 0 with the link's own time.
void examine(const QString &folder, const QString &name, Entry *entry) {
    const QString path = fJoinPath(folder, name);
    NativeStat st;
    if (!nativeStat(path, &st, false, false)) {
        const bool gone = errno == ENOENT || errno == ENOTDIR;
        entry->examined = gone ? Examined::Vanished : Examined::Unreadable;
        entry->error = quint8(std::min(errno, 255));
        return;
    }
    if (st.isSymLink) {
        entry->link = true;
        NativeStat target;
        if (nativeStat(path, &target, true, false)) {
            st = target;
        } else {
            st.isDir = false;
            st.isFile = false;
            st.size = 0;
        }
    }
    entry->examined = Examined::Listed;
    entry->kind = st.isDir ? Kind::Folder : (st.isFile ? Kind::File : Kind::Special);
    entry->size = st.isDir ? 0 : st.size;
    entry->modifiedMsecs = st.modifiedMsecs;
}

} // namespace

FolderListing listAndExamine(const QString &folder, const QString &pattern,
                             const std::atomic<bool> &stop,
                             const std::function<void(int)> &progress, int progressEvery,
                             const NameExclusions &exclude) {
    const NameFilter filter(pattern);
    FolderListing listing;
    listing.opened = listFolder(folder, [&](const QString &name) {
        // The trash a move to the trash made at the top of a mount is not the user's entry.
        if (!filter.accepts(name) || exclude.excludes(name) || isOwnMountTrash(folder, name))
            return true;
        Entry &e = listing.entries.emplace_back();
        e.nameData = listing.names.store(name);
        e.nameLength = qint32(name.size());
        examine(folder, name, &e);
        const int count = int(listing.entries.size());
        if (progress && count % progressEvery == 0)
            progress(count);
        if (stop) {
            listing.stopped = true;
            return false;
        }
        return true;
    });
    // A vector grown by doubling holds up to twice what it needs until the scan ends.
    listing.entries.shrink_to_fit();
    return listing;
}

void listBoth(const QString &first, const QString &second, const QString &pattern,
              const std::atomic<bool> &stop, const std::function<void(int)> &progress,
              FolderListing *firstListing, FolderListing *secondListing,
              const NameExclusions &exclude) {
    // The second folder is read by a half of its own. A failure in the first reaches the
    // caller once the half has ended; one in the second, once the first is read.
    Background::Half<void> other;
    if (!second.isEmpty()) {
        other = Background::split(
            [&] { *secondListing = listAndExamine(second, pattern, stop, {}, 200, exclude); });
    }
    *firstListing = listAndExamine(first, pattern, stop, progress, 200, exclude);
    if (other.valid())
        other.get();
}
