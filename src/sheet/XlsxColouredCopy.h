#pragma once

#include "engine/ResultGrid.h"
#include "platform/AtomicFile.h"

#include <QHash>
#include <QString>

// The user's own .xlsx/.xlsm package with fills added to the coloured cells of one sheet:
// styles.xml gains one fill per colour and a copy of each cell format in use with that fill,
// the sheet's cells point to the copies (cells that held nothing are added), and every other
// entry of the package stays as it was (number formats, merged cells, formulas, widths, other
// sheets). colors are keyed by Sheet::key(row, col); zoomPercent (10 to 400, else none) is set
// on the sheet's view. Fails, saying why, when the package is
// not one it can edit that way (no styles part, cells without references, ...); the caller
// then writes a copy of the values instead. An earlier file at target stays as it was then.
WriteResult writeColouredPackage(const QString &source, const QString &sheetName,
                                 const QHash<quint64, Color> &colors, int zoomPercent,
                                 const QString &target);
