#include "app/BatchRun.h"

#include "merge/MergeText.h"
#include "platform/Paths.h"
#include "platform/SameFile.h"

BatchResult batchMerge(const BatchRequest &request) {
    BatchResult result;
    const QString inputs[3] = {request.path1, request.path2, request.path3};
    for (const QString &input : inputs) {
        if (input.isEmpty()) {
            result.error = QStringLiteral("併合にはファイルを3つ指定してください");
            return result;
        }
        if (isWebAddress(input) || fPathKind(input) != 1) {
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
