#pragma once

#include <QString>
#include <QUrl>

// File URLs (dropped files, the desktop's "open") carry a name's bytes percent-encoded. Qt reads
// them as UTF-8 and would turn the bytes of a name that is not UTF-8 into U+FFFD; these keep
// them, as every path of the program does (see NativePath.h).

// The path a local file URL names; empty for any other URL.
QString localPathOf(const QUrl &url);

// The file URL of a path.
QUrl fileUrlOf(const QString &path);
