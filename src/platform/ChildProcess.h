#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

// Runs a helper program (arguments as a list, no shell) to its end and collects what it writes,
// with a deadline and a stop check, so that a program that hangs never holds up the caller.

struct ProgramRun {
    enum class Outcome {
        Exited,        // ended by itself: exitCode says how
        CannotStart,   // missing or not executable
        Crashed,       // ended by a signal
        Timeout,       // still running at the deadline: killed
        Stopped,       // the stop check said so: killed
        TooMuchOutput, // wrote more than allowed: killed
    };
    Outcome outcome = Outcome::CannotStart;
    int exitCode = -1;
    QByteArray output;   // standard output
    QByteArray errorOut; // the start of standard error (a few kilobytes)

    bool succeeded() const { return outcome == Outcome::Exited && exitCode == 0; }
};

// input goes to the program's standard input (nothing: an empty input). stop (may be empty)
// is asked at least every 50 ms. sharedFile (-1: none) is a descriptor of ours that the program
// inherits under the same number, so that an argument sharedFilePath(fd) names that file.
ProgramRun runProgram(const QString &program, const QStringList &arguments, const QByteArray &input,
                      int timeoutMs, qint64 maxOutputBytes, const std::function<bool()> &stop = {},
                      int sharedFile = -1);

// A name by which a program opens the file of an inherited descriptor. Arguments are text that
// the system's codec encodes, so a file name that is not UTF-8 could not reach a program
// exactly; the descriptor's name is plain ASCII and means the very file we opened.
QString sharedFilePath(int fd);
