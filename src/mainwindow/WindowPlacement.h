#pragma once

#include <QList>
#include <QRect>

class QWidget;
class Settings;

// The window's state (0 normal, 1 minimised, 2 maximised) and, in the normal state, its place
// and size in twips, as setting.ini keeps them.
void sSaveWindowPlacement(const QWidget &window, Settings &settings);
// Places the window as stored; bounds no longer on any screen (a monitor since detached) are
// brought whole onto the nearest one.
void sLoadWindowPlacement(QWidget &window, const Settings &settings);

// Where a window with the outer bounds `bounds` goes among the screens' available areas
// `areas`: where it is when the areas cover it whole; otherwise onto the area it overlaps most
// (or, overlapping none, the one nearest to its centre), shrunk to fit and moved inside it.
QRect placedOnScreens(const QRect &bounds, const QList<QRect> &areas);
