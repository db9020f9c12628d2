#pragma once

#include <QString>

// The external editor's command line for a file and a line: every "%L" and then "%l" becomes
// the line number, every "%F" and then "%f" the path (as it is, without quotes: a template
// that wants quotes writes them around %F).
QString expandEditorCommand(const QString &templateText, const QString &path,
                            const QString &lineNumber);

// Starts a command line without a shell: it is split into the program and its arguments the
// way a shell would quote them, so characters in a file name can never run commands. Returns
// false when it could not be started.
bool startCommandLine(const QString &commandLine);

// The default editor command: "notepad %F" on Windows, "xdg-open %F" elsewhere.
QString defaultEditorCommand();
