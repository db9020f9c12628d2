#pragma once

// File access whose steps fail on demand, for the writers' failure paths.

#include "platform/AtomicFile.h"

#include <cerrno>

class FileFaults : public FileAccess {
public:
    // Counted from 1; 0 never fails.
    int failingWrite = 0;
    int writeError = ENOSPC;
    bool failSync = false;
    bool failRename = false;

    qint64 write(int fd, const char *data, qint64 size) override {
        if (++m_writes == failingWrite) {
            errno = writeError;
            return -1;
        }
        return FileAccess::write(fd, data, size);
    }
    int sync(int fd) override {
        if (failSync) {
            errno = EIO;
            return -1;
        }
        return FileAccess::sync(fd);
    }
    int rename(const QByteArray &from, const QByteArray &to) override {
        if (failRename) {
            errno = EACCES;
            return -1;
        }
        return FileAccess::rename(from, to);
    }

private:
    int m_writes = 0;
};
