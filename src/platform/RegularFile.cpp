#include "platform/RegularFile.h"

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

RegularFile::~RegularFile() {
    if (m_fd >= 0)
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
    }
    return total;
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
