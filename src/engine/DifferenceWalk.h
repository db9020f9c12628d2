#pragma once

#include "engine/ResultGrid.h"

// Finds the next (or previous) difference from row `fromRow` by the colours of column `col`:
// rows of the colour the walk starts in belong to the same block and are passed over; after an
// unpainted row any painted row is a find. Returns the row found, or -1 when the walk reaches
// the last (first) data row without one.
int findDifference(const ResultGrid &grid, int fromRow, int col, int firstDataRow, bool forward);
