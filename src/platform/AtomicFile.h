#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The one way we write files: under a temporary name beside the target, flushed to the disk,
// then renamed over the target in one step. A write that fails or is given up leaves any
// earlier file as it was and says why.

// What writing a file came to; on a failure the cause in the system's words ("No space left
// on device", "Permission denied").
struct WriteResult {
    bool ok = false;
    QString cause;

    explicit operator bool() const { return ok; }
    static WriteResult success() { return {true, QString()}; }
    static WriteResult failure(const QString &cause) { return {false, cause}; }
};

// The steps of a write that can fail for reasons outside the program (a full disk, a failing
// device). The system's are used unless a caller (a test) passes its own.
class FileAccess {
public:
    virtual ~FileAccess() = default;
    // As ::write, ::fsync and ::rename: -1 with errno set on a failure.
    virtual qint64 write(int fd, const char *data, qint64 size);
    virtual int sync(int fd);
    virtual int rename(const QByteArray &from, const QByteArray &to);

    static FileAccess &system();
};

// One file being written. Paths are names as NativePath spells them.
class AtomicFile {
public:
    // Follow: through a symbolic link the file it points to is replaced and the link stays.
    // Replace: a link at the path is itself replaced by the file.
    enum class Links { Follow, Replace };
    // The step that failed first.
    enum class Step { None, Open, Write, Flush, Rename };

    explicit AtomicFile(const QString &path, Links links = Links::Follow,
                        FileAccess &access = FileAccess::system());
    ~AtomicFile(); // a file neither committed nor cancelled is cancelled
    AtomicFile(const AtomicFile &) = delete;
    AtomicFile &operator=(const AtomicFile &) = delete;

    // Creates the temporary file (empty, exclusive to us).
    bool open();
    // Writes all of bytes; a short write is continued, a failing one ends the file.
    bool write(QByteArrayView bytes);
    // For a library that writes by name: closes our descriptor and returns the temporary
    // file's path, which the library may overwrite before commit().
    QString handOver();
    // The temporary file's descriptor (for its mode and times), -1 when not open.
    int descriptor() const { return m_fd; }
    // Flushes the content to the disk and renames the file over the target, keeping the
    // target's permissions. False (and the temporary file gone) when any step failed.
    bool commit();
    // Gives the file up: the temporary file is removed, the target untouched.
    void cancel();

    // Off for a caller that sets the new file's mode itself (a copy takes its source's).
    void setKeepTargetPermissions(bool keep) { m_keepPermissions = keep; }

    // The path of the file that commit() replaces (the link's target when following links).
    QString targetPath() const { return m_target; }
    // The cause of the first failure, in the system's words.
    QString errorText() const { return m_error; }
    Step failedStep() const { return m_failedStep; }
    WriteResult result() const {
        return m_error.isEmpty() ? WriteResult::success() : WriteResult::failure(m_error);
    }

private:
    bool fail(Step step, int error);
    void closeDescriptor();
    void startWriteBack();

    QString m_path;
    QString m_target;
    QString m_temp;
    Links m_links;
    FileAccess &m_access;
    int m_fd = -1;
    qint64 m_written = 0;       // bytes written so far
    qint64 m_writeBackFrom = 0; // where the disk has not been asked to start yet
    bool m_open = false;
    bool m_keepPermissions = true;
    QString m_error;
    Step m_failedStep = Step::None;
};

// Writes bytes to path as one AtomicFile.
WriteResult writeWholeFile(const QString &path, QByteArrayView bytes,
                           FileAccess &access = FileAccess::system());
