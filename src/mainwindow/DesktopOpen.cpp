#include "mainwindow/DesktopOpen.h"

#include "platform/FileUrl.h"

#include <QDesktopServices>

bool openWithDesktop(const QString &path) {
    return QDesktopServices::openUrl(fileUrlOf(path));
}
