#pragma once

#include <QString>

// The desktop's trash in the freedesktop.org layout, so that a file manager lists what we
// trashed and can put it back: the entry goes to files/ of a trash folder, and info/ gets a
// NAME.trashinfo with the original path (its bytes percent-encoded) and the local time of the
// deletion.

struct TrashPlace {
    QString folder;    // the trash, holding files/ and info/
    QString topFolder; // the mount point it belongs to; empty for the home trash
    bool isValid() const { return !folder.isEmpty(); }
};

// Where an existing entry goes: the home trash ($XDG_DATA_HOME/Trash) when the entry lies on
// the same file system, else the trash of its mount point (mountTrash). Invalid when there is
// no trash this user may use; the folders are made as needed.
TrashPlace trashPlaceFor(const QString &path);

// The trash at the top of a mount: TOP/.Trash/UID when an administrator made TOP/.Trash a real
// folder with the sticky bit (and UID in it is ours), else TOP/.Trash-UID, which must be our
// own real folder. Invalid when neither can be used.
TrashPlace mountTrash(const QString &topFolder);

// Moves the entry (a link as a link) into the trash. The info file is created first, under a
// name nobody else holds, and only then the entry renamed beside it. False, with a text for
// the user, when it stayed where it was.
bool moveIntoTrash(const QString &path, const TrashPlace &place, QString *reason);

// True for the trash that moveIntoTrash keeps at the top of a mount (".Trash-UID") when
// folder is such a top: it is the program's own doing, not an entry of the compared folder.
bool isOwnMountTrash(const QString &folder, const QString &name);
