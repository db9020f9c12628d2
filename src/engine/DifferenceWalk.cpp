#include "engine/DifferenceWalk.h"

int findDifference(const ResultGrid &grid, int fromRow, int col, int firstDataRow, bool forward) {
    if (fromRow < 0 || fromRow >= grid.rows() || col < 0 || col >= grid.cols())
        return -1;
    Color blockColor = grid.backColor(fromRow, col);
    const int step = forward ? 1 : -1;
    const int last = grid.rows() - 1;
    for (int r = fromRow + step; r >= firstDataRow && r <= last; r += step) {
        const Color c = grid.backColor(r, col);
        if (c == blockColor)
            continue;
        if (c == ResultGrid::DefaultColor) {
            blockColor = ResultGrid::DefaultColor;
            continue;
        }
        return r;
    }
    return -1;
}

int findDifferingRow(const ResultGrid &grid, int fromRow, int firstDataRow, bool forward,
                     Color neutral) {
    if (fromRow < 0 || fromRow >= grid.rows())
        return -1;
    const int step = forward ? 1 : -1;
    const int last = grid.rows() - 1;
    for (int r = fromRow + step; r >= firstDataRow && r <= last; r += step) {
        for (int c = 0; c < grid.cols(); ++c) {
            const Color color = grid.backColor(r, c);
            if (color != ResultGrid::DefaultColor && color != neutral)
                return r;
        }
    }
    return -1;
}
