#pragma once

#include "engine/Workspace.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// What a batch command line asks for: up to two existing paths (an empty one is an empty
// side) and the output file; or three, to merge.
struct BatchRequest {
    QString path1;
    QString path2;
    QString path3;           // YOURS of a merge MINE OLDER YOURS (path1, path2, path3)
    bool threeTexts = false; // a third source was given: merge instead of compare
    QString output;
    QStringList notFound; // elements that name no existing path and are no option
    // "/e1 NAME", "/e2 NAME": the encoding each side's text file is read in (empty: detected),
    // as the element gave it; checked by batchCompare.
    std::array<QString, 2> encodings;
    int sources = 0; // paths given, empty ones included ("" is a missing side)
};

// Reads the command line's elements (element 0 is the program path). Existing paths and web
// addresses fill path1, then path2, then path3 (further ones are ignored); "/o OUT" or
// "/oOUT" names the output; "/e1 NAME" or "/e1NAME" (and "/e2") names an encoding for the left
// (right) side. Returns nothing when no output is named: then the program starts
// interactively.
std::optional<BatchRequest> parseBatchArgs(const QStringList &elements);

// Exit statuses of a batch run, as diff has them.
enum BatchStatus { BatchSame = 0, BatchDifferent = 1, BatchTrouble = 2 };

struct BatchResult {
    int status = BatchTrouble;
    QString output; // the final status text, for stdout
    QString error;  // one line for stderr when status is BatchTrouble
};

// The text as one printable line: line breaks and other control characters (which file names
// may hold) are written as \n, \r, \t or \xHH, so a message stays the one line it claims to be.
QString oneLine(const QString &text);

// Compares the request's two paths and saves the result by the output's extension. Never
// reports success when a source could not be read, two given sources were not compared or
// the output could not be written; never writes over an input.
// With three sources the request is a merge (batchMerge) instead.
BatchResult batchCompare(Workspace &ws, const BatchRequest &request);

// Merges path1 (MINE), path2 (OLDER) and path3 (YOURS) into the output as `diff3 -m` does:
// BatchSame when it is clean, BatchDifferent when it holds conflicts. Three files are needed;
// the output is never one of them.
BatchResult batchMerge(const Workspace &ws, const BatchRequest &request);
