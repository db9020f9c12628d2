#pragma once

#include "engine/ResultGrid.h"

#include <memory>

// A text grid as a comparison leaves it: header row 0, then `dataRows` rows holding line
// numbers in columns 0 and 2 and "L<n>" / "R<n>" texts in columns 1 and 3.
inline std::unique_ptr<ResultGrid> makeTextGrid(int dataRows) {
    auto grid = std::make_unique<ResultGrid>(4, 1);
    grid->setRedraw(false);
    grid->setRows(dataRows + 1);
    const char *headers[] = {"行数", "本文", "行数", "本文"};
    for (int c = 0; c < 4; ++c)
        grid->setText(0, c, QString::fromUtf8(headers[c]));
    grid->setColAlignment(1, ResultGrid::AlignLeftCenter);
    grid->setColAlignment(3, ResultGrid::AlignLeftCenter);
    for (int r = 1; r <= dataRows; ++r) {
        grid->setNumber(r, 0, r);
        grid->setText(r, 1, QStringLiteral("L%1").arg(r));
        grid->setNumber(r, 2, r);
        grid->setText(r, 3, QStringLiteral("R%1").arg(r));
    }
    grid->setRedraw(true);
    return grid;
}
