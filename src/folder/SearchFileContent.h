#pragma once

#include "platform/Background.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <vector>

// The content check of a pair of files in the folder comparison.

// Why the content comparison stopped: "読み込めません: <path> (<reason>)".
struct ReadProblem {
    QString message;
};

// The user stopped the content comparison inside a file.
struct StoppedInFile {};

struct ContentCheck {
    bool differs = false;
    // Why the pair counts as different without its contents compared (a file beyond the size
    // limit of the text comparison); empty when they were compared.
    QString note;
};

// Mode 1 compares the bytes, mode 2 the texts the files decode to (each decoded by its own
// detected encoding, line ends normalised). leftSize and rightSize are the sizes listed.
// Throws ReadProblem when a file cannot be read and StoppedInFile when stop (asked between
// blocks) answers true.
ContentCheck compareContents(int mode, const QString &left, quint64 leftSize, const QString &right,
                             quint64 rightSize, const std::function<bool()> &stop);

// One pair whose contents are to be compared: the entries of one name in the two folders. The
// name's characters belong to the caller (the grid's cell) and outlive the comparer.
struct ContentJob {
    QStringView name;
    quint64 leftSize = 0;
    quint64 rightSize = 0;
};

// Compares the contents of many pairs on two threads: a second thread takes every other pair
// ahead of time, and result() answers in the jobs' order, so a pair that cannot be read stops
// the caller exactly where a comparison one by one would have stopped.
class ContentComparer {
public:
    ContentComparer(int mode, const QString &leftFolder, const QString &rightFolder,
                    std::vector<ContentJob> jobs, const std::atomic<bool> &abort);
    ~ContentComparer();
    ContentComparer(const ContentComparer &) = delete;
    ContentComparer &operator=(const ContentComparer &) = delete;

    // The outcome of job i (ascending from 0), as compareContents gives it, throwing what it
    // throws. stop is asked while the calling thread reads.
    ContentCheck result(size_t i, const std::function<bool()> &stop);

private:
    struct Outcome {
        bool ready = false;
        bool leftToCaller = false; // a large text pair: compared by result() itself
        ContentCheck check;
        std::exception_ptr error;
    };
    void work();
    ContentCheck compare(size_t i, const std::function<bool()> &stop) const;

    const int m_mode;
    const QString m_folders[2];
    const std::vector<ContentJob> m_jobs;
    const std::atomic<bool> &m_abort;
    std::vector<Outcome> m_outcomes; // of the second thread's jobs (odd i) only, at i / 2
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_workEnded = false; // the second thread has stopped: jobs not ready are given up
    std::atomic<bool> m_quit = false;
    Background::Half<void> m_work; // the second half of the jobs, waited for when it goes
};
