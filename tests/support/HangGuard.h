#pragma once

#include <QDeadlineTimer>
#include <QThread>

#include <functional>

// How long a test waits for a state that another thread or process reaches in its own time.
// Only a guard against a hang, well inside the test runner's timeout: no test asserts how fast
// anything is, so a loaded machine makes a wait longer, never a test red.
constexpr int HangGuardMs = 120000;

// Looks at done() until it holds (true) or the guard has passed (false), for a state reached
// outside this thread's event loop (a file a started program writes).
inline bool pollUntil(const std::function<bool()> &done) {
    const QDeadlineTimer guard(HangGuardMs);
    while (!done()) {
        if (guard.hasExpired())
            return false;
        QThread::yieldCurrentThread(); // the state is looked at again, never waited for by time
    }
    return true;
}
