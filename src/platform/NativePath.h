#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <functional>

// File names on Linux are byte strings with no guaranteed encoding. The program keeps every
// path as a QString, so names that are not valid UTF-8 are carried through it with the
// "surrogate escape" scheme: each byte that is not part of a valid UTF-8 sequence becomes the
// lone surrogate U+DC00 + byte (U+DC80..U+DCFF, since ASCII bytes are always valid). Valid
// UTF-8 never encodes a surrogate, so the mapping is unambiguous and round-trips exactly.

// Bytes of a file name or path as text; never fails.
QString decodeNativeName(const QByteArray &bytes);
// The exact bytes again. Lone surrogates U+DC80..U+DCFF become their byte; any other lone
// surrogate (which decoding never produces) becomes U+FFFD; everything else is UTF-8.
QByteArray encodeNativeName(const QString &name);
// True when text holds a byte of a name that is not UTF-8 (a lone surrogate).
bool hasForeignBytes(QStringView text);
// A name as a file manager shows it: each byte that is not UTF-8 (a lone surrogate) becomes
// U+FFFD, so that the text can be written as UTF-8 or any other charset.
QString shownName(QStringView name);

// The running program's own file, its name spelled as every path here is.
QString programFilePath();
// The folder that holds it (its setting.ini, its helper programs).
QString programFolder();

struct NativeStat {
    bool exists = false;
    bool isDir = false;
    // A regular file (not a folder, device, pipe or socket).
    bool isFile = false;
    // Set only when the path itself is a symbolic link and links were not followed.
    bool isSymLink = false;
    quint64 size = 0;
    QDateTime modified;       // local time, milliseconds kept (unless not asked for)
    qint64 modifiedMsecs = 0; // the same time, in milliseconds since the epoch (UTC)
};

// stat() (or lstat() when followLinks is false). False, with *out reset and errno set, when
// the path does not exist or cannot be examined (a broken link with followLinks).
// localTime false leaves out->modified invalid: its time-zone lookup is the dearest part of
// a stat, and a caller with many times converts them together.
bool nativeStat(const QString &path, NativeStat *out, bool followLinks = true,
                bool localTime = true);

// Calls onEntry with the name of every entry of the folder except "." and ".." (hidden ones
// included), in the order the file system gives them. onEntry returning false stops the
// listing. Returns false, with errno set, when the folder cannot be opened or its listing
// fails part way (then some names may have been given already).
bool listFolder(const QString &folder, const std::function<bool(const QString &name)> &onEntry);

// Opens a file for reading (close-on-exec). Returns the descriptor, or -1 with errno set; a
// folder gives -1 with EISDIR. Opening a pipe that has no writer does not wait for one.
int openForRead(const QString &path);

// folder + "/" + name, without doubling a trailing separator.
QString fJoinPath(const QString &folder, const QString &name);

// The folder part of a path: "." for a bare name, "/" for an entry of the root.
QString parentFolderOf(const QString &path);

// The last part of a path (after its last "/").
QString lastNameOf(const QString &path);

// The time of the last change, local time; invalid when the path cannot be examined.
QDateTime modificationTime(const QString &path);

// The whole path bytes for a library that opens files by name.
inline QByteArray nativePathBytes(const QString &path) {
    return encodeNativeName(path);
}

// A file opened for reading in blocks; closed by the destructor.
class NativeFile {
public:
    NativeFile() = default;
    ~NativeFile();
    NativeFile(const NativeFile &) = delete;
    NativeFile &operator=(const NativeFile &) = delete;

    bool open(const QString &path);
    // Opens a regular file only (a folder, a pipe or a device is refused) with no more system
    // calls than the open and one look at the file; `size` (when given) is told its size.
    bool openRegular(const QString &path, qint64 *size = nullptr);
    // Fills up to maxSize bytes (fewer only at the end of the file). Returns the count, 0 at
    // the end, -1 on an error.
    qint64 read(char *data, qint64 maxSize);
    void close();
    // False when the open file is not a regular file (a pipe, a device).
    bool isRegular() const;
    // The open descriptor, -1 when closed.
    int descriptor() const { return m_fd; }

    // errno of the last failure and its text.
    int errorNumber() const { return m_error; }
    QString errorText() const;

private:
    int m_fd = -1;
    int m_error = 0;
};
