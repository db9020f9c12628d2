#include "platform/RegularFile.h"

#ifdef Q_OS_UNIX
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

qint64 pageSize() {
    static const qint64 size = std::max<long>(4096, ::sysconf(_SC_PAGESIZE));
    return size;
}

} // namespace

RegularFile::~RegularFile() {
    if (m_fd < 0)
        return;
    if (m_large)
        dropReadPages(m_offset);
    ::close(m_fd);
}

bool RegularFile::open(const QString &path) {
    // Non-blocking, so that a pipe put in the file's place cannot hold the open; a regular
    // file reads the same either way, so the flag is left as it is.
    m_fd = ::open(encodeNativeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (m_fd < 0)
        return false;
    struct stat st {};
    if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(m_fd);
        m_fd = -1;
        return false;
    }
    m_large = st.st_size >= LargeFileBytes;
    if (m_large) {
        ::posix_fadvise(m_fd, 0, 0, POSIX_FADV_SEQUENTIAL);
        noteCachedPages(st.st_size);
    }
    return true;
}

qint64 RegularFile::read(char *data, qint64 maxSize) {
    qint64 total = 0;
    while (total < maxSize) {
        const auto got = ::read(m_fd, data + total, size_t(maxSize - total));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (got == 0)
            break;
        total += got;
        m_offset += got;
        if (m_large && m_offset - m_dropped >= DropStretchBytes)
            dropReadPages(m_offset);
    }
    return total;
}

// Notes which pages of the file are in the page cache before it is read, looked at through a
// mapping that is never touched. A file too large to note (or whose pages cannot be looked at)
// counts as not cached: all of it is dropped after the read.
void RegularFile::noteCachedPages(qint64 size) {
    constexpr qint64 MaxNotedBytes = qint64(64) << 30;
    if (size > MaxNotedBytes)
        return;
    void *map = ::mmap(nullptr, size_t(size), PROT_READ, MAP_SHARED, m_fd, 0);
    if (map == MAP_FAILED)
        return;
    m_wasCached.assign(size_t((size + pageSize() - 1) / pageSize()), 0);
    if (::mincore(map, size_t(size), m_wasCached.data()) != 0)
        m_wasCached.clear();
    ::munmap(map, size_t(size));
}

// Drops the pages read since the last drop, up to upTo, that were not cached before.
void RegularFile::dropReadPages(qint64 upTo) {
    const qint64 page = pageSize();
    const auto wasCached = [&](qint64 at) {
        const size_t index = size_t(at / page);
        return index < m_wasCached.size() && (m_wasCached[index] & 1);
    };
    qint64 runStart = -1;
    for (qint64 at = m_dropped - m_dropped % page; at < upTo; at += page) {
        if (!wasCached(at)) {
            if (runStart < 0)
                runStart = at;
        } else if (runStart >= 0) {
            ::posix_fadvise(m_fd, runStart, at - runStart, POSIX_FADV_DONTNEED);
            runStart = -1;
        }
    }
    if (runStart >= 0)
        ::posix_fadvise(m_fd, runStart, upTo - runStart, POSIX_FADV_DONTNEED);
    m_dropped = upTo;
}

#else

RegularFile::~RegularFile() = default;

bool RegularFile::open(const QString &path) {
    return m_file.open(path) && m_file.isRegular();
}

qint64 RegularFile::read(char *data, qint64 maxSize) {
    return m_file.read(data, maxSize);
}

#endif
