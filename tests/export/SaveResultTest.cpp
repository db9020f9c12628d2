#include "export/SaveResult.h"

#include "ExportFixtures.h"
#include "export/ExportTexts.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

using namespace ExportFixtures;

namespace {

TEST(SaveResultPaths, TypeFollowsTheLowerCasedExtension) {
    EXPECT_EQ(saveTypeIndexFromPath(QStringLiteral("r.htm")), 1);
    EXPECT_EQ(saveTypeIndexFromPath(QStringLiteral("r.HTML")), 1);
    EXPECT_EQ(saveTypeIndexFromPath(QStringLiteral("r.xls")), 2);
    EXPECT_EQ(saveTypeIndexFromPath(QStringLiteral("r.Xlsx")), 3);
    EXPECT_EQ(saveTypeIndexFromPath(QStringLiteral("r.csv")), 5);
    EXPECT_EQ(saveTypeIndexFromPath(QStringLiteral("r.txt")), 5);
    EXPECT_EQ(saveTypeIndexFromPath(QStringLiteral("result")), 5);
}

class SaveResultCommand : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        fillTextResult(ws);
    }
    QString path(const char *name) const { return m_dir.filePath(QString::fromUtf8(name)); }

    Workspace ws;
    QTemporaryDir m_dir;
};

TEST_F(SaveResultCommand, WritesByExtensionAndReportsDone) {
    QStringList statuses;
    QObject::connect(&ws, &Workspace::statusChanged,
                     [&statuses](const QString &t) { statuses << t; });
    const SaveOutcome html = SaveResult(ws, path("r.HTML"));
    EXPECT_TRUE(html.ok);
    EXPECT_EQ(statuses, QStringList({ExportTexts::Saving, ExportTexts::Saved}));
    EXPECT_TRUE(readFile(path("r.HTML")).endsWith("</html>"));

    // An unknown extension is written as UTF-8 CSV.
    EXPECT_TRUE(SaveResult(ws, path("r.txt")).ok);
    EXPECT_TRUE(readFile(path("r.txt")).startsWith(Bom + "\"差分結果\""));
}

TEST_F(SaveResultCommand, ActiveGridIsTheOneWritten) {
    ws.fgB.setRows(2);
    setRow(ws.fgB, 0, {QStringLiteral("bin-left"), QString(), QString(), QString()});
    ws.sShowView(ResultView::Binary);
    ASSERT_TRUE(SaveResult(ws, path("r.csv")).ok);
    EXPECT_TRUE(readFile(path("r.csv")).contains("bin-left"));
}

TEST_F(SaveResultCommand, SheetViewWritesNothing) {
    ws.sShowView(ResultView::Sheets);
    const SaveOutcome out = SaveResult(ws, path("r.html"));
    EXPECT_FALSE(out.ok);
    EXPECT_EQ(ws.statusText(), ExportTexts::NotForSheets);
    EXPECT_FALSE(QFile::exists(path("r.html")));
}

TEST_F(SaveResultCommand, BothExcelTypesWriteTheXlsxPackage) {
    // ".xls" gets the same Office Open XML package as ".xlsx", under the name the user chose.
    for (const char *name : {"r.xls", "r.XLSX"}) {
        const SaveOutcome out = SaveResult(ws, path(name));
        EXPECT_TRUE(out.ok) << name;
        EXPECT_EQ(out.message, ExportTexts::Saved);
        EXPECT_TRUE(readFile(path(name)).startsWith("PK\x03\x04")) << name;
    }
    const SaveOutcome missing = SaveResult(ws, path("no/such/r.xlsx"));
    EXPECT_FALSE(missing.ok);
    // The message says where and why: the folder is missing.
    EXPECT_EQ(missing.cause, QString::fromLocal8Bit(std::strerror(ENOENT)));
    EXPECT_EQ(missing.message, ExportTexts::SaveFailed.arg(path("no/such/r.xlsx")) +
                                   QStringLiteral(" (") + missing.cause + u')');
}

TEST_F(SaveResultCommand, FailedWriteIsNotReportedAsDone) {
    const QString missing = path("no/such/r.csv");
    const SaveOutcome out = SaveResult(ws, missing);
    EXPECT_FALSE(out.ok);
    EXPECT_NE(ws.statusText(), ExportTexts::Saved);
    EXPECT_TRUE(ws.statusText().contains(missing));
    EXPECT_EQ(out.message, ws.statusText());
}

TEST_F(SaveResultCommand, FailedWriteKeepsAnEarlierFile) {
    // A folder where the file should go cannot be replaced; nothing else may change.
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("taken.html")));
    EXPECT_FALSE(SaveResult(ws, path("taken.html")).ok);
    EXPECT_TRUE(QFileInfo(path("taken.html")).isDir());
}

} // namespace
