#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace {

QStringList list(std::initializer_list<const char *> items) {
    QStringList out;
    for (const char *s : items)
        out << QString::fromUtf8(s);
    return out;
}

TEST(SplitCommandLine, UnquotedPathsSplitAtEverySpace) {
    EXPECT_EQ(SplitCommandLine(QStringLiteral("a.txt b.txt")), list({"a.txt", "b.txt"}));
    EXPECT_EQ(SplitCommandLine(QStringLiteral("a.txt  b.txt")), list({"a.txt", "", "b.txt"}));
    EXPECT_EQ(SplitCommandLine(QStringLiteral("one")), list({"one"}));
}

TEST(SplitCommandLine, QuotedPathsKeepTheirSpaces) {
    EXPECT_EQ(SplitCommandLine(QStringLiteral("\"C:\\my docs\\a.txt\" \"C:\\b c\\b.txt\"")),
              list({"C:\\my docs\\a.txt", "C:\\b c\\b.txt"}));
    // Two spaces between the quoted paths are accepted too.
    EXPECT_EQ(SplitCommandLine(QStringLiteral("\"C:\\my docs\\a.txt\"  \"b.txt\"")),
              list({"C:\\my docs\\a.txt", "b.txt"}));
    EXPECT_EQ(SplitCommandLine(QStringLiteral("\"C:\\フォルダ 1\"")), list({"C:\\フォルダ 1"}));
}

TEST(SplitCommandLine, DegenerateInputsGiveNoElementsWithoutCrashing) {
    EXPECT_TRUE(SplitCommandLine(QString()).isEmpty());
    EXPECT_TRUE(SplitCommandLine(QStringLiteral("\"")).isEmpty());
    EXPECT_EQ(SplitCommandLine(QStringLiteral("\"\"")), list({""}));
}

TEST(SplitCommandLine, TheThreeBatchRunForms) {
    // Quoted program path: every argument quoted, "/o" included.
    EXPECT_EQ(SplitCommandLine(QStringLiteral("\"C:\\Program Files\\Corvane\\corvane.exe\" "
                                              "\"C:\\in 1\\a.txt\" \"C:\\in 2\\b.txt\" \"/o\" "
                                              "\"C:\\out dir\\result.html\"")),
              list({"C:\\Program Files\\Corvane\\corvane.exe", "C:\\in 1\\a.txt", "C:\\in 2\\b.txt",
                    "/o", "C:\\out dir\\result.html"}));
    // The output path joined to the option.
    EXPECT_EQ(SplitCommandLine(QStringLiteral("\"C:\\Corvane\\corvane.exe\" \"a.txt\" "
                                              "\"b.txt\" \"/oC:\\out dir\\r.csv\"")),
              list({"C:\\Corvane\\corvane.exe", "a.txt", "b.txt", "/oC:\\out dir\\r.csv"}));
    // Nothing quoted.
    EXPECT_EQ(SplitCommandLine(QStringLiteral("C:\\Corvane\\corvane.exe a.txt b.txt /o r.xlsx")),
              list({"C:\\Corvane\\corvane.exe", "a.txt", "b.txt", "/o", "r.xlsx"}));
}

TEST(stripProgramPath, LeavesTheArgumentsTrimmed) {
    EXPECT_EQ(stripProgramPath(QStringLiteral("\"C:\\Program Files\\corvane.exe\" \"a b.txt\" "
                                              "\"c.txt\"  ")),
              QStringLiteral("\"a b.txt\" \"c.txt\""));
    EXPECT_EQ(stripProgramPath(QStringLiteral("/usr/bin/corvane   a.txt b.txt")),
              QStringLiteral("a.txt b.txt"));
}

TEST(stripProgramPath, NoArgumentsGiveTheEmptyString) {
    EXPECT_EQ(stripProgramPath(QStringLiteral("\"C:\\Program Files\\corvane.exe\"")), QString());
    EXPECT_EQ(stripProgramPath(QStringLiteral("corvane")), QString());
    EXPECT_EQ(stripProgramPath(QStringLiteral("corvane   ")), QString());
    EXPECT_EQ(stripProgramPath(QString()), QString());
}

} // namespace
