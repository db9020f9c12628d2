#include "mainwindow/TooltipText.h"

#include <QStringList>

QString tooltipText(const QString &text, int maxLines, int maxColumns) {
    const QChar ellipsis(0x2026);
    // Long texts are mostly one line: split only the part that can be shown.
    const qsizetype shown = qsizetype(maxLines) * (maxColumns + 2);
    QStringList lines = text.left(shown).split(QLatin1Char('\n'));
    bool cut = text.size() > shown;
    if (lines.size() > maxLines) {
        lines.resize(maxLines);
        cut = true;
    }
    for (QString &line : lines) {
        if (line.size() > maxColumns) {
            line.truncate(maxColumns - 1);
            line += ellipsis;
        }
    }
    if (cut && !lines.last().endsWith(ellipsis))
        lines.last() += ellipsis;
    return lines.join(QLatin1Char('\n'));
}
