#include "run/GridFill.h"

#include "engine/EngineTexts.h"
#include "platform/Background.h"
#include "platform/SplitSizes.h"

using namespace EngineTexts;

void setupGridColumns(Workspace &ws) {
    for (int c : {1, 3})
        ws.fg.setColAlignment(c, ResultGrid::AlignLeftCenter);
    for (int c : {1, 3})
        ws.fgB.setColAlignment(c, ResultGrid::AlignLeftCenter);
    for (int c : {0, 2, 3, 4, 6, 7})
        ws.fgF.setColAlignment(c, ResultGrid::AlignLeftCenter);
    for (int c : {1, 5})
        ws.fgF.setColAlignment(c, ResultGrid::AlignRightCenter);
}

namespace {

// Empties a grid and leaves it with `rows` empty rows.
void emptyGrid(ResultGrid &g, int rows) {
    g.setRows(0);
    g.setRows(rows);
}

void setRowTexts(ResultGrid &g, int r, std::initializer_list<QString> texts) {
    int c = 0;
    for (const QString &t : texts)
        g.setText(r, c++, t);
}

enum class RowState { Same, LeftOnly, RightOnly, Changed };

RowState classify(const PairTable::Row &row, const LineViews &left, const LineViews &right,
                  const LineFolding &folding) {
    // An ignored blank line stands beside nothing and is no difference.
    if (row.left < 0)
        return folding.blankLines && isBlankLine(right[row.right]) ? RowState::Same
                                                                   : RowState::RightOnly;
    if (row.right < 0)
        return folding.blankLines && isBlankLine(left[row.left]) ? RowState::Same
                                                                 : RowState::LeftOnly;
    const QString a = left[row.left];
    const QString b = right[row.right];
    if (a == b || (folding.letterCase && a.toLower() == b.toLower()))
        return RowState::Same;
    if (folding.active() && comparisonKey(a, folding) == comparisonKey(b, folding))
        return RowState::Same;
    return RowState::Changed;
}

// How many rows of each kind a fill painted.
struct StateCounts {
    int changed = 0, leftOnly = 0, rightOnly = 0;
};

// Paints a row by its state and counts it: the side that has the line in the "added" colour,
// the side without it in the "deleted" colour, a changed pair in the "changed" colour.
void colourRow(const Workspace &ws, ResultGrid &g, int r, RowState state, StateCounts &counts) {
    Color leftColor = 0, rightColor = 0;
    switch (state) {
    case RowState::Same:
        return;
    case RowState::RightOnly:
        leftColor = ws.txtState[2];
        rightColor = ws.txtState[1];
        ++counts.rightOnly;
        break;
    case RowState::LeftOnly:
        leftColor = ws.txtState[1];
        rightColor = ws.txtState[2];
        ++counts.leftOnly;
        break;
    case RowState::Changed:
        leftColor = rightColor = ws.txtState[0];
        ++counts.changed;
        break;
    }
    for (int c : {0, 1})
        g.setBackColor(r, c, leftColor);
    for (int c : {2, 3})
        g.setBackColor(r, c, rightColor);
}

void addCounts(Workspace &ws, const StateCounts &counts) {
    ws.DiffCount += counts.changed;
    ws.LeftOnlyCount += counts.leftOnly;
    ws.RightOnlyCount += counts.rightOnly;
}

void writeRow(ResultGrid &g, int r, const PairTable::Row &row, const LineViews &left,
              const LineViews &right) {
    if (row.left >= 0) {
        g.setNumber(r, 0, row.left + 1);
        g.setSharedText(r, 1, left[row.left]);
    }
    if (row.right >= 0) {
        g.setNumber(r, 2, row.right + 1);
        g.setSharedText(r, 3, right[row.right]);
    }
}

// After a fill: overview bar, wrapped row heights, then the first data row current and on top.
void finishFill(Workspace &ws) {
    ws.sDiffbarPrint();
    if (ws.fg.wordWrap())
        ws.adjustWrapRowHeights();
    ws.fg.setRow(1);
    ws.fg.setCol(1);
    ws.fg.setTopRow(1);
}

} // namespace

void resetGridHeaders(Workspace &ws) {
    emptyGrid(ws.fg, 2);
    ws.fg.setRowHeight(1, ws.fg.rowHeight(0));
    setRowTexts(ws.fg, 0, {LineNumberHeader, TextHeader, LineNumberHeader, TextHeader});

    emptyGrid(ws.fgB, 3);
    setRowTexts(ws.fgB, 0, {File1Header, TextHeader, File2Header, TextHeader});
    setRowTexts(ws.fgB, 1, {AddressHeader, ByteColumnsHeader, AddressHeader, ByteColumnsHeader});
    // The first data row is current, as the text grid's is after a fill: the difference walk
    // starts there.
    ws.fgB.setRow(2);
    ws.fgB.setCol(1);

    emptyGrid(ws.fgF, 2);
    setRowTexts(ws.fgF, 0,
                {FileNameHeader, SizeHeader, TypeHeader, DateHeader, FileNameHeader, SizeHeader,
                 TypeHeader, DateHeader});
}

namespace {

// Writes and paints every row of the table into a grid of as many rows. A long result is
// written in two halves at once, on two cores: each row depends on its own lines alone.
void fillAllRows(Workspace &ws, const PairTable &table, const LineViews &left,
                 const LineViews &right, const LineFolding &folding) {
    ResultGrid &g = ws.fg;
    const int n = table.lastRow();
    auto fillRows = [&](int from, int to, StateCounts &counts) {
        for (int r = from; r < to; ++r) {
            const PairTable::Row &row = table.row(r);
            colourRow(ws, g, r, classify(row, left, right, folding), counts);
            writeRow(g, r, row, left, right);
        }
    };
    StateCounts first, second;
    // Lines that are not shared would be copied into the grid's own store, one at a time.
    if (n >= splitSizes().gridFillRows && !g.redraw() && left.allShared() && right.allShared()) {
        const int half = 1 + n / 2;
        // A failure on either thread reaches the caller once both halves have ended.
        Background::Half<void> secondHalf =
            Background::split([&] { fillRows(half, n + 1, second); });
        fillRows(1, half, first);
        secondHalf.get();
    } else {
        fillRows(1, n + 1, first);
    }
    addCounts(ws, first);
    addCounts(ws, second);
}

} // namespace

void fillTextGrid(Workspace &ws, const PairTable &table, const QStringList &left,
                  const QStringList &right) {
    fillTextGrid(ws, table, LineViews(left), LineViews(right));
}

void fillTextGrid(Workspace &ws, const PairTable &table, const LineViews &left,
                  const LineViews &right) {
    ResultGrid &g = ws.fg;
    const int n = table.lastRow();
    const LineFolding folding = ws.textFolding();
    if (!ws.OnlyDF) {
        g.setRows(n + 1);
        fillAllRows(ws, table, left, right, folding);
        if (g.rows() == 1)
            g.setRows(2);
    } else {
        // Equal rows are left out; the shown rows keep their source line numbers. Letter case
        // always counts here, so a row differing only in case is shown as changed.
        LineFolding caseCounts = folding;
        caseCounts.letterCase = false;
        StateCounts counts;
        for (int r = 1; r <= n; ++r) {
            const PairTable::Row &row = table.row(r);
            const RowState state = classify(row, left, right, caseCounts);
            if (state == RowState::Same)
                continue;
            if (!g.isEmpty(1, 0) || !g.isEmpty(1, 2))
                g.appendRow();
            const int target = g.rows() - 1;
            writeRow(g, target, row, left, right);
            colourRow(ws, g, target, state, counts);
        }
        addCounts(ws, counts);
    }
    finishFill(ws);
}

bool rowDiffers(const PairTable::Row &row, const LineViews &left, const LineViews &right,
                const LineFolding &folding) {
    return classify(row, left, right, folding) != RowState::Same;
}

bool showOneSided(Workspace &ws, int side, const LineViews &lines) {
    ResultGrid &g = ws.fg;
    const int n = int(lines.size());
    g.setRows(std::max(n + 1, 2));
    const int numberCol = side == 0 ? 0 : 2;
    for (int k = 0; k < n; ++k) {
        g.setNumber(k + 1, numberCol, k + 1);
        g.setSharedText(k + 1, numberCol + 1, lines[k]);
        if (k % 1000 == 0) {
            ws.reportProgress(k, n);
            ws.processEvents();
            if (ws.bAbort)
                return false;
        }
    }
    finishFill(ws);
    return true;
}
