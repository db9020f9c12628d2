#pragma once

#include "platform/NativePath.h"

#include <QString>

#include <vector>

// A regular file opened for reading with as few system calls as can be, for comparing many
// small files; anything else (a folder, a pipe, a device) is refused. Closed by the destructor.
//
// A large file (LargeFileBytes or more) is read the way careful copy tools read: the kernel is
// told it goes front to back (a longer read-ahead), and what the read brought into the page
// cache is dropped again behind it, a stretch at a time, so that reading a photo archive
// neither fills the memory with pages nobody will read again (the machine stalls while the
// kernel reclaims them) nor pushes out what other programs had cached. Pages that were cached
// before the read are left where they were.
class RegularFile {
public:
    // From this size on a file is read with the hints and dropped behind the read.
    static constexpr qint64 LargeFileBytes = qint64(4) << 20;
    // The stretch dropped at a time.
    static constexpr qint64 DropStretchBytes = qint64(8) << 20;

    RegularFile() = default;
    ~RegularFile();
    RegularFile(const RegularFile &) = delete;
    RegularFile &operator=(const RegularFile &) = delete;

    // False when the path cannot be opened or is not a regular file.
    bool open(const QString &path);
    // Fills up to maxSize bytes (fewer only at the end of the file). Returns the count, 0 at
    // the end, -1 on an error.
    qint64 read(char *data, qint64 maxSize);

private:
    NativeFile m_file;
#ifdef Q_OS_UNIX
    void noteCachedPages(qint64 size);
    void dropReadPages(qint64 upTo);

    bool m_large = false;
    qint64 m_offset = 0;  // bytes read so far
    qint64 m_dropped = 0; // bytes up to which the read pages have been dropped
    // A byte per page of the file, bit 0 set when the page was cached as the file was opened
    // (empty: none was).
    std::vector<unsigned char> m_wasCached;
#endif
};
