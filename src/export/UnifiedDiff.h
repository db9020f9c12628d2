#pragma once

#include "engine/LineMatching.h"
#include "engine/ResultGrid.h"
#include "platform/NativePath.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

// A comparison written as a unified diff, the format of `diff -u` that `patch` applies. The
// hunks follow the comparison's pairing of lines but hold the files' own bytes, line ends and
// encoding included, so that patch turns the left file into the right one byte for byte.

// The rows of a comparison in order: 0-based line indexes, -1 where a side has no line.
using LineAlignment = std::vector<PairTable::Row>;

// One side of a file pair: its header text (name and time stamp) and its bytes.
struct DiffSide {
    QByteArray label;
    QByteArray bytes;
};

// Where each line of the bytes begins, as the comparison splits a text: at CR LF, a lone CR
// and LF, with an empty last line after a final line end; no lines for no bytes. The line
// ends are ASCII bytes in every encoding read as text except UTF-16.
std::vector<qsizetype> lineStarts(const QByteArray &bytes);

// The rows of a filled text grid (its line number columns) as an alignment that covers every
// line of both sides: lines a grid of differences alone leaves out are set beside each other
// in their gaps. Nothing when the grid names a line past leftLines or rightLines or out of
// order (the files changed since the comparison).
std::optional<LineAlignment> alignmentFromTextGrid(const ResultGrid &fg, int leftLines,
                                                   int rightLines);

// The ---/+++ headers and the hunks with `context` unchanged lines around each change; empty
// when the bytes are equal. A pair of lines counts as unchanged only when its bytes are equal
// (so what a comparison ignores still reaches the diff). Without an alignment (or one that does
// not cover the lines) the whole left text is replaced by the right.
QByteArray unifiedDiff(const DiffSide &left, const DiffSide &right,
                       const std::optional<LineAlignment> &alignment, int context = 3);

// "PATH<TAB>2024-01-31 09:15:02.123456789 +0900" for a header, as diff -u writes it (the time
// is the file's modification time in local time); a side without a file is "/dev/null" at the
// start of the epoch.
QByteArray diffLabel(const QString &path, bool exists);

// A file that diff would not take as text: it holds a NUL byte (so does any UTF-16 text).
bool looksBinary(const QByteArray &bytes);

// The lines diff writes for a folder pair, with the path texts as given.
QByteArray binaryFilesDiffer(const QString &left, const QString &right);
QByteArray onlyIn(const QString &folder, const QString &name);
QByteArray commonSubdirectories(const QString &left, const QString &right);
QByteArray fileKindsDiffer(const QString &left, const NativeStat &leftStat, const QString &right,
                           const NativeStat &rightStat);
QByteArray diffCommandLine(const QString &left, const QString &right);
