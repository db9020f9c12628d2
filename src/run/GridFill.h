#pragma once

#include "engine/LineMatching.h"
#include "engine/LineViews.h"
#include "engine/Workspace.h"

#include <QStringList>

// Column alignments of the three grids, set once when the window loads.
void setupGridColumns(Workspace &ws);

// Empties the three grids and writes their header rows (start of every run).
void resetGridHeaders(Workspace &ws);

// The line texts are stored without copying: the caller keeps their source texts alive with
// ws.fg.keepAlive().
//
// Fills the text grid from the matching's table: every row, or only the differing rows when
// the only-differences toggle is down. Colours the rows and counts them.
void fillTextGrid(Workspace &ws, const PairTable &table, const QStringList &left,
                  const QStringList &right);
// The same from the places of the lines, once their strings are gone.
void fillTextGrid(Workspace &ws, const PairTable &table, const LineViews &left,
                  const LineViews &right);

// Whether the grid paints a row of the table as a difference: two unequal lines, or one line
// that is not an ignored blank.
bool rowDiffers(const PairTable::Row &row, const LineViews &left, const LineViews &right,
                const LineFolding &folding);

// Shows the lines of one side (0 left, 1 right) alone, uncoloured. Polls the abort flag every
// 1000 lines; returns false when the user aborted (the rows written so far stay).
bool showOneSided(Workspace &ws, int side, const LineViews &lines);
