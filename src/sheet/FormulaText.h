#pragma once

#include <QString>

// The text of a formula that a workbook shares over a range, as the cell rows and cols away
// from the first one holds it: relative references (no $ before the column or row) move with
// the cell; texts in quotes and names stay. A reference moved off the worksheet reads #REF!.
QString shiftFormula(const QString &formula, int rows, int cols);
