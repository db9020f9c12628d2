#include "run/ComparisonRunner.h"
#include "run/TextDiff.h"
#include "support/TempFiles.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

namespace {

QStringList cells(const ResultGrid &g) {
    QStringList all;
    for (int r = 0; r < g.rows(); ++r)
        for (int c = 0; c < g.cols(); ++c)
            all << g.text(r, c) + QLatin1Char('#') + QString::number(g.backColor(r, c));
    return all;
}

struct Texts {
    TempFiles files;
    QString left = files.write("a.txt", "SAME\nOLD\nSAME 2\nSAME 3\n");
    QString right = files.write("b.txt", "SAME\nNEW\nSAME 2\nADDED\nSAME 3\n");
};

int argc = 1;
char arg0[] = "test";
char *argv[] = {arg0, nullptr};

} // namespace

TEST(ComparisonRunner, AFailureInsideTheRunEndsItWithTheGridsBackToTheirHeaders) {
    Texts t;
    for (const bool outOfMemory : {false, true}) {
        Workspace ws;
        int polls = 0;
        ws.processEventsHook = [&] {
            if (++polls == 1) {
                if (outOfMemory)
                    throw std::bad_alloc();
                throw std::out_of_range("ResultGrid: row outside the grid");
            }
        };
        ws.bAbort = false;
        EXPECT_FALSE(runTextDiffGuarded(ws, t.left, t.right));
        EXPECT_EQ(ws.statusText(), outOfMemory
                                       ? QStringLiteral("比較できませんでした: メモリが足りません")
                                       : QStringLiteral("比較できませんでした: ResultGrid: row "
                                                        "outside the grid"));
        EXPECT_EQ(ws.fg.rows(), 2);
        EXPECT_EQ(ws.DiffCount + ws.LeftOnlyCount + ws.RightOnlyCount, 0);
        EXPECT_FALSE(ws.bAbort);
    }
}

TEST(ComparisonRunner, AResultMadeOnTheWorkerEqualsTheDirectRunAndIsSwappedIn) {
    QCoreApplication app(argc, argv);
    Texts t;
    Workspace direct;
    fTextDiff(direct, t.left, t.right);

    Workspace shown;
    shown.OnlyDF = false;
    shown.cb = {t.left, t.right};
    auto run = std::make_unique<Workspace>();
    shown.copyRunInputsTo(*run);
    ComparisonRunner runner;
    QStringList progress;
    QObject::connect(&runner, &ComparisonRunner::progress,
                     [&](const QString &text) { progress << text; });
    ASSERT_TRUE(runner.start(std::move(run)));
    EXPECT_TRUE(runner.isRunning());
    runner.waitForFinished();
    EXPECT_FALSE(runner.isRunning());
    const ComparisonRunner::Requests asked = runner.takeRequests();
    std::unique_ptr<Workspace> result = runner.takeResult();
    shown.adoptResult(*result);

    EXPECT_EQ(cells(shown.fg), cells(direct.fg));
    EXPECT_EQ(shown.statusText(), direct.statusText());
    EXPECT_EQ(shown.DiffCount, direct.DiffCount);
    EXPECT_EQ(shown.RightOnlyCount, direct.RightOnlyCount);
    // What the window is to do afterwards, in the order the run asked for it.
    EXPECT_EQ(asked.history, QStringList({t.left, t.right}));
    ASSERT_EQ(asked.recent.size(), 1);
    EXPECT_EQ(asked.recent.first(), qMakePair(t.left, t.right));
    EXPECT_TRUE(asked.raiseWindow);
    // The replaced result went to the run's workspace, to be released with it.
    EXPECT_EQ(result->fg.rows(), 0);
    // Texts still queued from a run that was waited for are not passed on afterwards.
    progress.clear();
    QCoreApplication::processEvents();
    EXPECT_TRUE(progress.isEmpty());
}
