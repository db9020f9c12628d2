#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// The one reader of whole files. Only regular files are read (a pipe or a device may block or
// never end), never more than a limit, and a read that the user stops ends after the block in
// hand; a refusal says why in the words the user sees.

enum class FileProblem {
    None,
    NoName,     // the path is empty
    Folder,     // the path names a folder
    NotRegular, // a pipe, a device, a socket
    Open,       // missing, no permission, ...: errorNumber says which
    Read,       // a read failed part way: errorNumber says why
    TooLarge,   // beyond the limit
    Stopped,    // the stop check said so
};

struct WholeFile {
    QByteArray bytes; // empty unless the whole file was read
    FileProblem problem = FileProblem::None;
    int errorNumber = 0; // errno for Open and Read

    bool ok() const { return problem == FileProblem::None; }
    // Why the file was not read: the system's text for the error, "1 GB を超えています" for a
    // file beyond the limit; empty when it was read.
    QString reason() const;
    // "読み込めません: <path> (<reason>)"; empty when the file was read.
    QString problemText(const QString &path) const;
};

// Reads the whole file at path (a name as NativePath spells it). Files larger than limit
// bytes are refused before anything is read, and so is one that grows beyond it while it is
// read. stop (may be empty) is asked between blocks, at least every 50 ms; when it answers
// true the read ends with FileProblem::Stopped.
WholeFile readWholeFile(const QString &path, qint64 limit, const std::function<bool()> &stop = {});

// The first `count` bytes of a regular file (fewer when it is shorter; none when it cannot be
// read). Anything else is never opened: a pipe without a writer would block the open for good.
QByteArray fileHead(const QString &path, qsizetype count = 8);
