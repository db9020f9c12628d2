#pragma once

#include "encoding/DecodeText.h"
#include "engine/Workspace.h"
#include "platform/Background.h"
#include "sheet/Workbook.h"

#include <QStringList>

#include <array>
#include <mutex>
#include <optional>

// Loading one side of a comparison from a file, a document, a web address or a workbook. A side
// that cannot be read has no lines (or no sheets), and ws.runProblems says why.

// A text file read, decoded and split into lines that point into the text.
struct LoadedText {
    DecodedText decoded; // the text and how it was read
    LineViews lines;
};

// The lines of a text file or a word-processor document; they point into a text the text grid
// keeps alive. With `pending`, a text file's text is the one readTextInBackground started.
// `stopped` (when given) is set when the read ended on the user's stop rather than whole.
// `decodeTurn` (may be null) is shared with a read in the background: see LoadNormalizedText.
// A text file is read in `encoding` (empty: detected); `found` (may be null) is told how it was
// read (left alone for a document or a file that could not be read).
LineViews loadFileLines(Workspace &ws, const QString &path, bool document,
                        Background::Half<LoadedText> *pending = nullptr, bool *stopped = nullptr,
                        std::mutex *decodeTurn = nullptr, const QString &encoding = {},
                        DecodedText *found = nullptr);

// Reads, detects, decodes and splits a text file on a thread of its own, so that both sides of
// a run load at the same time; stops with the run (ws.bAbort). ws must outlive the result.
// The two sides take turns to decode (`decodeTurn`, when given), so that their bytes and texts
// are never all held at once; reading them still goes on side by side.
Background::Half<LoadedText> readTextInBackground(const Workspace &ws, const QString &path,
                                                  std::mutex *decodeTurn = nullptr,
                                                  const QString &encoding = {});

// The lines of the page at a web address (fetched synchronously, with a time limit).
LineViews loadWebLines(Workspace &ws, const QString &address);

// The sheet names and used ranges of a workbook; writes the side's information text.
std::optional<Workbook> loadWorkbookSide(Workspace &ws, int side, const QString &path);

// One workbook's sheets as a sheet list shown alone: number, name, used range.
QList<SheetListItem> sheetListAlone(const Workbook &book);

// Two workbooks' sheet lists aligned by their names as the line matching pairs lines: row k of
// one list faces row k of the other; a gap row has no number.
std::array<QList<SheetListItem>, 2> alignSheetLists(const Workbook &left, const Workbook &right);
