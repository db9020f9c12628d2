#include "mainwindow/FolderColumnWidths.h"

#include "mainwindow/FolderTreeController.h"

#include <QFontMetrics>
#include <QString>

#include <algorithm>

std::array<int, 10> folderColumnWidths(int width, int scrollRoom, const QFontMetrics &fm,
                                       bool tree) {
    auto measure = [&](const char *sample) {
        return fm.horizontalAdvance(QString::fromUtf8(sample)) + 10;
    };
    const int size = measure("_000000000"), type = measure("_00000000");
    int date = measure("_0000/00/00 00:00:00");
    auto shared = [&] { return (width - scrollRoom - 2 * (size + type + date)) / 2; };
    // In a narrow window the names keep a readable width; the grid then scrolls sideways.
    int least = measure("_0000000000");
    if (tree) {
        least = std::max(least, FolderTreeController::cellWidthFor(
                                    3, fm.horizontalAdvance(QStringLiteral("0000000000"))));
        const int dayOnly = measure("_0000/00/00 \u2026");
        date -= std::clamp(least - shared(), 0, std::max(0, date - dayOnly));
    }
    const int name = std::max(least, shared());
    return {name, size, type, date, name, size, type, date, 0, 0};
}
