#include "app/BatchRun.h"

#include "merge/MergeText.h"
#include "platform/Paths.h"
#include "platform/SameFile.h"
#include "run/Source.h"

BatchResult batchMerge(const Workspace &ws, const BatchRequest &request) {
    BatchResult result;
    // The three sides are classified as a comparison's two are; the null device is an empty
    // file, as diff3 takes it.
    const Source inputs[3] = {classifySource(ws, request.path1, request.path2),
                              classifySource(ws, request.path2, request.path1),
                              classifySource(ws, request.path3, request.path1)};
    for (const Source &source : inputs) {
        const QString &input = source.path;
        if (input.isEmpty()) {
            result.error = QStringLiteral("併合にはファイルを3つ指定してください");
            return result;
        }
        if (!source.isFile() && !isNullDevice(input)) {
            result.error = QStringLiteral("併合できるのはファイルだけです: ") + input;
            return result;
        }
        if (isSameFileOnDisk(request.output, input)) {
            result.error = QStringLiteral("出力先が併合するファイルと同じです: ") + request.output;
            return result;
        }
    }
    const MergeFilesResult merged =
        mergeFiles(request.path1, request.path2, request.path3, request.output);
    if (merged.status == MergeFilesResult::Trouble) {
        result.error = merged.error;
        return result;
    }
    result.output = QStringLiteral("完了     競合=%1").arg(merged.conflicts);
    result.status = merged.status == MergeFilesResult::Clean ? BatchSame : BatchDifferent;
    return result;
}
