// A long text result is filled into the grid in two halves at once: every cell, colour and
// count must be what one thread writes.
#include "run/GridFill.h"
#include "run/TextDiff.h"
#include "support/SplitSizesScope.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

namespace {

QStringList snapshot(const Workspace &ws) {
    QStringList cells;
    for (int r = 0; r < ws.fg.rows(); ++r)
        for (int c = 0; c < ws.fg.cols(); ++c)
            cells << ws.fg.text(r, c) + QLatin1Char('#') + QString::number(ws.fg.backColor(r, c));
    cells << QStringLiteral("counts %1 %2 %3")
                 .arg(ws.DiffCount)
                 .arg(ws.LeftOnlyCount)
                 .arg(ws.RightOnlyCount);
    cells << ws.statusText();
    return cells;
}

QStringList compareWith(const SplitSizes &sizes, const QString &left, const QString &right) {
    const SplitSizesScope scope(sizes);
    Workspace ws;
    fTextDiff(ws, left, right);
    return snapshot(ws);
}

} // namespace

TEST(GridFillSplit, TwoHalvesGiveTheOneThreadGrid) {
    TempFiles files;
    // Changed, left-only and right-only rows spread over both halves; row counts odd and even.
    for (const int lines : {301, 302}) {
        QByteArray a, b;
        for (int k = 0; k < lines; ++k) {
            a += "line " + QByteArray::number(k) + "\n";
            if (k % 11 == 3)
                b += "changed " + QByteArray::number(k) + "\n";
            else if (k % 17 == 5)
                b += "inserted " + QByteArray::number(k) + "\nline " + QByteArray::number(k) + "\n";
            else if (k % 23 != 7)
                b += "line " + QByteArray::number(k) + "\n";
        }
        const QString left = files.write("a.txt", a);
        const QString right = files.write("b.txt", b);
        const QStringList one = compareWith(SplitSizesScope::never(), left, right);
        ASSERT_GT(one.size(), lines * 4);
        EXPECT_EQ(compareWith(SplitSizesScope::always(), left, right), one) << lines;
    }
}
