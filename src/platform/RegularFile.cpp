#include "platform/RegularFile.h"

#ifdef Q_OS_UNIX
#include <algorithm>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

qint64 pageSize() {
    static const qint64 size = std::max<long>(4096, ::sysconf(_SC_PAGESIZE));
    return size;
}

} // namespace

RegularFile::~RegularFile() {
    // The file itself is closed after this, by its member.
    if (m_file.descriptor() >= 0 && m_large)
        dropReadPages(m_offset);
}

bool RegularFile::open(const QString &path) {
    qint64 size = 0;
    if (!m_file.openRegular(path, &size))
        return false;
    m_large = size >= LargeFileBytes;
    if (m_large) {
        ::posix_fadvise(m_file.descriptor(), 0, 0, POSIX_FADV_SEQUENTIAL);
        noteCachedPages(size);
    }
    return true;
}

qint64 RegularFile::read(char *data, qint64 maxSize) {
    const qint64 got = m_file.read(data, maxSize);
    if (got > 0) {
        m_offset += got;
        if (m_large && m_offset - m_dropped >= DropStretchBytes)
            dropReadPages(m_offset);
    }
    return got;
}

// Notes which pages of the file are in the page cache before it is read, looked at through a
// mapping that is never touched. A file too large to note (or whose pages cannot be looked at)
// counts as not cached: all of it is dropped after the read.
void RegularFile::noteCachedPages(qint64 size) {
    constexpr qint64 MaxNotedBytes = qint64(64) << 30;
    if (size > MaxNotedBytes)
        return;
    void *map = ::mmap(nullptr, size_t(size), PROT_READ, MAP_SHARED, m_file.descriptor(), 0);
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
            ::posix_fadvise(m_file.descriptor(), runStart, at - runStart, POSIX_FADV_DONTNEED);
            runStart = -1;
        }
    }
    if (runStart >= 0)
        ::posix_fadvise(m_file.descriptor(), runStart, upTo - runStart, POSIX_FADV_DONTNEED);
    m_dropped = upTo;
}

#else

RegularFile::~RegularFile() = default;

bool RegularFile::open(const QString &path) {
    return m_file.openRegular(path);
}

qint64 RegularFile::read(char *data, qint64 maxSize) {
    return m_file.read(data, maxSize);
}

#endif
