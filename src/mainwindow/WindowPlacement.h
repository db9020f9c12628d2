#pragma once

class QWidget;
class Settings;

// The window's state (0 normal, 1 minimised, 2 maximised) and, in the normal state, its place
// and size in twips, as setting.ini keeps them.
void sSaveWindowPlacement(const QWidget &window, Settings &settings);
void sLoadWindowPlacement(QWidget &window, const Settings &settings);
