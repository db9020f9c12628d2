#pragma once

#include <QString>
#include <QStringList>

// Entries below a compared folder named as the folder grid names them in a comparison through
// every level: by their path relative to the compared folder ("sub/dir/file.txt").

// True for a relative path whose every part is a plain name (not empty, not "." or "..", no
// NUL): it can only name something inside its folder.
bool isRelativeEntryPath(const QString &path);

// The folder part of a relative path ("a/b" for "a/b/f.txt"); empty for a plain name.
QString relativeParentOf(const QString &path);

// The paths in their order without repeats and without those that lie inside another listed
// folder: selecting a folder and an entry in it must not copy or trash that entry twice.
// Paths that are not relative entry paths are kept, so that they are reported.
QStringList outermostEntries(const QStringList &paths);

// Checks the folders from root down to the relative folder path parent, never following a
// link: empty when each is a real folder, else the reason for the user (naming the first one
// that is not). linkReason is the text used for a link, followed by the link's relative path.
QString checkRealFolders(const QString &root, const QString &parent, const QString &linkReason);
