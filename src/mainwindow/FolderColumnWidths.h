#pragma once

#include <array>

class QFontMetrics;

// The widths of the folder grid's ten columns for a grid `width` pixels wide, scrollRoom of
// which is kept for the vertical scroll bar. Size, type and date columns are as wide as their
// templates in `fm`, and the two name columns share the rest; the internal columns 8 and 9
// get none.
//
// A tree (a comparison through every level) indents its names below their folders, so there
// the names come first: in a narrow grid the dates give up their time of day (elided; the
// tooltip shows the whole text) until a ten-character name three levels down shows whole;
// a grid narrower still scrolls sideways.
std::array<int, 10> folderColumnWidths(int width, int scrollRoom, const QFontMetrics &fm,
                                       bool tree);
