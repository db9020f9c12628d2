#pragma once

#include <QString>

// True when both paths name one existing file or folder on disk, however they are spelt:
// through a symbolic link, a hard link, "." and ".." parts or a relative path. False when
// either cannot be examined.
bool isSameFileOnDisk(const QString &a, const QString &b);
