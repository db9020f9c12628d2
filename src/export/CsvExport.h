#pragma once

#include "engine/ResultGrid.h"
#include "engine/Workspace.h"
#include "platform/AtomicFile.h"

#include <QString>

// CSV forms of the result grid in front: each side preceded by a state word ("CHG", "ADD",
// "DEL") read back from the row's colour. Every field is quoted (a quote inside is doubled)
// and every line ends with CR LF. Both fail, saying why, when the file could not be written;
// an earlier file at the path then stays as it was.

// In the ANSI code page (windows-31j), without a byte-order mark.
WriteResult ExportCsvAnsi(const Workspace &ws, const ResultGrid &grid, const QString &path);

// In UTF-8 with a byte-order mark. separator goes between fields, between their quotes.
WriteResult ExportCsvUtf8(const Workspace &ws, const ResultGrid &grid, const QString &path,
                          const QString &separator);
