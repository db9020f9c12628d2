#include "run/BinaryDump.h"

#include "engine/EngineTexts.h"
#include "platform/FileReader.h"
#include "platform/Paths.h"

#include "encoding/Charset.h"

#include <QtEndian>

#include <cstring>
#include <limits>

using namespace EngineTexts;

namespace {

constexpr int BytesPerRow = 16;
constexpr int BytesPerPoll = 1024;

// Sizes the grid for the side's data rows and hands it the bytes, then "writes" them out a
// stretch at a time. The grid makes the texts itself, so only the count of bytes written
// moves; the polls fall where a row-by-row dump would have them: events after the row that
// ends at each 1024-byte boundary, the abort flag after every row. The flag changes only while
// events run, so reading it once a stretch sees what a read per row would see, except a flag
// already set at the start, which stops the dump after its first row.
bool dumpSide(Workspace &ws, int side, const QByteArray &bytes, int dataRows) {
    ResultGrid &g = ws.fgB;
    // Byte rows first: sized before, the grid would make millions of ordinary cells.
    g.setByteSide(side, bytes, dataRows);
    const int rows = g.fixedRows() + dataRows;
    if (side == 0 || rows > g.rows())
        g.setRows(rows);

    const qsizetype whole = bytes.size() / BytesPerRow * BytesPerRow;
    if (whole > 0 && ws.bAbort) {
        g.setByteSideShown(side, BytesPerRow);
        return false;
    }
    for (qsizetype done = 0; done < whole;) {
        done = std::min(whole, done + BytesPerPoll);
        g.setByteSideShown(side, done);
        if (done % BytesPerPoll == 0) {
            ws.reportProgress(done, whole);
            ws.processEvents();
        }
        if (ws.bAbort)
            return false;
    }
    g.setByteSideShown(side, bytes.size());
    return true;
}

// More rows than a grid can count: treated as unreadable rather than cut short.
bool tooLarge(qsizetype dataRows) {
    return dataRows > std::numeric_limits<int>::max() - 3;
}

bool bytesDiffer(QByteArrayView a, QByteArrayView b) {
    // An empty view may have no data pointer, which memcmp must never be given.
    return a.size() != b.size() ||
           (a.size() > 0 && std::memcmp(a.data(), b.data(), size_t(a.size())) != 0);
}

} // namespace

bool dumpFile(Workspace &ws, int side, const QString &path) {
    ws.sShowView(ResultView::Binary);
    ResultGrid &g = ws.fgB;
    g.setText(0, side == 0 ? 1 : 3,
              fileNameOf(path) + QStringLiteral(" [") + modificationText(path) +
                  QStringLiteral("]"));

    // Only regular files (a pipe or a device may never end), and the whole file is held in
    // memory, so its size is bounded too.
    const WholeFile file = readWholeFile(path, MaxComparedFileBytes);
    const bool oversized = file.problem == FileProblem::TooLarge;
    const QByteArray &bytes = file.bytes;
    const bool read = file.ok() && !tooLarge(bytes.size() / BytesPerRow + 1);
    if (!read) {
        // The side shows no rows at all, so it cannot pass for an empty file; the left side
        // still leaves one empty data row, as the reset grid has.
        ws.runProblems << (oversized ? TooLargeToRead : CannotRead) + path;
        if (side == 0)
            g.setRows(g.fixedRows() + 1);
        g.setByteSide(side, QByteArray(), 0);
        return true;
    }
    // A file of n bytes has ⌊n/16⌋ + 1 data rows: when n is a multiple of 16 (0 too) the last
    // one has an address and no bytes.
    return dumpSide(ws, side, bytes, int(bytes.size() / BytesPerRow) + 1);
}

bool dumpBytes(Workspace &ws, int side, const QByteArray &bytes) {
    ws.sShowView(ResultView::Binary);
    const qsizetype dataRows = (bytes.size() + BytesPerRow - 1) / BytesPerRow;
    if (tooLarge(dataRows)) {
        ws.runProblems << CannotRead + ClipboardWord;
        ws.fgB.setByteSide(side, QByteArray(), 0);
        return true;
    }
    return dumpSide(ws, side, bytes, int(dataRows));
}

QByteArray utf16LeBytes(const QString &text) {
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    qToLittleEndian<char16_t>(text.utf16(), text.size(), bytes.data());
    return bytes;
}

void compareBinaryRows(Workspace &ws) {
    ResultGrid &g = ws.fgB;
    const int first = g.fixedRows();
    const int end = g.rows();
    std::vector<int> equalRows;
    for (int r = first; r < end; ++r) {
        const bool left = !g.isEmpty(r, 0);
        const bool right = !g.isEmpty(r, 2);
        if (left && !right) {
            g.setRowColors(r, ws.txtState[1], ws.txtState[2]);
            ++ws.LeftOnlyCount;
        } else if (right && !left) {
            g.setRowColors(r, ws.txtState[2], ws.txtState[1]);
            ++ws.RightOnlyCount;
        } else if (left && (g.hasByteRows() ? bytesDiffer(g.rowBytes(r, 0), g.rowBytes(r, 1))
                                            : g.text(r, 1) != g.text(r, 3))) {
            g.setRowColors(r, ws.txtState[0], ws.txtState[0]);
            ++ws.DiffCount;
        } else if (ws.OnlyDF) {
            // Equal, or a row neither side reaches (a side that could not be read).
            equalRows.push_back(r);
        }
    }
    if (equalRows.empty())
        return;
    const bool none = int(equalRows.size()) == end - first;
    g.removeRows(equalRows);
    // Like the text grid, an all-equal result keeps one empty data row.
    if (none)
        g.setRows(first + 1);
}
