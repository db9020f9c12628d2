#include "engine/InlineMarks.h"

Color strongerShade(Color rowColour) {
    Color shade = 0;
    for (int shift : {0, 8, 16})
        shade |= ((((rowColour >> shift) & 0xFF) * 4 / 5) & 0xFF) << shift;
    return shade;
}

bool isChangedPair(const ResultGrid &grid, int r, Color changedColour) {
    if (grid.cols() < 4 || r < grid.fixedRows() || r >= grid.rows())
        return false;
    return grid.numberAt(r, 0) >= 0 && grid.numberAt(r, 2) >= 0 &&
           grid.backColor(r, 1) == changedColour && grid.backColor(r, 3) == changedColour;
}

const LineMarks &InlineMarkCache::marks(const ResultGrid &grid, int r, const LineFolding &folding) {
    const auto found = m_rows.constFind(r);
    if (found != m_rows.constEnd())
        return *found;
    if (m_rows.size() >= MaxRows)
        m_rows.clear();
    ResultGrid::TextBuffer left, right;
    return *m_rows.insert(
        r, diffCharacters(grid.textView(r, 1, left), grid.textView(r, 3, right), folding));
}
