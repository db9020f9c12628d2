#include "mainwindow/DesktopOpen.h"

#include "platform/NativePath.h"

#include <QDesktopServices>
#include <QUrl>

namespace {

// A file URL that keeps the exact bytes of names that are not UTF-8.
QUrl nativeFileUrl(const QString &path) {
    const QByteArray bytes = encodeNativeName(path);
    if (QString::fromUtf8(bytes) == path)
        return QUrl::fromLocalFile(path);
    return QUrl::fromEncoded("file://" + bytes.toPercentEncoding("/"));
}

} // namespace

bool openWithDesktop(const QString &path) {
    return QDesktopServices::openUrl(nativeFileUrl(path));
}
