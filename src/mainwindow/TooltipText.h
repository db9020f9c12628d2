#pragma once

#include <QString>

// A cell's text cut to what a tooltip can show on screen: at most `maxLines` lines of at most
// `maxColumns` characters; a cut line or a cut text ends in "…". A tooltip as tall as the
// screen would hide the grid and catch the clicks meant for it. Text that Qt would take for
// markup comes back as rich text that shows it literally.
QString tooltipText(const QString &text, int maxLines = 20, int maxColumns = 200);
