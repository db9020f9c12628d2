#include "run/Source.h"

#include "engine/EngineTexts.h"
#include "platform/Paths.h"

SourceKind sourceKind(const Workspace &ws, const QString &path, const QString &otherPath) {
    if (isNullDevice(path))
        return SourceKind::None; // a file that does not exist on this side
    const PathKind pathKind = fPathKind(path);
    if (pathKind == PathFolder)
        return SourceKind::Folder;
    if (pathKind == PathFile) {
        if (ws.Binary)
            return SourceKind::Hexadecimal;
        const QString ext = lowerExtension(path);
        if (isWorkbookExtension(ext))
            return SourceKind::Workbook;
        if (ws.Csv && ext == QLatin1String("csv") &&
            (otherPath.isEmpty() || lowerExtension(otherPath) == QLatin1String("csv")))
            return SourceKind::Workbook;
        if (isDocumentExtension(ext))
            return SourceKind::Document;
        return SourceKind::TextFile;
    }
    if (isWebAddress(path))
        return SourceKind::WebAddress;
    if (path == ClipboardWord)
        return SourceKind::Clipboard;
    return SourceKind::None;
}

Source classifySource(const Workspace &ws, const QString &path, const QString &otherPath,
                      const QString &encoding) {
    return {sourceKind(ws, path, otherPath), path, lowerExtension(path), encoding};
}

SourcePair classifySources(const Workspace &ws, const QString &path1, const QString &path2) {
    const QString paths[2] = {path1, path2};
    SourcePair pair;
    for (size_t side = 0; side < 2; ++side) {
        // An encoding the user named holds for the path it was named for.
        const QString encoding =
            ws.chosenEncodingPath[side] == paths[side] ? ws.chosenEncoding[side] : QString();
        pair[side] = classifySource(ws, paths[side], paths[1 - side], encoding);
    }
    return pair;
}
