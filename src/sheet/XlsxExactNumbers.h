#pragma once

// The workbook library writes numbers with 16 significant digits, so 0.30000000000000004 would
// be read back as 0.3. The numbers it would change are noted while a sheet is written and put
// back in their shortest exact form into the written sheet afterwards.

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>

// The shortest text that reads back as exactly v, when the library's own text would not;
// nothing when that one already does (or v is not finite).
std::optional<QByteArray> exactTextIfLost(double v);

// The sheet's XML with the value of each numeric cell whose address ("B2") the map holds
// replaced by the map's text. Cells not in the map, and texts, stay byte for byte.
QByteArray withExactNumbers(const QByteArray &sheetXml, const QHash<QByteArray, QByteArray> &exact);

// Rewrites the first worksheet of the .xlsx package at path that way. False when the package
// cannot be read or written.
bool restoreExactNumbers(const QString &path, const QHash<QByteArray, QByteArray> &exact);
