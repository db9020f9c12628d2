#pragma once

#include "engine/ResultGrid.h"

#include <QColor>

// Between the grid's colours (0x00BBGGRR, as the settings store them) and QColor.
inline QColor toQColor(Color color) {
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

inline Color fromQColor(const QColor &color) {
    return Color(color.red()) | (Color(color.green()) << 8) | (Color(color.blue()) << 16);
}
