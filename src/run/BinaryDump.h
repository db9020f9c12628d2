#pragma once

#include "engine/Workspace.h"

#include <QByteArray>
#include <QString>

// The hexadecimal comparison in the binary grid fgB: 16 bytes a data row (from row 2 on), an
// address column and a byte column per side (0 left: columns 0-1, 1 right: columns 2-3).
// The left side sets the grid's row count, the right side only raises it, so call the left
// side first. The grid keeps the bytes themselves; row texts are made when they are read.

// Dumps a file into one side: brings fgB to the front, writes "name [modification time]"
// into header row 0 and gives the side ⌊n/16⌋ + 1 data rows (the last one may hold no bytes).
// A file that cannot be read leaves the side without rows and is named in ws.runProblems.
// Processes events after every 1024 bytes; returns false when ws.bAbort stopped it (the rows
// written so far stay), true otherwise.
bool dumpFile(Workspace &ws, int side, const QString &path);

// Dumps a byte array (a stored clipboard text, see utf16LeBytes) into one side: ⌈b/16⌉ data
// rows, header unchanged. Brings fgB to the front; aborts like dumpFile.
bool dumpBytes(Workspace &ws, int side, const QByteArray &bytes);

// A text as UTF-16 little-endian bytes, two a character, low byte first.
QByteArray utf16LeBytes(const QString &text);

// Compares the data rows of fgB row by row: a row with only one side's address is coloured
// and counted as left-only or right-only, a row whose bytes differ as changed. With
// ws.OnlyDF the other rows are removed; when none is left, one empty data row stays.
void compareBinaryRows(Workspace &ws);
