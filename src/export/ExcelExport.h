#pragma once

#include "engine/ResultGrid.h"
#include "engine/Workspace.h"
#include "platform/AtomicFile.h"

#include <QString>

// The result grid in front as a formatted workbook. The file is always an Office Open XML
// package (.xlsx); a ".xls" name gets the same package under that name.
//
// Layout: the two paths in row 2, the grid from row 3 on, one worksheet row per grid row.
// - Text and binary grids: paths in B2 and D2; grid columns 0-3 in B-E. Every cell is a
//   string, so line numbers and addresses stay text. Columns B and D are centred, 7 wide
//   (9 for the binary grid), C and E 50 wide. B-C take the back colour of grid column 1,
//   D-E that of grid column 3.
// - Folder grid: paths in B2 and F2; grid columns 0-7 in B-I (the two hidden size columns
//   stay out), each cell with its own back colour; B and F 25 wide.
// The grid's header rows are grey (#C0C0C0), the grid part has thin borders on every edge,
// and the written cells and the grid's columns use the font "ＭＳ ゴシック". A cell text
// longer than a worksheet cell can hold (32,767 characters) is cut at that length.
// With the workspace's inlineDiff, the differing characters of each changed pair of the text
// grid are rich text in bold dark red.
//
// Fails, saying why, when the workbook could not be written, including a grid with more rows
// than a worksheet holds; the file at path then stays as it was (an earlier file is replaced
// only by a complete workbook).
WriteResult ExportExcel(const Workspace &ws, const ResultGrid &grid, const QString &path);
