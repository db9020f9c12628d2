// HTML and CSV reports are made in pieces on two threads: the file must be byte for byte the
// one made in one piece.
#include "ExportFixtures.h"

#include "export/CsvExport.h"
#include "export/HtmlExport.h"
#include "support/SplitSizesScope.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Export = std::function<WriteResult(const Workspace &, const ResultGrid &, const QString &)>;

QByteArray exported(const Export &write, const SplitSizes &sizes, const Workspace &ws,
                    const QString &path) {
    const SplitSizesScope scope(sizes);
    EXPECT_TRUE(write(ws, ws.fg, path));
    return ExportFixtures::readFile(path);
}

} // namespace

TEST(ReportPiecesSplit, PiecesMadeOnTwoThreadsJoinIntoTheOnePieceFile) {
    Workspace ws;
    ws.inlineDiff = true;
    ResultGrid &g = ws.fg;
    ExportFixtures::fillTextResult(ws);
    const int rows = 38;
    g.setRows(rows);
    for (int r = 5; r < rows; ++r) {
        g.setNumber(r, 0, r);
        g.setText(r, 1, QStringLiteral("ab %1").arg(r));
        g.setNumber(r, 2, r);
        g.setText(r, 3, QStringLiteral("aX %1").arg(r));
        ExportFixtures::paintRow(g, r, 0, 4,
                                 r % 3 ? ExportFixtures::changed(ws) : ExportFixtures::added(ws));
    }
    TempFiles files;
    const QString path = files.filePath("report");
    const std::vector<std::pair<const char *, Export>> formats = {
        {"html", ExportHtml},
        {"csv", ExportCsvAnsi},
        {"csv utf-8",
         [](const Workspace &w, const ResultGrid &grid, const QString &p) {
             return ExportCsvUtf8(w, grid, p, QStringLiteral(","));
         }},
    };
    for (const auto &[name, write] : formats) {
        const QByteArray whole = exported(write, SplitSizesScope::never(), ws, path);
        ASSERT_FALSE(whole.isEmpty()) << name;
        // One row a piece, an odd count of pieces, pieces that end inside the rows.
        for (const int rowsPerPiece : {1, 2, 5})
            EXPECT_EQ(exported(write, SplitSizesScope::always(rowsPerPiece), ws, path), whole)
                << name << ", " << rowsPerPiece << " rows a piece";
    }
}
