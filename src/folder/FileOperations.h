#pragma once

#include "platform/AtomicFile.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// Copying entries from one compared folder to the other and moving entries to the desktop's
// trash. No widgets: the caller supplies the progress display and the one question these
// operations may have to ask.
//
// Safety rules that every operation keeps:
// - an entry is named by its path below its folder ("file.txt", "sub/dir/file.txt"), no part
//   of it empty, "." or ".."; the folders on the way must be real folders on both sides (a link
//   there is refused), so nothing is written outside the destination folder, and symbolic
//   links are never followed: a link is copied as a link and trashed as a link;
// - an entry that lies inside another listed folder is handled once, with its folder;
// - a folder is never copied into itself or into one of its own sub-folders;
// - a file is written under a temporary name beside its destination, flushed to disk and only
//   then renamed over the old file, so a failed or cancelled copy leaves the old file as it was;
// - nothing is deleted for good without the caller's explicit consent;
// - an entry that fails is reported by name and the others still run.

struct FileOperationFailure {
    QString name;   // the entry, relative to its folder ("sub/file.txt" below a copied folder)
    QString reason; // a short text for the user
};

struct FileOperationResult {
    QStringList done;                     // the requested names that were handled completely
    QList<FileOperationFailure> failures; // in the order they happened
    bool cancelled = false;               // the progress callback asked to stop
    QStringList deletedForGood;           // names removed without a trash (after consent)

    bool succeeded() const { return failures.isEmpty() && !cancelled; }
};

// Told before each file and after every megabyte within a large file: bytes done, bytes in
// all, the entry being worked on (for the trash: entries done, entries in all, the entry).
// Returning false stops the operation at that point.
using FileOperationProgress =
    std::function<bool(quint64 doneBytes, quint64 totalBytes, const QString &name)>;

// Asked once, with the names for which no trash is available on their file system. True
// allows them to be deleted for good; false (or no callback) leaves them where they are.
using DeleteForGoodQuestion = std::function<bool(const QStringList &names)>;

// Copies the named entries of sourceFolder (files, links, folders with all their content)
// into destinationFolder at the same path, replacing existing files there without asking.
// Folders above a nested entry that the destination lacks are made. Existing folders are
// merged into and keep their own mode and time; an existing file or link is never replaced by
// a folder. A folder made by the copy takes the source's time only when everything below it
// was copied, so an incomplete copy never looks like its source. Files are written through
// access (a test passes one that fails).
FileOperationResult copyEntries(const QString &sourceFolder, const QString &destinationFolder,
                                const QStringList &names,
                                const FileOperationProgress &progress = {},
                                FileAccess &access = FileAccess::system());

// Moves the named entries of folder to the trash of the desktop (DesktopTrash.h), from where a
// file manager can restore them. Entries whose file system has no usable trash are deleted for
// good only when askDeleteForGood agrees.
FileOperationResult moveEntriesToTrash(const QString &folder, const QStringList &names,
                                       const DeleteForGoodQuestion &askDeleteForGood,
                                       const FileOperationProgress &progress = {});
