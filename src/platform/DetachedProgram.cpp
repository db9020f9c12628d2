#include "platform/DetachedProgram.h"

#include "platform/NativePath.h"

#ifdef Q_OS_UNIX
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>
#else
#include <QProcess>
#endif

#ifdef Q_OS_UNIX

bool startDetachedProgram(const QString &program, const QStringList &arguments) {
    // Everything the child needs is made before the fork: after it, in a program with
    // threads, only calls that allocate nothing are safe.
    // A bare name is looked for on the PATH, as a shell would.
    const QString file =
        program.contains(QLatin1Char('/')) ? program : QStandardPaths::findExecutable(program);
    if (file.isEmpty())
        return false;
    std::vector<QByteArray> bytes;
    bytes.push_back(encodeNativeName(file));
    for (const QString &argument : arguments)
        bytes.push_back(encodeNativeName(argument));
    std::vector<char *> argv;
    for (QByteArray &b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);

    // The grandchild writes errno here when exec fails; a successful exec closes it unwritten.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return false;
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return false;
    }
    if (child == 0) {
        // The middle process ends at once, so the program is nobody's child to wait for.
        ::close(report[0]);
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild > 0)
            ::_exit(0);
        if (grandchild == 0)
            ::execv(argv[0], argv.data());
        const int error = errno; // the fork or the exec failed
        [[maybe_unused]] const auto written = ::write(report[1], &error, sizeof error);
        ::_exit(127);
    }
    ::close(report[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t got = 0;
    do {
        got = ::read(report[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    ::close(report[0]);
    return got == 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

#else

bool startDetachedProgram(const QString &program, const QStringList &arguments) {
    return QProcess::startDetached(program, arguments);
}

#endif
