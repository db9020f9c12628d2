#pragma once

#include "engine/ResultGrid.h"
#include "engine/Workspace.h"
#include "platform/AtomicFile.h"

#include <QString>

// "#RRGGBB" for a colour held as 0x00BBGGRR; bits above the low 24 are ignored.
QString ColorToHtml(Color color);

// The result grid in front as one HTML table in UTF-8 (with a byte-order mark): a title row
// with the two paths, the header rows, and every cell with its on-screen back colour when that
// is a legend colour. "&", "<" and ">" in texts become character references. With the
// workspace's inlineDiff, the differing characters of each changed pair of the text grid are
// in <span class="chg">, which the page's style gives a stronger shade of the row's colour.
// Fails, saying
// why, when the file could not be written; an earlier file at the path then stays as it was.
WriteResult ExportHtml(const Workspace &ws, const ResultGrid &grid, const QString &path);
