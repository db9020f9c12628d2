#pragma once

#include "engine/Workspace.h"

#include <QString>
#include <QStringList>

#include <optional>

// What a batch command line asks for: up to two existing paths (an empty one is an empty
// side) and the output file.
struct BatchRequest {
    QString path1;
    QString path2;
    QString output;
    QStringList notFound; // elements that name no existing path and are no option
    int sources = 0;      // paths given, empty ones included ("" is a missing side)
};

// Reads the command line's elements (element 0 is the program path). Existing paths and web
// addresses fill path1, then path2 (further ones are ignored); "/o OUT" or "/oOUT" names the
// output. Returns nothing when no output is named: then the program starts interactively.
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
BatchResult batchCompare(Workspace &ws, const BatchRequest &request);
