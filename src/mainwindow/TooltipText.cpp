#include "mainwindow/TooltipText.h"

#include <QStringList>
#include <QTextDocument>

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
    const QString shownText = lines.join(QLatin1Char('\n'));
    // A tooltip takes text that looks like markup for rich text: a line of an HTML file must
    // show its tags, not be rendered (nor load the images it names).
    return Qt::mightBeRichText(shownText) ? Qt::convertFromPlainText(shownText, Qt::WhiteSpacePre)
                                          : shownText;
}
