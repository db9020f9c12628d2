#include "mainwindow/WindowPlacement.h"

#include "settings/Settings.h"

#include <QWidget>

#include <algorithm>

void sSaveWindowPlacement(const QWidget &window, Settings &settings) {
    const int state = window.isMinimized() ? 1 : window.isMaximized() ? 2 : 0;
    settings.setWindowState(state);
    if (state != 0)
        return;
    const double toTwips = 1440.0 / window.logicalDpiX();
    settings.setWindowX(qRound(window.pos().x() * toTwips));
    settings.setWindowY(qRound(window.pos().y() * toTwips));
    settings.setWindowHeight(qRound(window.height() * toTwips));
    settings.setWindowWidth(qRound(window.width() * toTwips));
}

void sLoadWindowPlacement(QWidget &window, const Settings &settings) {
    auto twips = [&window](int value) { return qRound(value * window.logicalDpiX() / 1440.0); };
    // The stored bounds are the last normal ones whatever the state: a window started maximised
    // or minimised returns to them when it is restored.
    window.move(twips(settings.windowX()), twips(settings.windowY()));
    window.resize(std::max(twips(settings.windowWidth()), window.minimumWidth()),
                  std::max(twips(settings.windowHeight()), window.minimumHeight()));
    const int state = settings.windowState();
    if (state == 2)
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
    else if (state == 1)
        window.setWindowState(window.windowState() | Qt::WindowMinimized);
}
