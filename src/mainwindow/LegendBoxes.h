#pragma once

#include "engine/ResultGrid.h"

#include <QColor>
#include <QObject>

#include <array>
#include <functional>

class QLabel;
class QStatusBar;
class QWidget;
class Workspace;

// The legend boxes txtState(0..2) "変更", "追加", "削除" in the status bar: each shows one of
// the workspace's difference colours, and a click on it picks another.
class LegendBoxes : public QObject {
    Q_OBJECT
public:
    // minWidth: each box's least width in pixels; dialogParent owns the colour dialog.
    LegendBoxes(Workspace &ws, QStatusBar *bar, int minWidth, QWidget *dialogParent);

    std::array<QLabel *, 3> txtState{};

    // Sets the workspace's colour and the box's background.
    void setLegendColour(int index, Color color);
    void changeLegendColour(int index);

    // Asks for a colour, starting from the current one; invalid when the user cancels. The
    // standard colour dialog unless a test answers.
    std::function<QColor(const QColor &current)> pickColour;

private:
    Workspace &m_ws;
    QWidget *m_dialogParent;
};
