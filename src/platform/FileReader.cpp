#include "platform/FileReader.h"

#include "platform/NativePath.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

const QString ProblemTemplate = QStringLiteral("読み込めません: %1 (%2)");
const QString TooLargeReason = QStringLiteral("1 GB を超えています");
const QString NotRegularReason = QStringLiteral("通常のファイルではありません");
const QString StoppedReason = QStringLiteral("中断しました");

constexpr qint64 BlockSize = qint64(1) << 20;
constexpr qint64 StopPollMs = 20;

WholeFile refused(FileProblem problem, int errorNumber = 0) {
    WholeFile result;
    result.problem = problem;
    result.errorNumber = errorNumber;
    return result;
}

} // namespace

QString WholeFile::reason() const {
    switch (problem) {
    case FileProblem::None:
        break;
    case FileProblem::NoName:
        return QString::fromLocal8Bit(std::strerror(ENOENT));
    case FileProblem::Folder:
        return QString::fromLocal8Bit(std::strerror(EISDIR));
    case FileProblem::NotRegular:
        return NotRegularReason;
    case FileProblem::Open:
    case FileProblem::Read:
        return QString::fromLocal8Bit(std::strerror(errorNumber));
    case FileProblem::TooLarge:
        return TooLargeReason;
    case FileProblem::Stopped:
        return StoppedReason;
    }
    return QString();
}

QString WholeFile::problemText(const QString &path) const {
    return ok() ? QString() : ProblemTemplate.arg(path, reason());
}

WholeFile readWholeFile(const QString &path, qint64 limit, const std::function<bool()> &stop) {
    if (path.isEmpty())
        return refused(FileProblem::NoName);
    // Examined by name first: opening a pipe or a device is already a step too far.
    NativeStat st;
    if (!nativeStat(path, &st))
        return refused(FileProblem::Open, errno);
    if (st.isDir)
        return refused(FileProblem::Folder);
    if (!st.isFile)
        return refused(FileProblem::NotRegular);
    if (qint64(st.size) > limit)
        return refused(FileProblem::TooLarge);

    NativeFile file;
    if (!file.open(path))
        return refused(file.errorNumber() == EISDIR ? FileProblem::Folder : FileProblem::Open,
                       file.errorNumber());
    // The name may have been replaced by something else between the two looks.
    if (!file.isRegular())
        return refused(FileProblem::NotRegular);

    WholeFile result;
    result.bytes.reserve(qsizetype(std::min<qint64>(qint64(st.size), limit) + 1));
    QElapsedTimer sinceAsked;
    sinceAsked.start();
    while (true) {
        if (stop && sinceAsked.hasExpired(StopPollMs)) {
            if (stop())
                return refused(FileProblem::Stopped);
            sinceAsked.restart();
        }
        const qsizetype before = result.bytes.size();
        const qint64 room = limit - before;
        // One byte past the limit tells a file that grew beyond it from one that ends there.
        const qint64 want = std::min(BlockSize, room + 1);
        result.bytes.resize(before + qsizetype(want));
        const qint64 got = file.read(result.bytes.data() + before, want);
        if (got < 0)
            return refused(FileProblem::Read, file.errorNumber());
        result.bytes.resize(before + qsizetype(got));
        if (result.bytes.size() > limit)
            return refused(FileProblem::TooLarge);
        if (got < want)
            break;
    }
    return result;
}

QByteArray fileHead(const QString &path, qsizetype count) {
    NativeStat st;
    NativeFile f;
    if (!nativeStat(path, &st) || !st.isFile || !f.open(path))
        return QByteArray();
    QByteArray head(count, '\0');
    const qint64 got = f.read(head.data(), head.size());
    head.truncate(std::max<qint64>(got, 0));
    return head;
}
