#include "platform/ui/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

QString clipboardText() {
    QClipboard *clipboard = QGuiApplication::clipboard();
    return clipboard ? clipboard->text() : QString();
}

void setClipboardText(const QString &text) {
    if (QClipboard *clipboard = QGuiApplication::clipboard())
        clipboard->setText(text);
}
