#pragma once

#include "engine/CharDiff.h"
#include "engine/ResultGrid.h"

#include <QHash>

// The changed characters of the text grid's changed pairs, as the grid, the HTML page and the
// workbook show them (setting InlineDiff).

// The stronger shade of a row colour that the changed characters of the row stand out in: each
// channel at four fifths, so a light colour darkens and black text stays readable.
Color strongerShade(Color rowColour);

// Whether text grid row r is a changed pair: a line on each side, both text cells in the
// colour of "変更".
bool isChangedPair(const ResultGrid &grid, int r, Color changedColour);

// The marks of the changed pairs of one text grid, made when a row is first asked for and kept
// until clear() (the grid's contents or the options changed). Only rows that are shown are
// ever asked for, so a result of a million rows costs nothing until it is scrolled through.
class InlineMarkCache {
public:
    // Rows kept at most; past it the cache starts afresh (a page of rows is a few dozen).
    static constexpr int MaxRows = 4096;

    void clear() { m_rows.clear(); }
    // The marks of grid row r, which the caller found to be a changed pair.
    const LineMarks &marks(const ResultGrid &grid, int r, const LineFolding &folding);

private:
    QHash<int, LineMarks> m_rows;
};
