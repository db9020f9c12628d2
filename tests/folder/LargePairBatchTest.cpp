// The real program in batch mode comparing folders as text, with a pair beyond the size limit
// of the text comparison.
#include "app/BatchProgram.h"

#include <unistd.h>

namespace {

class LargePairBatchTest : public BatchProgramTest {};

} // namespace

// The pair too large to compare is reported different and named; the rest of the folder is
// compared, the report is written and the exit status says "different".
TEST_F(LargePairBatchTest, PairBeyondTheLimitIsDifferentAndTheRestIsCompared) {
    write("setting.ini", "[Corvane]\r\nFFile=2\r\n");
    const QString big = write("L/big.log", "A");
    write("R/big.log", "B");
    for (const char *side : {"L/big.log", "R/big.log"})
        ASSERT_EQ(::truncate(QFile::encodeName(dir.filePath(side)).constData(), qint64(3) << 30),
                  0);
    write("L/same.txt", "same\n");
    write("R/same.txt", "same\n");
    write("L/other.txt", "left\n");
    write("R/other.txt", "rght\n");
    const QString out = dir.filePath("out.csv");
    const RunResult r = run({dir.filePath("L"), dir.filePath("R"), "/o", out});
    EXPECT_EQ(r.status, 1) << r.err.toStdString();
    // Its bytes were compared: it is not unreadable, only not compared as text.
    EXPECT_TRUE(r.out.contains(
        QStringLiteral("テキストとしては比較していません (1 GB を超えています): %1").arg(big)))
        << r.out.toStdString();
    EXPECT_FALSE(r.out.contains(QStringLiteral("読み込めません"))) << r.out.toStdString();
    const QString csv = QString::fromUtf8(read(out));
    for (const char *name : {"big.log", "same.txt", "other.txt"})
        EXPECT_TRUE(csv.contains(QLatin1String(name))) << name;
    EXPECT_TRUE(r.out.contains(QStringLiteral("不一致行=2"))) << r.out.toStdString();
}
