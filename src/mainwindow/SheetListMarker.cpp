#include "mainwindow/SheetListMarker.h"

#include <utility>

SheetListMarker::SheetListMarker(QObject *parent) : QObject(parent) {}

SheetListMarker::~SheetListMarker() {
    cancel();
    // They read files only, and the stop flag ends them at their next poll.
    for (const QPointer<QThread> &thread : std::as_const(m_threads)) {
        if (thread)
            thread->wait();
    }
}

bool SheetListMarker::isRunning() const {
    return !m_threads.isEmpty() && m_threads.last() && m_threads.last()->isRunning();
}

void SheetListMarker::cancel() {
    if (m_cancel)
        *m_cancel = true;
    m_cancel.reset();
}

void SheetListMarker::start(const std::array<QString, 2> &paths, const QList<SheetNamePair> &rows,
                            bool alignRows, std::function<bool()> externalStop) {
    cancel();
    auto cancelled = std::make_shared<std::atomic<bool>>(false);
    m_cancel = cancelled;
    QPointer<SheetListMarker> self(this);
    QThread *thread = QThread::create([=] {
        const auto stop = [&] { return cancelled->load() || (externalStop && externalStop()); };
        QString error;
        const std::optional<QList<SheetPairMark>> marks =
            markSheetPairs(paths, rows, alignRows, &error, stop);
        // Reported on the window's thread, and only while this is still the current work.
        QMetaObject::invokeMethod(
            self,
            [self, cancelled, marks, error] {
                if (!self || cancelled->load())
                    return;
                if (marks)
                    Q_EMIT self->marked(*marks);
                else
                    Q_EMIT self->failed(error);
            },
            Qt::QueuedConnection);
    });
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    m_threads.removeAll(QPointer<QThread>());
    m_threads << thread;
    thread->start(QThread::LowPriority);
}
