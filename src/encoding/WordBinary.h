#pragma once

#include <QByteArray>
#include <QString>

// The text of a Word 97–2003 binary document (.doc), read in-process: the compound file, its
// file information block, the piece table and the pieces of text in document order. The main
// story only (no headers, notes or text boxes), one line per paragraph, table cells one per
// line, the row marks left out, fields as their results, manual line and page breaks as line
// breaks, lines joined with LF; tracked deletions left out (the text with every change
// accepted), symbol-font characters as their Unicode characters. False with the reason (one of the
// DocumentText / ZipText texts) when the bytes are no readable Word document: damaged, encrypted,
// an older format.
bool readWordBinary(const QByteArray &file, QString *text, QString *reason);
