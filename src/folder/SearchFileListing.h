#pragma once

#include "engine/TextArena.h"
#include "folder/NameExclusions.h"

#include <QString>
#include <QtGlobal>

#include <atomic>
#include <functional>
#include <limits>
#include <vector>

// The listing half of the folder comparison: the entries of one folder with their status,
// read apart from the grid so that the two folders can be read at the same time.

// What an entry is. Kept beside the grid because the type column cannot tell a folder from a
// file whose extension happens to read "フォルダ".
enum class Kind : quint8 { None, Folder, File, Special };

// Vanished: removed since it was listed. Unreadable: its status cannot be read (error says
// why), which is never taken for a missing entry.
enum class Examined : quint8 { Listed, Vanished, Unreadable };

// 32 bytes: a folder of a million entries is listed twice at once. The name's characters
// stay in the listing's own store.
struct Entry {
    const char16_t *nameData = nullptr;
    quint64 size = 0;
    qint64 modifiedMsecs = NoTime; // since the epoch (UTC)
    qint32 nameLength = 0;
    quint8 error = 0;  // errno when Unreadable
    bool link = false; // a symbolic link (kind and size are of what it points to)
    Examined examined = Examined::Listed;
    Kind kind = Kind::None;

    static constexpr qint64 NoTime = std::numeric_limits<qint64>::min();

    // Valid while the listing that made the entry lives.
    QStringView name() const { return QStringView(nameData, nameLength); }
};
static_assert(sizeof(Entry) <= 32);

// Move-only: the entries point into the listing's store of names.
struct FolderListing {
    FolderListing() = default;
    FolderListing(FolderListing &&) = default;
    FolderListing &operator=(FolderListing &&) = default;
    FolderListing(const FolderListing &) = delete;
    FolderListing &operator=(const FolderListing &) = delete;

    bool opened = false;  // false: the folder could not be listed (whole)
    bool stopped = false; // stop was seen: the listing is cut short
    std::vector<Entry> entries;
    TextArena names; // the entries' names, one block for many instead of a string each
};

// Lists the entries of folder whose names pattern accepts ("*.*" or "*" every entry, any
// other pattern a case-insensitive wildcard), in the order the file system gives, and examines
// each. stop is read after every entry. progress (may be empty) is told the running count
// every progressEvery entries.
// Names `exclude` leaves out are not listed at all.
FolderListing listAndExamine(const QString &folder, const QString &pattern,
                             const std::atomic<bool> &stop,
                             const std::function<void(int)> &progress = {}, int progressEvery = 200,
                             const NameExclusions &exclude = {});

// Lists both folders, the second (when not empty) on a thread of its own.
void listBoth(const QString &first, const QString &second, const QString &pattern,
              const std::atomic<bool> &stop, const std::function<void(int)> &progress,
              FolderListing *firstListing, FolderListing *secondListing,
              const NameExclusions &exclude = {});
