#include "platform/Background.h"

#include <QException>
#include <QThread>

#include <algorithm>

namespace {

struct MachineSizedPool : QThreadPool {
    MachineSizedPool() { setMaxThreadCount(std::max(2, QThread::idealThreadCount())); }
};

} // namespace

namespace Background {

// Each pool lives until the program's end, whose clean-up waits for what is left on it.
QThreadPool &pool() {
    static MachineSizedPool jobs;
    return jobs;
}

QThreadPool &splitPool() {
    static MachineSizedPool halves;
    return halves;
}

std::exception_ptr failureOf(const QFuture<void> &future) {
    try {
        QFuture<void>(future).waitForFinished(); // rethrows what the job threw
    } catch (const QUnhandledException &e) {
        return e.exception() ? e.exception() : std::current_exception();
    } catch (...) {
        return std::current_exception();
    }
    return nullptr;
}

void waitForAll() {
    pool().waitForDone();
    splitPool().waitForDone();
}

} // namespace Background
