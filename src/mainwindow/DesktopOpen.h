#pragma once

#include <QString>

// Opens a file or folder with the desktop's application for it (a folder in the file
// manager). Names that are not UTF-8 keep their exact bytes.
bool openWithDesktop(const QString &path);
