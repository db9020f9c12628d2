#pragma once

#include <QByteArray>
#include <QString>

#include <exception>
#include <functional>

// MD5 digests of whole files for the folder comparison's content check.

// An error raised by the digest routines: the file error (errno and its text) or a hash
// failure, with the routine that raised it.
struct Md5Error : std::exception {
    Md5Error(int number, const QString &source, const QString &description);
    const char *what() const noexcept override { return m_what.constData(); }

    int number = 0;
    QString source;
    QString description;

private:
    QByteArray m_what;
};

namespace modMD5 {
inline const QString HashFileSource = QStringLiteral("modMD5 - HashFile");
inline const QString HashCodeSource = QStringLiteral("modMD5 - GetFileMD5HashCode");
constexpr int DefaultBlockSize = 1024;
} // namespace modMD5

// Reads the file in blocks of blockSize bytes (below 1 means the default) and writes its
// 16-byte digest into digest. Returns the digest length. Throws Md5Error with the source
// "modMD5 - HashFile" when the file cannot be opened or read. stop (may be empty) is asked
// between blocks, at least every 50 ms; when it answers true the hashing ends after the block
// in hand, digest is emptied and 0 returned.
int HashFile(const QString &path, QByteArray &digest, int blockSize = modMD5::DefaultBlockSize,
             const std::function<bool()> &stop = {});

// The digest as 32 upper-case hexadecimal digits; empty when stop ended the hashing. Errors of
// HashFile are rethrown with the source "modMD5 - GetFileMD5HashCode".
QString GetFileMD5HashCode(const QString &path, int blockSize,
                           const std::function<bool()> &stop = {});
