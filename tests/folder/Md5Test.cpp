#include "FolderFixtures.h"

#include "folder/modMD5.h"

#include <QCryptographicHash>

#include <QFile>

#include <cerrno>

#include <unistd.h>

namespace {

QString sExpected(const QByteArray &content) {
    return QString::fromLatin1(
        QCryptographicHash::hash(content, QCryptographicHash::Md5).toHex().toUpper());
}

QByteArray sPattern(int n) {
    QByteArray bytes(n, Qt::Uninitialized);
    for (int i = 0; i < n; ++i)
        bytes[i] = char((i * 31 + 7) & 0xFF);
    return bytes;
}

} // namespace

TEST(Md5, PublishedDigestsInUpperCase) {
    FolderPair pair;
    EXPECT_EQ(GetFileMD5HashCode(pair.file(0, "abc", "abc"), 1024),
              QStringLiteral("900150983CD24FB0D6963F7D28E17F72"));
    EXPECT_EQ(GetFileMD5HashCode(pair.file(0, "empty", ""), 1024),
              QStringLiteral("D41D8CD98F00B204E9800998ECF8427E"));
}

TEST(Md5, BlockBoundariesDoNotChangeTheDigest) {
    FolderPair pair;
    for (int size : {1023, 1024, 1025, 2048, 5000}) {
        const QByteArray content = sPattern(size);
        const QString path = pair.file(0, QByteArray::number(size), content);
        for (int block : {1, 7, 1024, 0, -5}) {
            const QString text = GetFileMD5HashCode(path, block);
            EXPECT_EQ(text, sExpected(content)) << size << " block " << block;
            EXPECT_EQ(text.size(), 32);
        }
        QByteArray digest;
        EXPECT_EQ(HashFile(path, digest, 1024), 16);
        EXPECT_EQ(digest, QCryptographicHash::hash(content, QCryptographicHash::Md5));
    }
}

TEST(Md5, ErrorsCarryNumberSourceAndDescription) {
    FolderPair pair;
    const QString missing = pair.path(0, "missing");
    try {
        GetFileMD5HashCode(missing, 1024);
        FAIL() << "no error for a missing file";
    } catch (const Md5Error &e) {
        EXPECT_EQ(e.source, QStringLiteral("modMD5 - GetFileMD5HashCode"));
        EXPECT_EQ(e.number, ENOENT);
        EXPECT_FALSE(e.description.isEmpty());
    }
    try {
        QByteArray digest;
        HashFile(missing, digest);
        FAIL() << "no error for a missing file";
    } catch (const Md5Error &e) {
        EXPECT_EQ(e.source, QStringLiteral("modMD5 - HashFile"));
    }
    // A folder is no file to hash, and the empty path opens nothing; neither creates a file.
    try {
        GetFileMD5HashCode(pair.dir(0), 1024);
        FAIL() << "no error for a folder";
    } catch (const Md5Error &e) {
        EXPECT_EQ(e.number, EISDIR);
    }
    EXPECT_THROW(GetFileMD5HashCode(QString(), 1024), Md5Error);
    NativeStat st;
    EXPECT_FALSE(nativeStat(missing, &st));
}

// A stop asked for while a large file is hashed ends it inside the file: the stop check is
// asked as the blocks are read, and its first true ends the hashing.
TEST(Md5, StopEndsHashingInsideALargeFile) {
    FolderPair pair;
    const QString path = pair.file(0, "sparse", "");
    const qint64 size = qint64(4) << 30; // 4 GiB of holes: reading it whole takes seconds
    ASSERT_EQ(::truncate(QFile::encodeName(path).constData(), size), 0);
    int asked = 0;
    const QString digest =
        GetFileMD5HashCode(path, modMD5::DefaultBlockSize, [&] { return ++asked == 3; });
    EXPECT_TRUE(digest.isEmpty()); // no digest of the part read
    EXPECT_EQ(asked, 3);
}
