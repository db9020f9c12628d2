#include "mainwindow/SheetListMarker.h"

#include "platform/Background.h"
#include "run/ComparisonRunner.h"

#include <QPromise>
#include <QThread>

#include <utility>

namespace {

// The window's work comes first: the marks run at a lower priority, and the pool's thread has
// its own again afterwards.
class LowerPriority {
public:
    LowerPriority() : m_thread(QThread::currentThread()), m_before(m_thread->priority()) {
        m_thread->setPriority(QThread::LowPriority);
    }
    ~LowerPriority() {
        m_thread->setPriority(m_before == QThread::InheritPriority ? QThread::NormalPriority
                                                                   : m_before);
    }
    LowerPriority(const LowerPriority &) = delete;
    LowerPriority &operator=(const LowerPriority &) = delete;

private:
    QThread *m_thread;
    QThread::Priority m_before;
};

} // namespace

SheetListMarker::SheetListMarker(QObject *parent) : QObject(parent) {}

SheetListMarker::~SheetListMarker() {
    cancel();
    // They read files only, and the cancelled future stops them at their next poll.
    for (const QFuture<void> &job : std::as_const(m_jobs))
        Background::failureOf(job);
}

bool SheetListMarker::isRunning() const {
    return !m_jobs.isEmpty() && !m_jobs.last().isFinished();
}

void SheetListMarker::cancel() {
    if (!m_current)
        return;
    m_current->disconnect(this); // a job cancelled reports nothing
    m_current->cancel();
    m_current->deleteLater();
    m_current = nullptr;
}

void SheetListMarker::start(const std::array<QString, 2> &paths, const QList<SheetNamePair> &rows,
                            bool alignRows, std::function<bool()> externalStop,
                            const SheetCompareRules &rules) {
    cancel();
    QFuture<Outcome> job = Background::run([=](QPromise<Outcome> &promise) {
        const LowerPriority whileMarking;
        const auto stop = [&] { return promise.isCanceled() || (externalStop && externalStop()); };
        Outcome outcome;
        outcome.marks = markSheetPairs(paths, rows, alignRows, &outcome.error, stop, rules);
        promise.addResult(std::move(outcome));
    });
    m_current = new QFutureWatcher<Outcome>(this);
    connect(m_current, &QFutureWatcher<Outcome>::finished, this, [this] {
        QFutureWatcher<Outcome> *current = std::exchange(m_current, nullptr);
        current->deleteLater();
        if (current->isCanceled())
            return;
        // A failure inside the marking (it would have ended the program) is told like a book
        // that could not be read.
        const QString failure =
            failureText(Background::failureOf(QFuture<void>(current->future())));
        if (!failure.isEmpty()) {
            Q_EMIT failed(failure);
            return;
        }
        Outcome outcome = current->result();
        if (outcome.marks)
            Q_EMIT marked(*outcome.marks);
        else
            Q_EMIT failed(outcome.error);
    });
    m_current->setFuture(job);
    m_jobs.removeIf([](const QFuture<void> &ended) { return ended.isFinished(); });
    m_jobs << QFuture<void>(job);
}
