#pragma once

#include <QStringList>

// The window and everything it draws with live in a module of their own, which the program
// loads only when it opens a window: a batch run then starts without loading the graphical
// libraries, about half of its start-up time.
//
// The module's one entry opens the window on the given sources (the command line's elements,
// the program's path first) and runs it until it closes; argc must outlive the call.
using RunWindowFunction = int (*)(int &argc, char **argv, const QStringList &elements);
inline constexpr char RunWindowSymbol[] = "corvaneRunWindow";
