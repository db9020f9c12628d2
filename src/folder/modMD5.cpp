#include "folder/modMD5.h"

#include "platform/NativePath.h"

#include <QCryptographicHash>
#include <QElapsedTimer>

namespace {
constexpr qint64 StopPollMs = 20;
} // namespace

Md5Error::Md5Error(int number, const QString &source, const QString &description)
    : number(number), source(source), description(description),
      m_what((source + QStringLiteral(": ") + description).toUtf8()) {}

int HashFile(const QString &path, QByteArray &digest, int blockSize,
             const std::function<bool()> &stop) {
    if (blockSize < 1)
        blockSize = modMD5::DefaultBlockSize; // a zero block would never reach the end
    NativeFile file;
    if (!file.open(path))
        throw Md5Error(file.errorNumber(), modMD5::HashFileSource, file.errorText());

    QCryptographicHash hash(QCryptographicHash::Md5);
    QByteArray block(blockSize, Qt::Uninitialized);
    QElapsedTimer sinceAsked;
    sinceAsked.start();
    // Read to the end of the file rather than to a length taken beforehand, so a file that
    // changes while it is read is hashed as read, never padded or cut.
    while (true) {
        if (stop && sinceAsked.hasExpired(StopPollMs)) {
            if (stop()) {
                digest.clear();
                return 0;
            }
            sinceAsked.restart();
        }
        const qint64 got = file.read(block.data(), blockSize);
        if (got < 0)
            throw Md5Error(file.errorNumber(), modMD5::HashFileSource, file.errorText());
        if (got == 0)
            break;
        hash.addData(QByteArrayView(block.data(), got));
        if (got < blockSize)
            break;
    }
    digest = hash.result();
    return int(digest.size());
}

QString GetFileMD5HashCode(const QString &path, int blockSize, const std::function<bool()> &stop) {
    QByteArray digest;
    int n = 0;
    try {
        n = HashFile(path, digest, blockSize, stop);
    } catch (const Md5Error &e) {
        throw Md5Error(e.number, modMD5::HashCodeSource, e.description);
    }
    if (n <= 0)
        return QString();
    return QString::fromLatin1(digest.toHex().toUpper());
}
