#include "mainwindow/SheetListMarker.h"
#include "support/HangGuard.h"
#include "support/TempFiles.h"

#include <QSemaphore>
#include <QTest>

#include <gtest/gtest.h>
#include <xlsxwriter.h>

#include <atomic>

namespace {

void writeBook(const QString &path, double value) {
    lxw_workbook *book = workbook_new(QFile::encodeName(path).constData());
    ASSERT_NE(book, nullptr);
    worksheet_write_number(workbook_add_worksheet(book, "S"), 0, 0, value, nullptr);
    ASSERT_EQ(workbook_close(book), LXW_NO_ERROR);
}

} // namespace

// A marking replaced by a newer one is cancelled through its future and reports nothing, even
// when it goes on to the end; only the newer one's marks arrive.
TEST(SheetListMarker, ACancelledMarkingReportsNothingAndOnlyTheLatestDoes) {
    TempFiles files;
    const std::array<QString, 2> paths{files.filePath("a.xlsx"), files.filePath("b.xlsx")};
    writeBook(paths[0], 1);
    writeBook(paths[1], 2);
    const QList<SheetNamePair> rows{{QStringLiteral("S"), QStringLiteral("S")}};

    QList<QList<SheetPairMark>> marked;
    QStringList failed;
    {
        SheetListMarker marker;
        QObject::connect(&marker, &SheetListMarker::marked,
                         [&](const QList<SheetPairMark> &marks) { marked << marks; });
        QObject::connect(&marker, &SheetListMarker::failed,
                         [&](const QString &why) { failed << why; });
        QSemaphore asked;
        QSemaphore go;
        std::atomic<bool> held = false;
        marker.start(paths, rows, false, [&] {
            if (!held.exchange(true)) {
                asked.release();
                go.acquire(); // the first look waits until the newer marking has started
            }
            return false;
        });
        asked.acquire();
        EXPECT_TRUE(marker.isRunning());
        marker.start(paths, rows, false); // cancels the one before
        go.release();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !marked.isEmpty(); }, HangGuardMs));
    } // waits for both
    QCoreApplication::processEvents();
    EXPECT_EQ(marked, QList<QList<SheetPairMark>>{{SheetPairMark::Differs}});
    EXPECT_TRUE(failed.isEmpty());
}
