#pragma once

#include <QByteArray>
#include <QString>

// What merging three texts came to: the merged bytes and the number of conflicts, or why
// there are none.
struct MergedText {
    QByteArray bytes;
    int conflicts = 0;
    QString error; // set when the result cannot be written (bytes then empty)

    bool ok() const { return error.isEmpty(); }
};

// The markers' labels, as diff3 prints the names it was given.
struct MergeLabels {
    QString mine;
    QString older;
    QString yours;
};

// Merges the changes OLDER → MINE and OLDER → YOURS into MINE, as `diff3 -m MINE OLDER YOURS`
// does, except that a change both sides made alike is taken once rather than bracketed, and
// that a marker never follows a last line without a line end on the same line. Each text is
// read in the encoding detected for it and its lines are compared by their text: a line end
// (LF, CR LF, CR) is not a change, a missing line end at the end of a file is. The result is
// in MINE's encoding and begins with MINE's byte-order mark (an empty MINE takes YOURS', else
// OLDER's; a MINE of plain ASCII takes the Shift_JIS, EUC-JP or UTF-8 of a side with more than
// ASCII, rather than the detector's guess). Lines keep their bytes where their encoding is the
// result's; a line of another side that ends as its file usually does ends as MINE usually
// does; marker lines end as MINE usually does. A character the result's encoding cannot hold
// is an error, never written as another character.
MergedText mergeTexts(const QByteArray &mine, const QByteArray &older, const QByteArray &yours,
                      const MergeLabels &labels);

// What merging three files came to.
struct MergeFilesResult {
    enum Status { Clean = 0, Conflicts = 1, Trouble = 2 }; // diff3's exit statuses
    Status status = Trouble;
    int conflicts = 0;
    QString error; // one line, when status is Trouble
};

// Reads the three files (the paths are the labels), merges them with mergeTexts and writes
// the result to `output` in one step. On any trouble nothing is written.
MergeFilesResult mergeFiles(const QString &mine, const QString &older, const QString &yours,
                            const QString &output);
