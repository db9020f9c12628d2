#include "edit/SaveEditableText.h"

#include "edit/ReadEditableText.h"
#include "encoding/Charset.h"
#include "encoding/DetectEncoding.h"
#include "encoding/TextEncoder.h"
#include "platform/AtomicFile.h"
#include "platform/FileReader.h"
#include "platform/NativePath.h"

#include <QDir>
#include <QFileInfo>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <limits>
#include <utility>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString SaveProblem = QStringLiteral("保存できません: %1 (%2)");
const QString ReadOnlyFile = QStringLiteral("読み取り専用のファイルです");
const QString ReadOnlyFolder = QStringLiteral("フォルダに書き込めません");
const QString ReadOnlyDisk = QStringLiteral("読み取り専用のディスクです");
const QString DiskFull = QStringLiteral("ディスクの空き容量が足りません");
const QString NoBackup = QStringLiteral("バックアップ %1 を作成できません: %2");

QString systemText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

SaveResult failed(const QString &path, const QString &cause) {
    SaveResult result;
    result.status = SaveResult::Status::Failed;
    result.message = SaveProblem.arg(path, cause);
    return result;
}

// Why the writer failed, in the words a user acts on (the writer gives the system's text).
QString causeOf(const AtomicFile &file) {
    const QString cause = file.errorText();
    if (cause == systemText(ENOSPC) || cause == systemText(EDQUOT))
        return DiskFull;
    if (cause == systemText(EROFS))
        return ReadOnlyDisk;
    if (file.failedStep() == AtomicFile::Step::Open &&
        (cause == systemText(EACCES) || cause == systemText(EPERM)))
        return ReadOnlyFolder;
    return cause;
}

// The encoding a side is saved in when the caller names none.
QString ownEncoding(const EditableText &side) {
    if (!side.file().encoding.isEmpty())
        return side.file().encoding;
    return side.encoding().isEmpty() ? EncodingName::Utf8 : side.encoding();
}

QString absolutePath(const QString &path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// True when the file is not the one the side read or last wrote: gone, another size or time,
// or other bytes.
bool changedOnDisk(const SideFile &known) {
    NativeStat st;
    if (!nativeStat(known.path, &st) || !st.isFile || qint64(st.size) != known.size)
        return true;
    FileStamp now;
    if (!modificationStamp(known.path, &now) || now.local != known.modified.local ||
        now.nanoseconds != known.modified.nanoseconds)
        return true;
    const WholeFile file = readWholeFile(known.path, MaxComparedFileBytes);
    return !file.ok() || contentHash(file.bytes) != known.contentHash;
}

// Keeps the file at target as target.bak: a second name for the same file where the file
// system allows it (nothing copied, its mode, owner and times kept), else a copy.
QString keepBackup(const QString &target, const struct stat &old) {
    const QString backup = target + QStringLiteral(".bak");
    static std::atomic<unsigned> counter{0};
    const QString temp = fJoinPath(
        parentFolderOf(target),
        QStringLiteral(".corvane-%1-%2.bak.tmp").arg(::getpid()).arg(counter.fetch_add(1)));
    const QByteArray tempName = encodeNativeName(temp);
    if (::link(encodeNativeName(target).constData(), tempName.constData()) == 0) {
        if (::rename(tempName.constData(), encodeNativeName(backup).constData()) == 0)
            return QString();
        const int error = errno;
        ::unlink(tempName.constData());
        return NoBackup.arg(backup, systemText(error));
    }
    const WholeFile bytes = readWholeFile(target, std::numeric_limits<qint64>::max());
    if (!bytes.ok())
        return NoBackup.arg(backup, bytes.reason());
    AtomicFile copy(backup, AtomicFile::Links::Replace);
    copy.setKeepTargetPermissions(false);
    if (copy.open() && copy.write(bytes.bytes)) {
        ::fchmod(copy.descriptor(), old.st_mode & 07777);
        copy.commit();
    }
    return copy.result() ? QString() : NoBackup.arg(backup, causeOf(copy));
}

// The new file takes the old one's owner and group where the system lets us (only the
// super-user may give a file away; a group we belong to we may keep).
void keepOwner(int fd, const struct stat &old) {
    if (::fchown(fd, old.st_uid, old.st_gid) != 0 && errno == EPERM)
        (void)::fchown(fd, uid_t(-1), old.st_gid);
}

char32_t characterAt(const QString &text, qsizetype at) {
    if (at < 0 || at >= text.size())
        return 0;
    const QChar c = text[at];
    if (c.isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate())
        return QChar::surrogateToUcs4(c, text[at + 1]);
    return c.unicode();
}

} // namespace

SavedBytes editableTextBytes(const EditableText &side, const QString &encoding) {
    SavedBytes made;
    made.problem.status = SaveResult::Status::Saved;
    const QString own = ownEncoding(side);
    TextEncoder encoder(encoding.isEmpty() ? own : encoding);
    // Original bytes are only good in the encoding they were read in.
    const bool asRead = encoder.name() == side.encoding();
    const QByteArray &original = side.original();
    const char *bytes = original.constData();

    std::array<QByteArray, 4> ends; // by LineEnd
    ends[size_t(LineEnd::Lf)] = encoder.lineBreak(QStringLiteral("\n"));
    ends[size_t(LineEnd::CrLf)] = encoder.lineBreak(QStringLiteral("\r\n"));
    ends[size_t(LineEnd::Cr)] = encoder.lineBreak(QStringLiteral("\r"));

    QByteArray &out = made.bytes;
    out.reserve(original.size() + original.size() / 8 + 64);
    out += encoder.name() == own ? side.file().byteOrderMark : encoder.byteOrderMark();
    // Untouched lines that follow each other in the file go out as one run of bytes.
    qint64 runStart = -1, runEnd = -1;
    auto flush = [&] {
        if (runStart >= 0)
            out.append(bytes + runStart, runEnd - runStart);
        runStart = -1;
    };
    auto take = [&](qint64 from, qint64 to) {
        if (runStart < 0 || from != runEnd) {
            flush();
            runStart = from;
        }
        runEnd = to;
    };
    // A line ended by a bare CR and followed by bytes that start with an LF would read back
    // as one CR LF break, and a line would vanish (an empty line inserted after a CR line, or
    // UTF-7's encoded LF kept beside a raw CR): such a CR is written as CR LF.
    const QByteArray &lf = ends[size_t(LineEnd::Lf)];
    LineEnd previousEnd = LineEnd::None;
    auto keepApart = [&](LineEnd before, QByteArrayView text, const QByteArray &endBytes) {
        const QByteArrayView next = text.isEmpty() ? QByteArrayView(endBytes) : text;
        if (before == LineEnd::Cr && next.startsWith(lf)) {
            flush();
            out += lf;
        }
    };
    const std::vector<EditLine> &lines = side.lines();
    for (size_t k = 0; k < lines.size(); ++k) {
        const EditLine &line = lines[k];
        const LineEnd end = k + 1 == lines.size()       ? LineEnd::None
                            : line.end == LineEnd::None ? side.usualEnd()
                                                        : line.end;
        const QByteArray &endBytes = ends[size_t(end)];
        const qint64 textEnd = line.byteStart + line.textBytes;
        const LineEnd before = std::exchange(previousEnd, end);
        if (asRead && line.isOriginal() && line.textBytes >= 0 &&
            textEnd + line.endBytes <= original.size()) {
            keepApart(before, QByteArrayView(bytes + line.byteStart, line.textBytes), endBytes);
            if (line.endBytes == endBytes.size() &&
                std::memcmp(bytes + textEnd, endBytes.constData(), size_t(endBytes.size())) == 0) {
                take(line.byteStart, textEnd + line.endBytes);
            } else {
                take(line.byteStart, textEnd);
                flush();
                out += endBytes;
            }
            continue;
        }
        flush();
        const EncodedText encoded = encoder.encode(line.text);
        if (!encoded.ok()) {
            made.bytes.clear();
            made.problem.status = SaveResult::Status::CannotEncode;
            made.problem.line = qsizetype(k);
            made.problem.column = encoded.badIndex;
            made.problem.character = characterAt(line.text, encoded.badIndex);
            return made;
        }
        keepApart(before, encoded.bytes, endBytes);
        out += encoded.bytes;
        out += endBytes;
    }
    flush();
    return made;
}

SaveResult saveEditableText(EditableText &side, const QString &path, const SaveOptions &options) {
    const QString encoding = options.encoding.isEmpty() ? ownEncoding(side) : options.encoding;
    SavedBytes made = editableTextBytes(side, encoding);
    if (!made.problem.saved())
        return made.problem;

    const SideFile &known = side.file();
    const QString absolute = absolutePath(path);
    if (!options.overwriteChanged && !known.path.isEmpty() && absolute == known.path &&
        changedOnDisk(known)) {
        SaveResult result;
        result.status = SaveResult::Status::ChangedOnDisk;
        return result;
    }

    AtomicFile file(path, AtomicFile::Links::Follow,
                    options.access ? *options.access : FileAccess::system());
    if (!file.open())
        return failed(path, causeOf(file));
    // A file or folder marked read-only is refused even where the system would let us
    // replace it (a folder we may write, or the super-user).
    const QByteArray target = encodeNativeName(file.targetPath());
    struct stat old {};
    const bool replacing = ::stat(target.constData(), &old) == 0;
    if (replacing && (::access(target.constData(), W_OK) != 0 || (old.st_mode & 0222) == 0))
        return failed(path, ReadOnlyFile);
    struct stat folder {};
    if (::stat(encodeNativeName(parentFolderOf(file.targetPath())).constData(), &folder) == 0 &&
        (folder.st_mode & 0222) == 0)
        return failed(path, ReadOnlyFolder);

    if (!file.write(made.bytes))
        return failed(path, causeOf(file));
    if (replacing)
        keepOwner(file.descriptor(), old);
    if (replacing && options.backup) {
        const QString problem = keepBackup(file.targetPath(), old);
        if (!problem.isEmpty()) {
            file.cancel();
            SaveResult result = failed(path, problem);
            return result;
        }
    }
    if (!file.commit())
        return failed(path, causeOf(file));

    SideFile written;
    written.path = absolute;
    written.size = made.bytes.size();
    modificationStamp(path, &written.modified);
    written.contentHash = contentHash(made.bytes);
    TextEncoder encoder(encoding);
    written.encoding = encoder.name();
    written.byteOrderMark =
        encoder.name() == ownEncoding(side) ? known.byteOrderMark : encoder.byteOrderMark();
    side.setFile(written);
    SaveResult result;
    result.status = SaveResult::Status::Saved;
    return result;
}
