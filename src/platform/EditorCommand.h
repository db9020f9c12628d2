#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The words of a command line grouped as a shell groups them, without running one and without
// any expansion: blanks separate words; '...' keeps everything literally; "..." keeps blanks,
// and a backslash in it escapes only \ " $ and `; outside quotes a backslash escapes the next
// character (on Windows a backslash is a path separator and always literal). Nothing when a
// quote is left open.
std::optional<QStringList> splitCommandWords(const QString &commandLine);

// The external editor's program and arguments for a file and a line: the template is split
// into words first, then inside each word every "%L" or "%l" becomes the line number and every
// "%F" or "%f" the path. So a path with blanks, quotes, "$()" or ";" is always exactly one
// argument (or part of one), whatever the template, and never reaches a shell. Empty when the
// template has no words or leaves a quote open.
QStringList editorCommand(const QString &templateText, const QString &path,
                          const QString &lineNumber);

// Starts a program with its arguments (the first word is the program), detached and without a
// shell. Returns false when it could not be started.
bool startCommand(const QStringList &command);

// A path as one word of a command line: as it is when splitting keeps it whole, quoted
// otherwise (for the editor pickers, whose text becomes the start of a template).
QString quoteCommandWord(const QString &word);

// The default editor command: "notepad %F" on Windows, "xdg-open %F" elsewhere.
QString defaultEditorCommand();
