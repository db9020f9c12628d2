#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

typedef struct _GsfInfile GsfInfile;

// A read-only view of an OLE compound file (the container of legacy .doc and .xls files), held
// in memory. Nothing escapes from libgsf: a damaged container is simply not opened, and a
// stream that cannot be read whole is not handed out.
class CompoundFile {
public:
    CompoundFile() = default;
    ~CompoundFile();
    CompoundFile(const CompoundFile &) = delete;
    CompoundFile &operator=(const CompoundFile &) = delete;

    // Opens the container in bytes, which must outlive this object. False when the bytes are
    // no consistent compound file.
    bool open(const QByteArray &bytes);

    // A stream of the root storage (its name compared without case), whole, or nothing when
    // there is none of that name, it cannot be read or it is longer than maxBytes.
    std::optional<QByteArray> stream(const char *name, qint64 maxBytes) const;
    // Whether the root storage has a stream of that name (compared without case).
    bool hasStream(const char *name) const;

private:
    int indexOf(const char *name) const;

    GsfInfile *m_root = nullptr;
};

// True when bytes begin as a compound file does.
bool isCompoundFile(const QByteArray &bytes);
