#include "platform/ChildProcess.h"

#include <QDeadlineTimer>
#include <QProcess>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#endif

namespace {

// Longest wait between two looks at the stop check.
constexpr qint64 StopPollMs = 20;
// Kept from the program's error output.
constexpr qsizetype MaxErrorBytes = 4096;

ProgramRun::Outcome killed(QProcess &proc, ProgramRun::Outcome why) {
    proc.kill();
    proc.waitForFinished(1000);
    return why;
}

} // namespace

QString sharedFilePath(int fd) {
    return QStringLiteral("/proc/self/fd/%1").arg(fd);
}

ProgramRun runProgram(const QString &program, const QStringList &arguments, const QByteArray &input,
                      int timeoutMs, qint64 maxOutputBytes, const std::function<bool()> &stop,
                      int sharedFile) {
    ProgramRun run;
    QDeadlineTimer deadline(timeoutMs);
    QProcess proc;
    proc.setProgram(program);
    proc.setArguments(arguments);
#ifdef Q_OS_UNIX
    // Our descriptors close on exec; only the child's copy of this one is kept open, so no
    // other program started meanwhile receives it.
    if (sharedFile >= 0)
        proc.setChildProcessModifier([sharedFile] { ::fcntl(sharedFile, F_SETFD, 0); });
#endif
    if (input.isEmpty())
        proc.setStandardInputFile(QProcess::nullDevice());
    proc.start(input.isEmpty() ? QIODevice::ReadOnly : QIODevice::ReadWrite);
    if (!proc.waitForStarted(std::max(1, timeoutMs)))
        return run;
    if (!input.isEmpty()) {
        proc.write(input);
        proc.closeWriteChannel();
    }
    for (;;) {
        run.output += proc.readAllStandardOutput();
        run.errorOut += proc.readAllStandardError();
        run.errorOut.truncate(MaxErrorBytes);
        if (run.output.size() > maxOutputBytes) {
            run.outcome = killed(proc, ProgramRun::Outcome::TooMuchOutput);
            return run;
        }
        if (proc.state() == QProcess::NotRunning)
            break;
        const qint64 left = deadline.remainingTime();
        if (left <= 0) {
            run.outcome = killed(proc, ProgramRun::Outcome::Timeout);
            return run;
        }
        if (stop && stop()) {
            run.outcome = killed(proc, ProgramRun::Outcome::Stopped);
            return run;
        }
        // Waits in slices, so the stop check is asked often. A program that closed its output
        // but keeps running is waited for to its end.
        const int slice = int(std::max<qint64>(1, std::min(left, StopPollMs)));
        if (!proc.waitForReadyRead(slice) && proc.state() != QProcess::NotRunning)
            proc.waitForFinished(slice);
    }
    run.output += proc.readAllStandardOutput();
    if (run.output.size() > maxOutputBytes) {
        run.outcome = ProgramRun::Outcome::TooMuchOutput;
        return run;
    }
    run.outcome = proc.exitStatus() == QProcess::NormalExit ? ProgramRun::Outcome::Exited
                                                            : ProgramRun::Outcome::Crashed;
    run.exitCode = proc.exitCode();
    return run;
}
