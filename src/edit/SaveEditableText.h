#pragma once

#include "edit/EditableText.h"

class FileAccess;

// Saving a side: the lines the user did not touch go out as the bytes they were read from,
// edited and new lines are encoded in the side's encoding (from and back to its initial state,
// so that ISO-2022-JP and UTF-7 neighbours keep reading right), with the side's byte-order
// mark and each line's own end; the last line has none. The file is written through
// AtomicFile: a temporary file beside the target, flushed and renamed over it, so that a
// failure leaves the old file as it was. Permissions, owner (where the system allows it) and
// a symbolic link at the path are kept: the link's target is written.

struct SaveOptions {
    // The encoding to write (a name TextEncoder knows); empty: the side's own. A side saved in
    // another encoding than it was read in writes every line anew, with the encoding's usual
    // mark for UTF-8 and UTF-16 (so that detection reads it back at once), and keeps that
    // encoding for its next save.
    QString encoding;
    // The file at the path changed since it was read or last saved, and the user chose to
    // replace it anyway.
    bool overwriteChanged = false;
    // The file replaced is kept beside it as NAME.bak.
    bool backup = false;
    // The writer's system calls (tests pass failing ones).
    FileAccess *access = nullptr;

    // What "UTF-8 で保存" passes when the side's encoding cannot hold a character.
    static SaveOptions utf8() { return SaveOptions{QStringLiteral("UTF8")}; }
};

struct SaveResult {
    enum class Status {
        Saved,
        // A character the encoding cannot hold: line (0-based), column (UTF-16 index in it),
        // character. Nothing was written; the caller may save as UTF-8 instead.
        CannotEncode,
        // The file is not what the side read (size, time or content): nothing was written.
        ChangedOnDisk,
        // Writing failed; message says so, naming the file and the cause. The old file is
        // as it was.
        Failed,
    };
    Status status = Status::Failed;
    qsizetype line = -1;
    qsizetype column = -1;
    char32_t character = 0;
    QString message;

    bool saved() const { return status == Status::Saved; }
};

// Writes the side to path (the file it was read from, or another for "名前を付けて保存").
// On success the side's file() describes the file written (path, stamp, encoding), so that a
// later save checks against it; otherwise the side is unchanged.
SaveResult saveEditableText(EditableText &side, const QString &path,
                            const SaveOptions &options = SaveOptions());

// The bytes saving would write, or the first character the encoding cannot hold.
struct SavedBytes {
    QByteArray bytes;
    SaveResult problem; // Saved when the bytes were made
};
SavedBytes editableTextBytes(const EditableText &side, const QString &encoding);
