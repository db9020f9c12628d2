#pragma once

#include <QByteArray>
#include <QString>

// True when bytes begin as an RTF document does ("{\rtf").
bool isRichText(const QByteArray &bytes);

// The text of an RTF document, one line per paragraph, lines joined with LF: plain text and
// the characters of control words (\tab, \emdash, \~ ...), \uN with its \ucN replacement
// characters skipped, \'hh bytes in the code page of the current font's charset, else of
// \ansicpg (CP932 for Japanese), else Windows-1252. A table cell is a line of its own; deleted
// (tracked) text is left out. Font, colour and style tables, document information, pictures,
// headers, footers, notes, field instructions and every \* destination are not text.
// False with *reason (a ZipText or DocumentText text) when the bytes are no RTF document or
// nest groups deeper than any application writes.
bool readRichText(const QByteArray &bytes, QString *text, QString *reason);
