#pragma once

#include <QFuture>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <exception>
#include <type_traits>
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

// Waits until `future` has finished and returns the exception that ended its job, or null.
std::exception_ptr failureOf(const QFuture<void> &future);

// One half of a job's work started on splitPool(), taken by the code that started it. Like
// std::async's future it waits for its half when it goes, so a failure on the starting side
// never leaves the half running on data that is gone.
template <typename T> class Half {
public:
    Half() = default;
    explicit Half(QFuture<T> future) : m_future(std::move(future)), m_valid(true) {}
    Half(Half &&other) noexcept
        : m_future(std::move(other.m_future)), m_valid(std::exchange(other.m_valid, false)) {}
    Half &operator=(Half &&other) noexcept {
        if (this != &other) {
            wait();
            m_future = std::move(other.m_future);
            m_valid = std::exchange(other.m_valid, false);
        }
        return *this;
    }
    Half(const Half &) = delete;
    Half &operator=(const Half &) = delete;
    ~Half() { wait(); }

    // Not yet taken.
    bool valid() const { return m_valid; }
    // Waits for the half: its result, or the exception it threw, thrown again as it was.
    T get() {
        m_valid = false;
        if (const std::exception_ptr failure = failureOf(QFuture<void>(m_future)))
            std::rethrow_exception(failure);
        if constexpr (!std::is_void_v<T>)
            return m_future.takeResult();
    }

private:
    void wait() {
        if (std::exchange(m_valid, false))
            failureOf(QFuture<void>(m_future));
    }

    QFuture<T> m_future;
    bool m_valid = false;
};

// Starts one half of a job on splitPool().
template <typename Job> auto split(Job &&job) {
    using Result = std::invoke_result_t<std::decay_t<Job>>;
    return Half<Result>(QtConcurrent::run(&splitPool(), std::forward<Job>(job)));
}

// Waits until every job and half has ended (shut-down): stopping them is their owners' part.
void waitForAll();

} // namespace Background
