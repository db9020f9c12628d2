// Bad input below the program: files that vanish while a folder comparison runs, a disk that
// fills up during a copy, files beyond the size limit.
#include "encoding/Charset.h"
#include "engine/Workspace.h"
#include "folder/FileOperations.h"
#include "folder/SearchFile.h"
#include "platform/FileReader.h"
#include "platform/NativePath.h"
#include "run/GridFill.h"
#include "support/FileFaults.h"
#include "support/TempFiles.h"

#include <QDir>
#include <QDirIterator>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

QStringList tree(const QString &root) {
    QStringList all;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        all << it.next().mid(root.size());
    all.sort();
    return all;
}

} // namespace

// Files removed after the listing and before their contents are compared: the comparison
// stops with a message that names the file; it neither crashes nor reports the files equal.
TEST(BadInputCore, FilesVanishingBetweenListingAndReading) {
    for (const int mode : {1, 2}) {
        TempFiles dir;
        for (int k = 0; k < 150; ++k) {
            const QString name = QStringLiteral("f%1.txt").arg(k, 3, 10, QLatin1Char('0'));
            dir.write("L/" + name, "SAME CONTENT\n");
            dir.write("R/" + name, "SAME CONTENT\n");
        }
        Workspace ws;
        setupGridColumns(ws);
        ws.folderContentMode = mode;
        bool removed = false;
        // The comparison lets events run every hundred rows: the files go away there.
        ws.processEventsHook = [&] {
            if (removed || ws.fgF.rows() < 150)
                return;
            for (int k = 120; k < 150; ++k)
                ::unlink(QFile::encodeName(dir.filePath(QStringLiteral("R/f%1.txt").arg(k))));
            removed = true;
        };
        SearchFile(ws, dir.filePath("L"), QStringLiteral("*.*"), 0, dir.filePath("R"));
        EXPECT_TRUE(removed) << mode;
        ASSERT_EQ(ws.runProblems.size(), 1) << mode;
        EXPECT_TRUE(
            ws.runProblems[0].contains(QStringLiteral("読み込めません: ") + dir.filePath("R/f1")))
            << ws.runProblems[0].toStdString();
    }
}

// The disk fills up at every possible write of a folder copy in turn: each time the failure is
// reported, files already at the destination keep their old content or get the whole new one,
// and no temporary file is left behind.
TEST(BadInputCore, DiskFillingUpAtAnyPointOfACopy) {
    for (int n = 1; n <= 6; ++n) {
        TempFiles dir;
        dir.write("src/a.txt", "NEW A");
        dir.write("src/sub/b.txt", QByteArray(3 * 1024 * 1024, 'b'));
        dir.write("src/sub/c.txt", "NEW C");
        dir.write("dst/sub/b.txt", "OLD B");
        const QStringList before = tree(dir.filePath("dst"));
        FileFaults disk;
        disk.failingWrite = n;
        const FileOperationResult r =
            copyEntries(dir.filePath("src"), dir.filePath("dst"), {"a.txt", "sub"}, {}, disk);
        const QStringList after = tree(dir.filePath("dst"));
        for (const QString &path : after)
            EXPECT_TRUE(path == "/a.txt" || path == "/sub" || path == "/sub/b.txt" ||
                        path == "/sub/c.txt")
                << "left behind: " << path.toStdString() << " (write " << n << ")";
        const QByteArray b = TempFiles::read(dir.filePath("dst/sub/b.txt"));
        EXPECT_TRUE(b == "OLD B" || b == QByteArray(3 * 1024 * 1024, 'b')) << n;
        if (r.failures.isEmpty()) {
            // Fewer writes than n: everything copied.
            EXPECT_EQ(b, QByteArray(3 * 1024 * 1024, 'b')) << n;
            continue;
        }
        EXPECT_FALSE(r.succeeded()) << n;
        for (const FileOperationFailure &f : r.failures)
            EXPECT_FALSE(f.reason.isEmpty()) << n;
    }
}

// The size limit holds for every whole-file reader, and is checked before reading.
TEST(BadInputCore, FilesBeyondTheLimitAreRefusedBeforeReading) {
    TempFiles dir;
    const QString huge = dir.write("huge.txt", QByteArray());
    ASSERT_EQ(::truncate(QFile::encodeName(huge).constData(), MaxComparedFileBytes + 1), 0);
    EXPECT_THROW(LoadNormalizedText(huge), FileTooLargeError);
    EXPECT_EQ(readWholeFile(huge, MaxComparedFileBytes).problem, FileProblem::TooLarge);
    const QString edge = dir.write("edge.txt", "x");
    EXPECT_EQ(LoadNormalizedText(edge), "x");
}
