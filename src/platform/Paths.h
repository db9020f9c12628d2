#pragma once

#include <QString>

// Kind of a path on disk: 0 none, 1 file, 2 folder.
enum PathKind { PathNone = 0, PathFile = 1, PathFolder = 2 };

PathKind fPathKind(const QString &path);
// True for an existing file or folder.
bool fFileExists(const QString &path);
// The text after the last "." of the path's file name, lower-cased; empty when there is none.
QString lowerExtension(const QString &path);
// The text after the last "." of the whole path, as written; empty when there is none.
QString fGetExtension(const QString &path);
// The file name of a path (the text after the last separator).
QString fileNameOf(const QString &path);
// True for an address with an http, https or ftp scheme.
bool isWebAddress(const QString &path);
// A file's modification time as an unambiguous local date-time text ("2026/12/07 08:31:06").
QString modificationText(const QString &path);
