#include "mainwindow/WindowPlacement.h"

#include "settings/Settings.h"

#include <QGuiApplication>
#include <QRegion>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <limits>

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
    const QSize size(std::max(twips(settings.windowWidth()), window.minimumWidth()),
                     std::max(twips(settings.windowHeight()), window.minimumHeight()));
    QList<QRect> areas;
    for (const QScreen *screen : QGuiApplication::screens())
        areas << screen->availableGeometry();
    QRect client(QPoint(twips(settings.windowX()), twips(settings.windowY())), size);
    if (placedOnScreens(client, areas) != client) {
        // Moved whole onto a screen, frame and all: before the first showing its size is not
        // known yet, so room is left for a usual title bar and border.
        const QWindow *handle = window.windowHandle();
        QMargins frame = handle ? handle->frameMargins() : QMargins();
        if (frame.isNull())
            frame = QMargins(8, 32, 8, 8);
        client = placedOnScreens(client.marginsAdded(frame), areas).marginsRemoved(frame);
    }
    window.move(client.topLeft());
    window.resize(std::max(client.width(), window.minimumWidth()),
                  std::max(client.height(), window.minimumHeight()));
    const int state = settings.windowState();
    if (state == 2)
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
    else if (state == 1)
        window.setWindowState(window.windowState() | Qt::WindowMinimized);
}

QRect placedOnScreens(const QRect &bounds, const QList<QRect> &areas) {
    if (areas.isEmpty() || bounds.isEmpty())
        return bounds;
    QRegion covered;
    for (const QRect &area : areas)
        covered += area;
    if (QRegion(bounds).subtracted(covered).isEmpty())
        return bounds; // on screen, maybe across two of them
    QRect best;
    qint64 bestOverlap = 0;
    qint64 bestDistance = std::numeric_limits<qint64>::max();
    for (const QRect &area : areas) {
        const QRect overlap = area.intersected(bounds);
        const qint64 overlapSize = qint64(overlap.width()) * overlap.height();
        const QPoint d = area.center() - bounds.center();
        const qint64 distance = qint64(d.x()) * d.x() + qint64(d.y()) * d.y();
        if (overlapSize > bestOverlap ||
            (overlapSize == bestOverlap && bestOverlap == 0 && distance < bestDistance)) {
            best = area;
            bestOverlap = overlapSize;
            bestDistance = distance;
        }
    }
    const QSize size = bounds.size().boundedTo(best.size());
    const int x = std::clamp(bounds.x(), best.left(), best.right() + 1 - size.width());
    const int y = std::clamp(bounds.y(), best.top(), best.bottom() + 1 - size.height());
    return QRect(QPoint(x, y), size);
}
