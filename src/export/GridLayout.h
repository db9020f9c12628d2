#pragma once

#include "engine/ResultGrid.h"
#include "engine/Workspace.h"

#include <algorithm>

// What the exporters need to know about the grid in front, shared by CSV and HTML.
namespace GridLayout {

// The folder grid has internal columns at its end and its own rule for row states.
inline bool isFolderGrid(const Workspace &ws, const ResultGrid &grid) {
    return &grid == &ws.fgF;
}

// Number of columns written: the folder grid's two hidden size columns stay out.
inline int exportedCols(const Workspace &ws, const ResultGrid &grid) {
    return isFolderGrid(ws, grid) ? std::max(0, grid.cols() - 2) : grid.cols();
}

// Which legend box (0 changed, 1 added, 2 deleted) has this colour; -1 for none. The first
// match wins when the user gave two boxes the same colour.
inline int legendIndex(const Workspace &ws, Color color) {
    for (int k = 0; k < 3; ++k) {
        if (ws.txtState[size_t(k)] == color)
            return k;
    }
    return -1;
}

} // namespace GridLayout
