#include "platform/Background.h"

#include <QPromise>
#include <QSemaphore>

#include <gtest/gtest.h>

#include <atomic>
#include <new>
#include <stdexcept>
#include <vector>

namespace {

QString textOf(const std::exception_ptr &failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const std::bad_alloc &) {
        return QStringLiteral("bad_alloc");
    } catch (const std::exception &e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("other");
    }
}

} // namespace

// Whatever a job throws ends the job, and the one who waits for it gets the same exception
// back, its type kept (a lack of memory is told apart from other failures).
TEST(Background, AnExceptionInsideAJobReachesTheCallerAsItWasThrown) {
    EXPECT_EQ(Background::failureOf(Background::run([] {})), nullptr);
    EXPECT_EQ(textOf(Background::failureOf(
                  Background::run([] { throw std::runtime_error("disk on fire"); }))),
              QStringLiteral("disk on fire"));
    EXPECT_EQ(textOf(Background::failureOf(Background::run([] { throw std::bad_alloc(); }))),
              QStringLiteral("bad_alloc"));
    EXPECT_EQ(textOf(Background::failureOf(Background::run([] { throw 42; }))),
              QStringLiteral("other"));
    // A job with a promise, failing after it has reported a result.
    QFuture<int> failing = Background::run([](QPromise<int> &promise) {
        promise.addResult(1);
        throw std::runtime_error("half done");
    });
    EXPECT_EQ(textOf(Background::failureOf(QFuture<void>(failing))), QStringLiteral("half done"));
}

// Cancelling through the future is the abort flag the job asks: a job that would run forever
// stops at its next look, and nothing it does afterwards is reported.
TEST(Background, CancellingTheFutureStopsTheJobAtItsNextLook) {
    QSemaphore started;
    std::atomic<int> looks = 0;
    QFuture<int> future = Background::run([&](QPromise<int> &promise) {
        started.release();
        while (!promise.isCanceled())
            ++looks;
        promise.addResult(looks.load());
    });
    started.acquire();
    future.cancel();
    future.waitForFinished();
    EXPECT_TRUE(future.isCanceled());
    EXPECT_EQ(future.resultCount(), 0);
    const int afterStop = looks.load();
    Background::waitForAll();
    EXPECT_EQ(looks.load(), afterStop); // nothing runs on once the job has ended
    // A job cancelled before a thread took it up never runs.
    QSemaphore release;
    std::vector<QFuture<void>> holders;
    for (int k = 0; k < Background::pool().maxThreadCount(); ++k)
        holders.push_back(Background::run([&] { release.acquire(); }));
    std::atomic<bool> ran = false;
    QFuture<void> queued = Background::run([&] { ran = true; });
    queued.cancel();
    release.release(int(holders.size()));
    Background::waitForAll();
    EXPECT_FALSE(ran.load());
}

// A job's results and progress arrive through its future.
TEST(Background, AJobReportsItsResultsAndProgress) {
    QFuture<QString> future = Background::run([](QPromise<QString> &promise) {
        promise.setProgressRange(0, 2);
        promise.setProgressValueAndText(1, QStringLiteral("one"));
        promise.addResult(QStringLiteral("a"));
        promise.setProgressValue(2);
        promise.addResult(QStringLiteral("b"));
    });
    EXPECT_EQ(future.results(), QStringList({QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_EQ(future.progressValue(), 2);
    EXPECT_EQ(future.progressMaximum(), 2);
}

// Every thread of the split pool busy with a half that waits for a half of its own: the halves
// not yet started run on their waiters' threads, so nothing waits forever.
TEST(Background, HalvesWaitingForHalvesOnAFullPoolAllFinish) {
    const int threads = Background::splitPool().maxThreadCount();
    QSemaphore allRunning;
    QSemaphore go;
    std::atomic<int> inner = 0;
    std::vector<Background::Half<void>> outer;
    for (int k = 0; k < threads; ++k) {
        outer.push_back(Background::split([&] {
            allRunning.release();
            go.acquire(); // every thread of the pool is held here
            Background::split([&] { ++inner; }).get();
        }));
    }
    allRunning.acquire(threads);
    go.release(threads);
    for (Background::Half<void> &half : outer)
        half.get();
    EXPECT_EQ(inner.load(), threads);
}

// A half gives its result, or throws again what it threw, as it was thrown; one not taken is
// waited for when it goes, also when the starting side fails first.
TEST(Background, AHalfGivesItsResultOrItsExceptionAndIsWaitedForWhenItGoes) {
    EXPECT_EQ(Background::split([] {
                  return std::vector<int>{1, 2};
              }).get(),
              std::vector<int>({1, 2}));
    EXPECT_THROW(Background::split([]() -> int { throw std::out_of_range("x"); }).get(),
                 std::out_of_range);
    QSemaphore go;
    std::atomic<bool> ended = false;
    try {
        Background::Half<void> half = Background::split([&] {
            go.acquire();
            ended = true;
        });
        EXPECT_TRUE(half.valid());
        go.release();
        throw std::runtime_error("the starting side fails");
    } catch (const std::runtime_error &) {
        EXPECT_TRUE(ended.load());
    }
}
