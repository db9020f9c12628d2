#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

class Workspace;

// The folder comparison: lists one level of entries of folderPath into half `side` (0 left,
// 1 right) of ws.fgF; with otherFolderPath it lists that folder into the right half, pairs
// entries by name and kind, compares the pairs (content by ws.folderContentMode, size, type,
// date) and colours and counts the differences. ws.fgF must have been reset (header and one
// empty data row) and the counters zeroed by the caller. pattern "*.*" (or "*") lists every
// entry; any other pattern is a case-insensitive wildcard on the name.
void SearchFile(Workspace &ws, const QString &folderPath, const QString &pattern, int side,
                const QString &otherFolderPath);

// "1024 byte", "1.50 KB", "1,024.00 MB", "5.00 GB": exact, rounded half up to hundredths,
// with the locale's group separator and decimal point.
QString sizeTextOf(quint64 size, const QLocale &locale = QLocale());

// The locale's short date, a blank and "HH:mm:ss" (milliseconds dropped). Under the C locale
// the date is "yyyy/MM/dd".
QString fFormatFileTime(const QDateTime &time, const QLocale &locale = QLocale());
