#include "folder/FolderSort.h"

#include <QLocale>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <thread>

namespace {

// A folder grid of varied rows: folders and files on either side or both, names that differ
// in case (also beyond ASCII), digits, punctuation and script, equal names, sizes beyond what fits
// an int.
void fill(ResultGrid &g, quint32 seed) {
    QRandomGenerator random(seed);
    const QStringList stems{"alpha", "Alpha", "beta", "_under", "10", "9", "日本", "にほん", "Zeta",
                            "a-b", "a b", "ä",
                            // Case folding beyond ASCII, also outside the basic plane.
                            "ß", "SS", "Σ", "ς", "İ", "\U00010400x", "\U00010428x", "ǅ"};
    const QStringList types{FolderTypeText, "txt", "TXT", "", "log"};
    const int rows = 600;
    g.setRows(1 + rows);
    for (int r = 1; r <= rows; ++r) {
        const QString name =
            stems[int(random.bounded(stems.size()))] + QString::number(random.bounded(20));
        const int sides = int(random.bounded(3)); // 0 left, 1 right, 2 both
        for (int h = 0; h < 2; ++h) {
            const bool present = sides == 2 || sides == h;
            g.setNumber(r, 8 + h, 0);
            if (!present)
                continue;
            const QString type = types[int(random.bounded(types.size()))];
            g.setText(r, 4 * h, name);
            g.setText(r, 4 * h + 2, type);
            g.setText(r, 4 * h + 3, QStringLiteral("2024/05/0%1 07:08:09").arg(r % 7 + 1));
            if (type == FolderTypeText)
                continue;
            const quint64 size = random.bounded(4) == 0 ? (quint64(1) << 33) + random.bounded(9)
                                                        : random.bounded(5000);
            if (size > quint64(INT_MAX))
                g.setText(r, 8 + h, QString::number(size));
            else
                g.setNumber(r, 8 + h, int(size));
            g.setText(r, 4 * h + 1, QString::number(size) + QStringLiteral(" byte"));
        }
        g.setBackColor(r, 0, Color(r));
    }
}

QStringList rowsOf(const ResultGrid &g) {
    QStringList rows;
    for (int r = 1; r < g.rows(); ++r) {
        QStringList cells;
        for (int c = 0; c < g.cols(); ++c)
            cells << g.text(r, c);
        rows << cells.join(QLatin1Char('|')) + QString::number(g.backColor(r, 0));
    }
    return rows;
}

} // namespace

// A header click orders the rows exactly as comparing the two rows' cells at every step does,
// for every column, both directions and folders on either side; in the C locale (texts
// compared as they are) and in a Japanese one (the collator's sort keys).
static void expectHeaderClicksOrderAsTheRowComparison() {
    for (const quint32 seed : {1u, 2u, 3u}) {
        for (int col = 0; col < 8; ++col) {
            ResultGrid grid(10, 1);
            ResultGrid reference(10, 1);
            fill(grid, seed);
            fill(reference, seed);
            for (const bool ascending : {true, false}) {
                EXPECT_EQ(sortFolderGrid(grid, col), ascending);
                sortGridRows(reference, [&](int a, int b) {
                    return folderRowCompare(reference, a, b, col, ascending) < 0;
                });
                const QStringList got = rowsOf(grid);
                const QStringList want = rowsOf(reference);
                for (qsizetype i = 0; i < got.size(); ++i)
                    ASSERT_EQ(got[i].toStdString(), want[i].toStdString())
                        << "row " << i + 1 << " seed " << seed << " column " << col << " ascending "
                        << ascending << " locale " << QLocale().name().toStdString();
            }
        }
    }
}

TEST(FolderSort, HeaderClickOrdersAsTheRowComparison) {
    const QLocale before;
    for (const QLocale &locale : {QLocale::c(), QLocale(QLocale::Japanese, QLocale::Japan)}) {
        QLocale::setDefault(locale);
        // The row comparison keeps one collator per thread: a fresh thread takes the locale.
        std::thread run(expectHeaderClicksOrderAsTheRowComparison);
        run.join();
    }
    QLocale::setDefault(before);
}
