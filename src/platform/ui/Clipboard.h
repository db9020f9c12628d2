#pragma once

#include <QString>

// The system clipboard's Unicode text (empty when it holds none).
QString clipboardText();
void setClipboardText(const QString &text);
