#include "app/BatchProgram.h"
#include "folder/FileOperations.h"
#include "support/FileFaults.h"

#include <QDir>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

using PartialCopyBatchTest = BatchProgramTest;

} // namespace

// A folder copy that failed part way must not pass for complete in a later batch comparison.
TEST_F(PartialCopyBatchTest, FolderCopiedInPartStaysDifferent) {
    write("left/data/a.txt", "A");
    write("left/data/b.txt", "B");
    const QString left = dir.filePath("left"), right = dir.filePath("right");
    ASSERT_TRUE(QDir().mkpath(right));
    const QByteArray source = QFile::encodeName(left + "/data");
    const struct timespec old[2] = {{1577934245, 0}, {1577934245, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, source.constData(), old, 0), 0);

    FileFaults disk;
    disk.failingWrite = 2; // the disk is full at the second file
    const FileOperationResult copied = copyEntries(left, right, {"data"}, {}, disk);
    ASSERT_EQ(copied.failures.size(), 1);

    const RunResult r = run({left, right, "/o", dir.filePath("out.csv")});
    EXPECT_EQ(r.status, 1) << r.out.toStdString() << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty());
}
