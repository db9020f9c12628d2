#pragma once

#include "engine/ResultGrid.h"

// Finds the next (or previous) difference from row `fromRow` by the colours of column `col`:
// rows of the colour the walk starts in belong to the same block and are passed over; after an
// unpainted row any painted row is a find. Returns the row found, or -1 when the walk reaches
// the last (first) data row without one.
int findDifference(const ResultGrid &grid, int fromRow, int col, int firstDataRow, bool forward);

// Finds the next (or previous) entry row from `fromRow` that differs: one with any cell painted
// in a colour other than the default and `neutral` (entries neither equal nor different). Every
// such row is a find, also right after another one, so a walk through a folder tree stops at
// each changed folder and each changed entry inside it. Returns -1 at the end, as above.
int findDifferingRow(const ResultGrid &grid, int fromRow, int firstDataRow, bool forward,
                     Color neutral);
