#pragma once

#include "engine/ResultGrid.h"

#include <functional>

// The folder grid's type text of a folder entry.
inline const QString FolderTypeText = QStringLiteral("フォルダ");

// Reorders the data rows (below the fixed rows) of a grid by `less`, which is given two grid
// row numbers of the grid as it stood before the sort. Texts, number cells, back colours and
// row heights move with their row. The sort is stable. Redrawing is suspended meanwhile, so
// views are told once.
void sortGridRows(ResultGrid &grid, const std::function<bool(int a, int b)> &less);

// The folder view's order of two data rows a and b for key column `col`: -1, 0 or 1.
// Folders come first when ascending and last when descending, on either side; columns 1 and 5
// order by the exact sizes of the hidden columns 8 and 9 (an empty size counts as 0); every
// other column by its text, without regard to case, in the user locale's collation.
int folderRowCompare(const ResultGrid &grid, int a, int b, int col, bool ascending);

// Sorts the folder grid by a click on the header of column `col`, alternating between
// ascending and descending through the grid's tag text (the number of the column of the last
// ascending sort, or empty). A tree (folders compared through every level) keeps its shape:
// the entries within each folder are sorted, and each folder's contents follow its row.
// Returns true when this sort ran ascending.
bool sortFolderGrid(ResultGrid &grid, int col);
