#pragma once

#include "engine/Workspace.h"
#include "platform/AtomicFile.h"
#include "run/Source.h"

#include <QString>

// Writes the comparison of path1 and path2 as a unified diff to `output`. For two files `ws`
// must hold their finished comparison (fTextDiff over them): its rows give the hunks. Two
// folders give, in name order, the diff of every pair of files one level deep whose bytes
// differ (each pair compared with the options of `ws`), "Only in" lines for entries on one
// side and "Common subdirectories" for folders on both, as `diff -u` writes them. A pair that
// is not text (binary mode, a NUL byte, UTF-16, documents, workbooks) is one line "Binary files
// ... differ". Fails, writing nothing, when a source cannot be read or is no file or folder.
// `differs` (when given) is told whether the diff holds anything.
WriteResult writeUnifiedDiff(const Workspace &ws, const SourcePair &sources, const QString &output,
                             bool *differs = nullptr);
