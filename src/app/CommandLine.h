#pragma once

#include <QString>
#include <QStringList>

// Splits a list of paths the way the program's command line is read. Unquoted: at single
// spaces (two spaces give an empty element). Starting with a double quote: the first and the
// last character are dropped and the rest is split at quote-space-space-quote, or, when that
// finds no separator, at quote-space-quote. So paths are either all unquoted and free of
// spaces, or all quoted. An empty string or a lone quote gives no elements.
QStringList SplitCommandLine(const QString &s);

// The arguments of a full command line: what follows the quoted program path (after the first
// quote-space) or the unquoted one (after the first space), trimmed of spaces. A command line
// without arguments gives the empty string.
QString stripProgramPath(const QString &commandLine);
