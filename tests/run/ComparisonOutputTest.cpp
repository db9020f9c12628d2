// A request classified once: each side into one source value, the output into one type, and
// the route of the output decided by the two together.
#include "run/ComparisonOutput.h"
#include "engine/EngineTexts.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

namespace {

TEST(ClassifySources, EachSideOnceWithItsNamedEncoding) {
    TempFiles files;
    const QString text = files.write("notes.TXT", "a\n");
    const QString csv1 = files.write("a.csv", "x\n"), csv2 = files.write("b.CSV", "y\n");
    Workspace ws;
    ws.chosenEncoding = {QStringLiteral("EUC"), QStringLiteral("UTF8")};
    ws.chosenEncodingPath = {text, QStringLiteral("elsewhere.txt")};

    const SourcePair pair = classifySources(ws, text, ClipboardWord);
    EXPECT_EQ(pair[0].kind, SourceKind::TextFile);
    EXPECT_EQ(pair[0].extension, QStringLiteral("txt"));
    EXPECT_EQ(pair[0].encoding, QStringLiteral("EUC"));
    // An encoding named for another path does not follow the side.
    EXPECT_EQ(pair[1].kind, SourceKind::Clipboard);
    EXPECT_EQ(pair[1].encoding, QString());

    // Under the CSV toggle two CSV files are workbooks; beside anything else a CSV is text.
    ws.Csv = true;
    const SourcePair csvs = classifySources(ws, csv1, csv2);
    EXPECT_EQ(csvs[0].kind, SourceKind::Workbook);
    EXPECT_EQ(csvs[1].kind, SourceKind::Workbook);
    EXPECT_EQ(classifySources(ws, csv1, text)[0].kind, SourceKind::TextFile);
    EXPECT_TRUE(csvs[0].isFile());
    EXPECT_FALSE(pair[1].isFile());
}

TEST(OutputRoute, TheOutputTypeIsAskedBeforeTheSources) {
    const Source book{SourceKind::Workbook, QStringLiteral("a.xlsx"), QStringLiteral("xlsx"), {}};
    const Source text{SourceKind::TextFile, QStringLiteral("a.txt"), QStringLiteral("txt"), {}};
    const Source folder{SourceKind::Folder, QStringLiteral("d"), QString(), {}};
    EXPECT_EQ(outputRoute({book, book}, SaveTypeUnifiedDiff), OutputRoute::UnifiedDiff);
    EXPECT_EQ(outputRoute({folder, folder}, SaveTypeUnifiedDiff), OutputRoute::UnifiedDiff);
    for (const SaveType type :
         {SaveTypeHtml, SaveTypeXls, SaveTypeXlsx, SaveTypeCsvAnsi, SaveTypeCsvUtf8}) {
        EXPECT_EQ(outputRoute({book, book}, type), OutputRoute::WorkbookReport);
        EXPECT_EQ(outputRoute({book, text}, type), OutputRoute::ResultGrid);
        EXPECT_EQ(outputRoute({text, text}, type), OutputRoute::ResultGrid);
    }
}

} // namespace
