#include "run/UnifiedDiffRun.h"

#include "encoding/Charset.h"
#include "encoding/DetectEncoding.h"
#include "export/UnifiedDiff.h"
#include "platform/FileReader.h"
#include "platform/NativePath.h"
#include "platform/Paths.h"
#include "run/ComparisonRunner.h"
#include "run/TextDiff.h"

#include <algorithm>

namespace {

const QString NotFilesOrFolders =
    QStringLiteral("統一差分形式で保存できるのはファイルどうし、フォルダーどうしの比較だけです");

// The bytes of one side: a side without a file (the null device, an empty path) has none.
struct SideBytes {
    QByteArray bytes;
    bool exists = false;
    QString problem; // why the file could not be read
};

SideBytes readSide(const QString &path) {
    SideBytes side;
    if (path.isEmpty() || isNullDevice(path))
        return side;
    side.exists = true;
    const WholeFile file = readWholeFile(path, MaxComparedFileBytes);
    if (!file.ok())
        side.problem = file.problemText(path);
    side.bytes = file.bytes;
    return side;
}

bool readableAsText(SourceKind kind) {
    return kind == SourceKind::TextFile || kind == SourceKind::None;
}

// Text that patch can work on: no NUL byte, no UTF-16 or UTF-32 (whose line ends are more
// than one byte). `shownIn` is the encoding the run read the file in, when it read it.
bool patchableText(const QByteArray &bytes, const QString &shownIn = {}) {
    if (looksBinary(bytes))
        return false;
    const QString encoding = shownIn.isEmpty() ? DetectEncoding(bytes) : shownIn;
    return encoding != EncodingName::Unicode && encoding != EncodingName::Utf16Be &&
           encoding != EncodingName::Utf32;
}

// The diff of one pair of files; `fg` holds their comparison when they are text.
QByteArray filePairDiff(const Workspace &ws, const SourcePair &sources, const SideBytes &left,
                        const SideBytes &right, const ResultGrid &fg) {
    if (left.bytes == right.bytes)
        return {};
    const QString &path1 = sources[0].path, &path2 = sources[1].path;
    const bool text = !ws.Binary && readableAsText(sources[0].kind) &&
                      readableAsText(sources[1].kind) &&
                      patchableText(left.bytes, ws.shownEncoding[0]) &&
                      patchableText(right.bytes, ws.shownEncoding[1]);
    if (!text)
        return binaryFilesDiffer(left.exists ? path1 : QStringLiteral("/dev/null"),
                                 right.exists ? path2 : QStringLiteral("/dev/null"));
    const int nL = int(lineStarts(left.bytes).size()), nR = int(lineStarts(right.bytes).size());
    return unifiedDiff({diffLabel(path1, left.exists), left.bytes},
                       {diffLabel(path2, right.exists), right.bytes},
                       alignmentFromTextGrid(fg, nL, nR));
}

// The entries of a folder sorted by their bytes, as diff lists them.
bool sortedEntries(const QString &folder, QStringList &names) {
    if (!listFolder(folder, [&names](const QString &name) {
            names << name;
            return true;
        }))
        return false;
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        return encodeNativeName(a) < encodeNativeName(b);
    });
    return true;
}

QByteArray folderDiff(const Workspace &ws, const QString &folder1, const QString &folder2,
                      QString &problem);

bool isLinkPath(const QString &path) {
    NativeStat st;
    return nativeStat(path, &st, false) && st.isSymLink;
}

// One name on both sides.
QByteArray entryPairDiff(const Workspace &ws, const QString &a, const QString &b,
                         QString &problem) {
    NativeStat stA, stB;
    if (!nativeStat(a, &stA) || !nativeStat(b, &stB)) {
        problem = QStringLiteral("読み込めません: ") + (stA.exists ? b : a);
        return {};
    }
    if (stA.isDir && stB.isDir) {
        // Through every level, as diff -r goes; a linked folder is never entered (no loops).
        if (ws.recursiveFolders && !isLinkPath(a) && !isLinkPath(b))
            return folderDiff(ws, a, b, problem);
        return commonSubdirectories(a, b);
    }
    if (stA.isDir != stB.isDir)
        return fileKindsDiffer(a, stA, b, stB);
    if (!stA.isFile || !stB.isFile)
        return {}; // pipes, devices and sockets are not read
    const SideBytes left = readSide(a), right = readSide(b);
    if (!left.problem.isEmpty() || !right.problem.isEmpty()) {
        problem = left.problem.isEmpty() ? right.problem : left.problem;
        return {};
    }
    if (left.bytes == right.bytes)
        return {};
    // The pair compared on its own, with the folder comparison's options, for its rows.
    Workspace pair;
    ws.copyRunInputsTo(pair);
    pair.OnlyDF = false;
    const SourcePair sources = {classifySource(ws, a, b), classifySource(ws, b, a)};
    const bool text = !ws.Binary && sources[0].kind == SourceKind::TextFile &&
                      sources[1].kind == SourceKind::TextFile && patchableText(left.bytes) &&
                      patchableText(right.bytes);
    if (!text)
        return binaryFilesDiffer(a, b);
    if (!runTextDiffGuarded(pair, a, b)) {
        problem = pair.statusText();
        return {};
    }
    return diffCommandLine(a, b) + filePairDiff(pair, sources, left, right, pair.fg);
}

QByteArray folderDiff(const Workspace &ws, const QString &folder1, const QString &folder2,
                      QString &problem) {
    QStringList names[2];
    for (int side = 0; side < 2; ++side) {
        const QString &folder = side == 0 ? folder1 : folder2;
        if (!sortedEntries(folder, names[side])) {
            problem = QStringLiteral("読み込めません: ") + folder;
            return {};
        }
    }
    QByteArray out;
    qsizetype i = 0, j = 0;
    while (problem.isEmpty() && (i < names[0].size() || j < names[1].size())) {
        const int order =
            i == names[0].size() ? 1
            : j == names[1].size()
                ? -1
                : encodeNativeName(names[0][i]).compare(encodeNativeName(names[1][j]));
        if (order < 0) {
            out += onlyIn(folder1, names[0][i++]);
        } else if (order > 0) {
            out += onlyIn(folder2, names[1][j++]);
        } else {
            out += entryPairDiff(ws, fJoinPath(folder1, names[0][i]),
                                 fJoinPath(folder2, names[1][j]), problem);
            ++i;
            ++j;
        }
    }
    return out;
}

} // namespace

WriteResult writeUnifiedDiff(const Workspace &ws, const SourcePair &sources, const QString &output,
                             bool *differs) {
    const QString &path1 = sources[0].path, &path2 = sources[1].path;
    const SourceKind left = sources[0].kind, right = sources[1].kind;
    QString problem;
    QByteArray out;
    if (left == SourceKind::Folder && right == SourceKind::Folder) {
        out = folderDiff(ws, path1, path2, problem);
    } else {
        for (const SourceKind kind : {left, right}) {
            if (kind == SourceKind::Folder || kind == SourceKind::WebAddress ||
                kind == SourceKind::Clipboard)
                return WriteResult::failure(NotFilesOrFolders);
        }
        const SideBytes a = readSide(path1), b = readSide(path2);
        problem = a.problem.isEmpty() ? b.problem : a.problem;
        if (problem.isEmpty())
            out = filePairDiff(ws, sources, a, b, ws.fg);
    }
    if (!problem.isEmpty())
        return WriteResult::failure(problem);
    if (differs)
        *differs = !out.isEmpty();
    return writeWholeFile(output, out);
}
