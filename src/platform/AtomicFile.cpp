#include "platform/AtomicFile.h"

#include "platform/NativePath.h"

#include <atomic>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int MaxLinkHops = 40; // as the kernel: beyond this a chain of links is a loop

QByteArray nativeBytes(const QString &path) {
    return encodeNativeName(path);
}

// The file a chain of links ends at; the path itself when it is no link.
QString followLinks(QString path) {
    for (int hop = 0; hop < MaxLinkHops; ++hop) {
        NativeStat st;
        if (!nativeStat(path, &st, false) || !st.isSymLink)
            return path;
        const QByteArray bytes = nativeBytes(path);
        QByteArray target(4096, '\0');
        const ssize_t n = ::readlink(bytes.constData(), target.data(), size_t(target.size()));
        if (n <= 0 || n >= target.size())
            return path;
        target.truncate(n);
        const QString next = decodeNativeName(target);
        path = next.startsWith(QLatin1Char('/')) ? next : fJoinPath(parentFolderOf(path), next);
    }
    return path;
}

void syncFolder(const QString &folder) {
    const int fd = ::open(nativeBytes(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd); // best effort: the rename is already done
        ::close(fd);
    }
}

} // namespace

qint64 FileAccess::write(int fd, const char *data, qint64 size) {
    return ::write(fd, data, size_t(size));
}

int FileAccess::sync(int fd) {
    return ::fsync(fd);
}

int FileAccess::rename(const QByteArray &from, const QByteArray &to) {
    return ::rename(from.constData(), to.constData());
}

FileAccess &FileAccess::system() {
    static FileAccess access;
    return access;
}

AtomicFile::AtomicFile(const QString &path, Links links, FileAccess &access)
    : m_path(path), m_links(links), m_access(access) {}

AtomicFile::~AtomicFile() {
    cancel();
}

bool AtomicFile::fail(Step step, int error) {
    if (m_failedStep == Step::None) {
        m_failedStep = step;
        m_error = QString::fromLocal8Bit(std::strerror(error));
    }
    cancel();
    return false;
}

void AtomicFile::closeDescriptor() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool AtomicFile::open() {
    if (m_path.isEmpty())
        return fail(Step::Open, ENOENT);
    m_target = m_links == Links::Follow ? followLinks(m_path) : m_path;
    NativeStat st;
    if (nativeStat(m_target, &st, false) && st.isDir)
        return fail(Step::Open, EISDIR);
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name =
            QStringLiteral(".corvane-%1-%2.tmp").arg(::getpid()).arg(counter.fetch_add(1));
        m_temp = fJoinPath(parentFolderOf(m_target), name);
        m_fd =
            ::open(nativeBytes(m_temp).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd >= 0) {
            m_open = true;
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    const int error = errno;
    m_temp.clear();
    return fail(Step::Open, error);
}

bool AtomicFile::write(QByteArrayView bytes) {
    if (m_fd < 0)
        return fail(Step::Write, EBADF);
    const char *data = bytes.data();
    qint64 size = bytes.size();
    while (size > 0) {
        const qint64 n = m_access.write(m_fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(Step::Write, errno);
        }
        if (n == 0)
            return fail(Step::Write, ENOSPC);
        data += n;
        size -= n;
        m_written += n;
    }
    startWriteBack();
    return true;
}

// The disk starts on what was written while the rest is still being made, so that the flush
// before the rename has little left to wait for. Only advice: the flush still decides.
void AtomicFile::startWriteBack() {
#if defined(__linux__)
    constexpr qint64 Step = qint64(8) << 20;
    if (m_written - m_writeBackFrom < Step)
        return;
    ::sync_file_range(m_fd, m_writeBackFrom, m_written - m_writeBackFrom, SYNC_FILE_RANGE_WRITE);
    m_writeBackFrom = m_written;
#endif
}

QString AtomicFile::handOver() {
    closeDescriptor();
    return m_temp;
}

bool AtomicFile::commit() {
    if (!m_open)
        return fail(Step::Flush, EBADF);
    if (m_fd < 0) { // written by name: reopened to flush what was written
        m_fd = ::open(nativeBytes(m_temp).constData(), O_WRONLY | O_CLOEXEC);
        if (m_fd < 0)
            return fail(Step::Flush, errno);
    }
    // A file replaced keeps its permissions; a new one has the user's default.
    struct stat old {};
    if (m_keepPermissions && ::lstat(nativeBytes(m_target).constData(), &old) == 0 &&
        S_ISREG(old.st_mode))
        ::fchmod(m_fd, old.st_mode & 07777);
    if (m_access.sync(m_fd) != 0)
        return fail(Step::Flush, errno);
    const int closed = ::close(m_fd);
    m_fd = -1;
    if (closed != 0 && errno != EINTR)
        return fail(Step::Flush, errno);
    if (m_access.rename(nativeBytes(m_temp), nativeBytes(m_target)) != 0)
        return fail(Step::Rename, errno);
    m_open = false;
    m_temp.clear();
    syncFolder(parentFolderOf(m_target));
    return true;
}

void AtomicFile::cancel() {
    closeDescriptor();
    if (m_open && !m_temp.isEmpty())
        ::unlink(nativeBytes(m_temp).constData());
    m_open = false;
    m_temp.clear();
}

WriteResult writeWholeFile(const QString &path, QByteArrayView bytes, FileAccess &access) {
    AtomicFile file(path, AtomicFile::Links::Follow, access);
    if (file.open() && file.write(bytes))
        file.commit();
    return file.result();
}
