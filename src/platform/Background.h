#pragma once

#include <QFuture>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <exception>
#include <utility>

// One hand-off for all work in the background. A job is a callable run on the shared pool;
// the caller gets a QFuture for it. A callable whose first parameter is a QPromise<T>& reports
// progress through it and asks promise.isCanceled() as its abort flag (future.cancel() sets
// it). An exception thrown inside a job ends the job, not the process: the future carries it
// to whoever looks at the result (see failureOf).
namespace Background {

// The jobs the program starts: runs, saving, sheet comparisons and marks, coloured copies.
// As many threads as the machine has cores, at least two, so the sheet marks never hold up a
// run.
QThreadPool &pool();

// The parallel halves inside a job (grid fill, line hashes, reading both sides, content
// pairs). Kept apart from pool(): a job that waits for its halves never waits for a thread
// that jobs like itself hold. A job on this pool waits for nothing but its own halves, and a
// half not started yet when someone waits for it runs on the waiting thread (QFuture's wait),
// so a full pool cannot starve its own waiters either.
QThreadPool &splitPool();

// Starts `job` on pool(); `job` may take a QPromise<T>& first.
template <typename Job> auto run(Job &&job) {
    return QtConcurrent::run(&pool(), std::forward<Job>(job));
}

// Starts one half of a job on splitPool().
template <typename Job> auto split(Job &&job) {
    return QtConcurrent::run(&splitPool(), std::forward<Job>(job));
}

// Waits until `future` has finished and returns the exception that ended its job, or null.
std::exception_ptr failureOf(const QFuture<void> &future);

// Waits until every job and half has ended (shut-down): stopping them is their owners' part.
void waitForAll();

} // namespace Background
