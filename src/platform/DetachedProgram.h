#pragma once

#include <QString>
#include <QStringList>

// Starts a program that lives on by itself (nobody waits for it), with every argument passed as
// the exact bytes of its name: a path that is not UTF-8 reaches the program as the file system
// spells it, which QProcess's text arguments cannot do. program is the file's path, or a bare
// name looked for on the PATH. False when the program could not be started.
bool startDetachedProgram(const QString &program, const QStringList &arguments);
