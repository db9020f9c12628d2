// The folder content check compares every other pair on a second thread: its result must be
// the one-thread result, pair for pair, also where a file cannot be read part way through.
#include "FolderFixtures.h"

#include "support/SplitSizesScope.h"

#include <sys/stat.h>

namespace {

QStringList snapshot(const Workspace &ws) {
    QStringList cells;
    for (int r = 0; r < ws.fgF.rows(); ++r)
        for (int c = 0; c < ws.fgF.cols(); ++c)
            cells << ws.fgF.text(r, c) + QLatin1Char('#') + QString::number(ws.fgF.backColor(r, c));
    cells << QStringLiteral("counts %1 %2 %3")
                 .arg(ws.DiffCount)
                 .arg(ws.LeftOnlyCount)
                 .arg(ws.RightOnlyCount);
    cells << ws.runProblems << ws.runNotes << ws.statusText();
    return cells;
}

QStringList compareWith(const SplitSizes &sizes, const FolderPair &pair, int mode) {
    const SplitSizesScope scope(sizes);
    Workspace ws;
    compareFolders(ws, pair, mode);
    return snapshot(ws);
}

} // namespace

TEST(ContentSplit, TwoThreadsGiveTheOneThreadResultPairForPair) {
    FolderPair pair;
    // Equal sizes throughout, so every pair is read: same bytes, a byte apart at the start, in
    // the middle, at the end, and texts that differ in bytes but not in what they decode to.
    const QByteArray body(3000, 'x');
    for (int i = 0; i < 41; ++i) {
        const QByteArray name = "f" + QByteArray::number(i) + ".txt";
        QByteArray right = body;
        if (i % 5 == 1)
            right[0] = 'y';
        else if (i % 5 == 2)
            right[1500] = 'y';
        else if (i % 5 == 3)
            right[2999] = 'y';
        pair.file(0, name, i % 7 == 4 ? body + "\r\n" : body + "\n");
        pair.file(1, name, i % 7 == 4 ? right + "\n\n" : right + "\n");
    }
    for (const int mode : {1, 2}) {
        const QStringList one = compareWith(SplitSizesScope::never(), pair, mode);
        EXPECT_EQ(compareWith(SplitSizesScope::always(), pair, mode), one) << "mode " << mode;
    }

    // A pair that cannot be read stops the comparison at that pair, on either thread.
    if (::geteuid() != 0) {
        for (const char *name : {"f12.txt", "f17.txt"}) {
            const QString unreadable = pair.path(1, name);
            ASSERT_EQ(::chmod(encodeNativeName(unreadable).constData(), 0), 0);
            const QStringList one = compareWith(SplitSizesScope::never(), pair, 1);
            EXPECT_EQ(compareWith(SplitSizesScope::always(), pair, 1), one) << name;
            ASSERT_EQ(::chmod(encodeNativeName(unreadable).constData(), 0644), 0);
        }
    }
}
