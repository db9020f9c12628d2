// A large file is read whole and exactly, and leaves the page cache as it found it: the pages
// the read brought in are dropped behind it, those cached before stay.
#include "platform/RegularFile.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <vector>

namespace {

// Pages of the file in the page cache, and of all its pages.
std::pair<long, long> cachedPages(const QString &path) {
    const int fd = ::open(encodeNativeName(path).constData(), O_RDONLY);
    off_t size = ::lseek(fd, 0, SEEK_END);
    void *map = ::mmap(nullptr, size_t(size), PROT_READ, MAP_SHARED, fd, 0);
    const long page = ::sysconf(_SC_PAGESIZE);
    std::vector<unsigned char> resident(size_t((size + page - 1) / page));
    long cached = 0;
    if (map != MAP_FAILED && ::mincore(map, size_t(size), resident.data()) == 0)
        for (const unsigned char r : resident)
            cached += r & 1;
    if (map != MAP_FAILED)
        ::munmap(map, size_t(size));
    ::close(fd);
    return {cached, long(resident.size())};
}

void uncache(const QString &path) {
    const int fd = ::open(encodeNativeName(path).constData(), O_RDONLY);
    ::fdatasync(fd);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
}

QByteArray readWhole(const QString &path) {
    RegularFile file;
    EXPECT_TRUE(file.open(path));
    QByteArray all;
    QByteArray block(256 * 1024 + 7, Qt::Uninitialized); // blocks that straddle the pages
    for (;;) {
        const qint64 got = file.read(block.data(), block.size());
        EXPECT_GE(got, 0);
        all.append(block.constData(), qsizetype(std::max<qint64>(got, 0)));
        if (got < block.size())
            return all;
    }
}

} // namespace

TEST(RegularFile, ALargeFileLeavesThePageCacheAsItFoundIt) {
    TempFiles dir;
    QByteArray bytes(int(RegularFile::DropStretchBytes * 2 + 12345), Qt::Uninitialized);
    for (qsizetype k = 0; k < bytes.size(); ++k)
        bytes[k] = char(k * 131 / 7);
    const QString path = dir.write("large.bin", bytes);
    uncache(path);
    if (cachedPages(path).first > 0)
        GTEST_SKIP() << "this file system keeps its pages in memory (tmpfs)";

    // Not cached before: not cached after.
    EXPECT_EQ(readWhole(path), bytes);
    EXPECT_EQ(cachedPages(path).first, 0);

    // Cached before (the first half, as a user's program left it): still cached after, and
    // only that.
    const int fd = ::open(encodeNativeName(path).constData(), O_RDONLY);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_RANDOM); // no read-ahead past the half
    QByteArray half(bytes.size() / 2, Qt::Uninitialized);
    ASSERT_EQ(::read(fd, half.data(), size_t(half.size())), half.size());
    ::close(fd);
    const auto [before, pages] = cachedPages(path);
    ASSERT_GT(before, pages / 4);
    EXPECT_EQ(readWhole(path), bytes);
    EXPECT_EQ(cachedPages(path).first, before);
}
