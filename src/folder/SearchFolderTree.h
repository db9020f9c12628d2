#pragma once

#include <QString>

class Workspace;

// The folder comparison through every level of two trees, into ws.fgF. Each folder's entries
// pair by name and kind as at the top, in the same order (the first folder's entries as the
// file system gives them, then the second folder's own), and every pair of folders is followed
// by the rows of its contents: the rows stand in tree order, each naming its entry by its path
// relative to the compared folders ("sub/dir/file.txt").
//
// States: files as at the top (content by ws.folderContentMode, size, type, date); a pair of
// folders is marked changed (its name cells) when anything below it differs; a folder on one
// side only is one row whose size column holds the number of entries in it. The counters count
// files: a one-sided folder counts the files below it (an empty one counts as one). Symbolic
// links are listed, never followed; a folder that cannot be read is named in ws.runProblems
// and its folder pair is marked changed. With ws.OnlyDF, equal files and equal folders are
// left out. ws.fgF must have been reset and the counters zeroed by the caller.
//
// With one root empty the other folder is listed alone through every level, into its own
// half, as a one-level listing of a folder alone is: nothing is compared, coloured or counted.
void searchFolderTree(Workspace &ws, const QString &leftRoot, const QString &rightRoot);
