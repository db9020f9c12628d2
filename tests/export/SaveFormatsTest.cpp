// The one list of output types: the save dialog's filters, the types output names ask for, and
// the names a dialog choice is written under.
#include "export/SaveFormats.h"

#include <gtest/gtest.h>

namespace {

TEST(SaveFormats, DialogOrderIsTheTypeNumber) {
    const std::span<const SaveFormat> formats = saveFormats();
    ASSERT_EQ(formats.size(), 6u);
    for (size_t k = 0; k < formats.size(); ++k)
        EXPECT_EQ(formats[k].type, int(k + 1));
    EXPECT_EQ(formats[3].caption, QStringLiteral("CSV ファイル(*.csv)"));
}

TEST(SaveFormats, OutputNameAsksForAType) {
    EXPECT_EQ(saveTypeOf(QStringLiteral("r.htm")), SaveTypeHtml);
    EXPECT_EQ(saveTypeOf(QStringLiteral("r.XLS")), SaveTypeXls);
    EXPECT_EQ(saveTypeOf(QStringLiteral("r.csv")), SaveTypeCsvUtf8);
    EXPECT_EQ(saveTypeOf(QStringLiteral("r.Patch")), SaveTypeUnifiedDiff);
    EXPECT_EQ(saveTypeOf(QStringLiteral("r.diff")), SaveTypeUnifiedDiff);
    // A dot in a folder's name is no extension.
    EXPECT_EQ(saveTypeOf(QStringLiteral("out.diff/r")), SaveTypeCsvUtf8);
    EXPECT_EQ(saveTypeOf(QStringLiteral("r.txt")), SaveTypeCsvUtf8);
}

TEST(SaveFormats, DialogNameGetsTheTypesExtension) {
    EXPECT_EQ(savedFileName(QStringLiteral("r"), SaveTypeCsvAnsi), QStringLiteral("r.csv"));
    // Exactly: another case or a sibling extension gets it appended.
    EXPECT_EQ(savedFileName(QStringLiteral("r.CSV"), SaveTypeCsvUtf8), QStringLiteral("r.CSV.csv"));
    EXPECT_EQ(savedFileName(QStringLiteral("r.htm"), SaveTypeHtml), QStringLiteral("r.htm.html"));
    EXPECT_EQ(savedFileName(QStringLiteral("r.xlsx"), SaveTypeXlsx), QStringLiteral("r.xlsx"));
    // A unified diff keeps any name that asks for one.
    EXPECT_EQ(savedFileName(QStringLiteral("r.patch"), SaveTypeUnifiedDiff),
              QStringLiteral("r.patch"));
    EXPECT_EQ(savedFileName(QStringLiteral("r.DIFF"), SaveTypeUnifiedDiff),
              QStringLiteral("r.DIFF"));
    EXPECT_EQ(savedFileName(QStringLiteral("r.txt"), SaveTypeUnifiedDiff),
              QStringLiteral("r.txt.diff"));
}

} // namespace
