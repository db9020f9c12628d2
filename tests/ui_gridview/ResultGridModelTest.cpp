#include "GridFixtures.h"

#include "engine/ui/ColourConversion.h"
#include "mainwindow/ResultGridModel.h"

#include <QColor>
#include <QFile>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

QString str(const char *utf8) {
    return QString::fromUtf8(utf8);
}

// Resident memory in bytes, to see whether building a model allocates per row.
qint64 residentBytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * 4096 : -1;
}

} // namespace

TEST(ResultGridModel, DataRowsTextsColoursAndAlignment) {
    auto grid = makeTextGrid(3);
    grid->setBackColor(2, 1, 0x0000FFFFu); // yellow: changed row
    ResultGridModel model(grid.get());

    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.columnCount(), 4);
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), QStringLiteral("1"));
    EXPECT_EQ(model.data(model.index(2, 3)).toString(), QStringLiteral("R3"));
    EXPECT_EQ(model.data(model.index(1, 1), Qt::BackgroundRole).value<QColor>(),
              QColor(255, 255, 0));
    EXPECT_FALSE(model.data(model.index(1, 0), Qt::BackgroundRole).isValid());

    const auto align = [&](int col) {
        return model.data(model.index(0, col), Qt::TextAlignmentRole).value<Qt::Alignment>();
    };
    EXPECT_EQ(align(1), Qt::AlignLeft | Qt::AlignVCenter);
    grid->setColAlignment(0, ResultGrid::AlignRightCenter);
    EXPECT_EQ(align(0), Qt::AlignRight | Qt::AlignVCenter);
    // No code: the general rule, numbers right and text left.
    EXPECT_EQ(align(2), Qt::AlignRight | Qt::AlignVCenter);
    grid->setText(1, 2, QStringLiteral("x"));
    EXPECT_EQ(align(2), Qt::AlignLeft | Qt::AlignVCenter);

    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), str("本文"));
    EXPECT_FALSE(model.data(model.index(3, 0)).isValid()); // past the last row
}

TEST(ResultGridModel, BinaryGridJoinsItsTwoHeaderRows) {
    ResultGrid grid(4, 2);
    grid.setRows(4);
    grid.setText(0, 0, str("ファイル1"));
    grid.setText(1, 0, str("アドレス"));
    grid.setText(2, 0, QStringLiteral("00000000"));
    grid.setText(3, 0, QStringLiteral("00000010"));
    ResultGridModel model(&grid);

    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.gridRow(0), 2);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), str("ファイル1\nアドレス"));
    EXPECT_EQ(model.data(model.index(1, 0)).toString(), QStringLiteral("00000010"));

    // A grid not yet reset has fewer rows than header rows: no data rows, no failure.
    ResultGrid bare(4, 2);
    ResultGridModel empty(&bare);
    EXPECT_EQ(empty.rowCount(), 0);
    EXPECT_EQ(empty.headerData(1, Qt::Horizontal).toString(), QString());
}

TEST(ResultGridModel, ColourConversionKeepsRedInTheLowByte) {
    EXPECT_EQ(toQColor(16744448u), QColor(0, 128, 255)); // "追加" default
    EXPECT_EQ(fromQColor(QColor(0, 128, 255)), 16744448u);
    EXPECT_EQ(fromQColor(toQColor(0x00123456u)), 0x00123456u);
}

TEST(ResultGridModel, ResetsOnlyWhenTheGridRedraws) {
    auto grid = makeTextGrid(2);
    ResultGridModel model(grid.get());
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);

    grid->setRedraw(false);
    grid->setRows(11);
    grid->setText(10, 1, QStringLiteral("new"));
    EXPECT_EQ(resets.count(), 0);
    grid->setRedraw(true);
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(model.rowCount(), 10);
    EXPECT_EQ(model.data(model.index(9, 1)).toString(), QStringLiteral("new"));
}

TEST(ResultGridModel, MillionRowsCostNothingPerRow) {
    auto grid = makeTextGrid(1000000);
    const qint64 before = residentBytes();
    auto model = std::make_unique<ResultGridModel>(grid.get());
    EXPECT_EQ(model->rowCount(), 1000000);
    EXPECT_EQ(model->data(model->index(999999, 3)).toString(), QStringLiteral("R1000000"));
    grid->setRedraw(false);
    grid->setRedraw(true); // a reset must not build anything per row either
    const qint64 grown = residentBytes() - before;
    // One int per row would already be 4 MB.
    EXPECT_LT(grown, 1024 * 1024) << "model grew by " << grown << " bytes";
}
