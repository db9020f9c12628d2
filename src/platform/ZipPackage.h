#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>

#include <optional>

typedef struct zip zip_t;
typedef struct zip_file zip_file_t;

// Texts of the package reader's failures, shown to the user after "文書を読めません: " and the
// like.
namespace ZipText {
inline const QString CannotOpen = QStringLiteral("ファイルを開けません");
inline const QString Damaged = QStringLiteral("壊れたファイルです");
inline const QString Encrypted = QStringLiteral("暗号化されています");
inline const QString TooLarge = QStringLiteral("大きすぎます");
inline const QString MissingPart = QStringLiteral("必要な部分がありません");
inline const QString Doctype = QStringLiteral("文書型定義 (DOCTYPE) を含むXMLは読みません");
} // namespace ZipText

enum class ZipError { None, CannotOpen, Damaged, Encrypted, TooLarge, MissingPart };

// Bounds that keep a hostile package (a zip bomb, a million tiny entries) from exhausting the
// machine. A package that exceeds them is reported as too large, never half read.
struct ZipLimits {
    int maxEntries = 10000;
    qint64 maxEntryBytes = qint64(512) * 1024 * 1024;  // decompressed, per entry
    qint64 maxTotalBytes = qint64(1024) * 1024 * 1024; // decompressed, all reads together
};

// A read-only view of a zip package (.docx, .xlsx, .odt). Entry names are compared exactly
// (case and separators as stored); a name stored twice stands for its last copy in the central
// directory, for every reader alike. Nothing escapes from libzip: every failure becomes error()
// and errorText().
class ZipPackage {
public:
    explicit ZipPackage(const ZipLimits &limits = ZipLimits());
    ~ZipPackage();
    ZipPackage(const ZipPackage &) = delete;
    ZipPackage &operator=(const ZipPackage &) = delete;

    // Opens the package (an earlier one is closed). False with error() set when the file is
    // missing, is no consistent zip archive, or has too many entries.
    bool open(const QString &path);
    void close();
    bool isOpen() const { return m_zip != nullptr; }

    // Names in the order of the central directory.
    QStringList entryNames() const { return m_names; }
    bool contains(const QString &name) const { return m_index.contains(name); }

    // The whole decompressed entry, or nothing with error() set: MissingPart when no entry has
    // that exact name, Encrypted, TooLarge when the entry or the package's running total would
    // pass the limits, Damaged for bad data or a size that differs from the declared one.
    std::optional<QByteArray> read(const QString &name);
    // The first bytes of an entry (at most maxBytes, fewer when it is shorter), for a reader
    // that finds what it needs at the start of a large part. Fails as read() does.
    std::optional<QByteArray> readHead(const QString &name, qint64 maxBytes);
    // The decompressed size an entry states; -1 when there is no such entry.
    qint64 statedSize(const QString &name) const;

    // Bytes handed out by read() so far; counts against ZipLimits::maxTotalBytes.
    qint64 totalRead() const { return m_totalRead; }

    ZipError error() const { return m_error; }
    QString errorText() const;

private:
    bool fail(ZipError error);
    // Opens an entry after the checks both reads share; *declared is its stated size.
    zip_file_t *openEntry(const QString &name, qint64 maxBytes, qint64 *declared);

    ZipLimits m_limits;
    zip_t *m_zip = nullptr;
    QStringList m_names;
    QHash<QString, qint64> m_index;
    qint64 m_totalRead = 0;
    ZipError m_error = ZipError::None;
};

// The index in an archive open for editing of the entry a ZipPackage reads for name (its last
// copy when the name is stored twice), so that an edit changes what is read; -1 when none.
qint64 zipIndexRead(zip_t *zip, const QString &name);

// QXmlStreamReader never fetches external entities, but it does expand entities declared in
// an internal DTD subset, which is all a "billion laughs" document needs. None of the formats
// we read has a DOCTYPE, so the readers step with this instead of readNext(): a DTD token ends
// the document with an error (ZipText::Doctype) before any entity reference can be reached.
QXmlStreamReader::TokenType readNextSafe(QXmlStreamReader &reader);
