#pragma once

#include "engine/Workspace.h"
#include "run/Source.h"

#include <QString>
#include <QStringList>

// Splits normalised text at LF: a trailing line break yields a last, empty line; the empty
// text yields no lines. The lines point into `text` instead of copying it: `text` must stay
// alive and unchanged while they are used.
QStringList splitLinesShared(const QString &text);
// The same for clipboard text, which breaks at CR LF pairs and at a lone LF (the clipboard's
// line break outside Windows); a lone CR stays inside a line.
QStringList splitClipboardLinesShared(const QString &text);

// The one entry point of every comparison: classifies both sources, loads them, pairs the
// lines and fills the result grids of the workspace, with the summary in its status text.
// Every caller passes 1, 5, 10 for the tuning values.
void fTextDiff(Workspace &ws, QString path1, QString path2, int MinRunLines = 1,
               int MinRunChars = 5, int MaxCandidates = 10);
// The same for two sources the caller has classified (classifySources).
void fTextDiff(Workspace &ws, const SourcePair &sources, int MinRunLines = 1, int MinRunChars = 5,
               int MaxCandidates = 10);

// The status text a finished text comparison shows: "完了" and, when anything differs, the
// three counts, then the problems and notes of the run.
QString comparisonSummary(const Workspace &ws);
