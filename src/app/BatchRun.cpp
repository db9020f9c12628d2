#include "app/BatchRun.h"

#include "app/BatchWorkbookReport.h"
#include "encoding/EncodingNames.h"
#include "engine/EngineTexts.h"
#include "export/SaveResult.h"
#include "platform/Paths.h"
#include "platform/SameFile.h"
#include "run/ComparisonOutput.h"
#include "run/ComparisonRunner.h"
#include "run/SourcePairs.h"
#include "run/UnifiedDiffRun.h"

#include <new>
#include <stdexcept>

std::optional<BatchRequest> parseBatchArgs(const QStringList &elements) {
    BatchRequest request;
    const int n = int(elements.size()) - 1;
    if (n <= 1)
        return std::nullopt;
    for (int i = 1; i <= n; ++i) {
        const QString &element = elements[i];
        const QString lower = element.toLower();
        // Existing paths, and web addresses, are the sources; an empty element is an empty
        // side, as an empty path box is.
        if (element.isEmpty() || fFileExists(element) || isWebAddress(element)) {
            if (request.sources == 0)
                request.path1 = element;
            else if (request.sources == 1)
                request.path2 = element;
            else if (request.sources == 2)
                request.path3 = element;
            ++request.sources;
        } else if (lower.startsWith(QLatin1String("/e1")) ||
                   lower.startsWith(QLatin1String("/e2"))) {
            // The encoding of a side: "/e1 EUC" or "/e1EUC".
            const size_t side = lower[2] == u'1' ? 0 : 1;
            if (element.size() > 3)
                request.encodings[side] = element.mid(3);
            else if (i < n && !elements[i + 1].startsWith(u'/')) // no name before the next option
                request.encodings[side] = elements[++i];
            else
                request.notFound << element;
        } else if (lower == QLatin1String("/o")) {
            if (i < n) {
                request.output = elements[i + 1];
                break;
            }
        } else if (lower.startsWith(QLatin1String("/o"))) {
            request.output = element.mid(2).trimmed();
        } else {
            request.notFound << element;
        }
    }
    if (request.output.isEmpty())
        return std::nullopt;
    request.threeTexts = request.sources >= 3;
    return request;
}

QString oneLine(const QString &text) {
    QString line;
    line.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'\n')
            line += QLatin1String("\\n");
        else if (c == u'\r')
            line += QLatin1String("\\r");
        else if (c == u'\t')
            line += QLatin1String("\\t");
        else if (c.unicode() < 0x20 || c.unicode() == 0x7F || c == QChar::LineSeparator ||
                 c == QChar::ParagraphSeparator || c.unicode() == 0x85)
            line += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            line += c;
    }
    return line;
}

namespace {

// Why the request cannot give a true answer (two sources that would not both be read and
// compared) or would destroy an input (the output is one of them); empty when it can run.
QString refusedBatch(const Workspace &ws, const SourcePair &sources, const QString &output) {
    for (const Source &input : sources) {
        if (isSameFileOnDisk(output, input.path))
            return QStringLiteral("出力先が比較するファイルと同じです: ") + output;
    }
    return whyNotCompared(ws, sources);
}

// Hands the encodings the request names to the sources (and to the workspace, which keeps them
// for their paths); says which name is not known.
QString chooseEncodings(Workspace &ws, const BatchRequest &request, SourcePair &sources) {
    for (size_t side = 0; side < 2; ++side) {
        const QString &name = request.encodings[side];
        if (name.isEmpty())
            continue;
        const EncodingInfo *known = findEncoding(name);
        if (!known) {
            QStringList names;
            for (const EncodingInfo &e : knownEncodings())
                names << e.name;
            return QStringLiteral("文字コード名が正しくありません: ") + name +
                   QStringLiteral(" (") + names.join(QStringLiteral(", ")) + QLatin1Char(')');
        }
        sources[side].encoding = known->name;
        ws.chosenEncoding[side] = known->name;
        ws.chosenEncodingPath[side] = sources[side].path;
    }
    return {};
}

// What git passes for the side of a file that does not exist.
QString nullDevicePath() {
#ifdef Q_OS_WIN
    return QStringLiteral("NUL");
#else
    return QStringLiteral("/dev/null");
#endif
}

// Two workbooks as a unified diff: files patch cannot take, so nothing of a run goes into it.
// The pair is diff's "Binary files ... differ" line when their bytes differ, and the exit
// status says what the diff says, as diff's does.
BatchResult workbooksAsUnifiedDiff(const Workspace &ws, const SourcePair &sources,
                                   const QString &output) {
    BatchResult result;
    bool differs = false;
    const WriteResult written = writeUnifiedDiff(ws, sources, output, &differs);
    if (!written) {
        result.error = saveOutcomeText(output, written);
        return result;
    }
    result.output = EngineTexts::Done;
    result.status = differs ? BatchDifferent : BatchSame;
    return result;
}

} // namespace

BatchResult batchCompare(Workspace &ws, const BatchRequest &request) {
    BatchResult result;
    if (!request.notFound.isEmpty()) {
        result.error =
            QStringLiteral("見つかりません: ") + request.notFound.join(QStringLiteral(", "));
        return result;
    }
    if (request.threeTexts)
        return batchMerge(ws, request);
    if (request.path1.isEmpty() && request.path2.isEmpty()) {
        result.error = QStringLiteral("比較するファイルが指定されていません");
        return result;
    }

    // The output and the sources are classified once, here; everything below asks them.
    const SaveType type = saveTypeOf(request.output);
    // A unified diff reads files as diff does: a CSV file is text to it, CSV toggle or not.
    if (type == SaveTypeUnifiedDiff)
        ws.Csv = false;
    SourcePair sources = classifySources(ws, request.path1, request.path2);
    if (const QString why = refusedBatch(ws, sources, request.output); !why.isEmpty()) {
        result.error = why;
        return result;
    }
    if (const QString why = chooseEncodings(ws, request, sources); !why.isEmpty()) {
        result.error = why;
        return result;
    }

    const OutputRoute route = outputRoute(sources, type);
    if (route == OutputRoute::WorkbookReport)
        return batchWorkbookReport(ws, sources, type, request.output);
    if (route == OutputRoute::UnifiedDiff && sources[0].kind == SourceKind::Workbook &&
        sources[1].kind == SourceKind::Workbook)
        return workbooksAsUnifiedDiff(ws, sources, request.output);

    // Beside a second source an empty argument is a file that does not exist, as the null
    // device is: the other file's lines are all added or deleted (a path given alone is shown
    // alone).
    const bool missingSide =
        request.sources >= 2 && (request.path1.isEmpty() != request.path2.isEmpty());
    SourcePair compared = sources;
    for (Source &side : compared) {
        if (side.path.isEmpty() && missingSide)
            side = Source{SourceKind::None, nullDevicePath(), QString(), QString()};
    }
    if (!runTextDiffGuarded(ws, compared)) {
        result.error = ws.statusText();
        return result;
    }
    if (missingSide)
        ws.cb = {request.path1, request.path2};
    result.output = ws.statusText();
    if (!ws.runProblems.isEmpty()) {
        result.error = ws.runProblems.join(QStringLiteral(", "));
        return result;
    }

    SaveOutcome saved;
    try {
        if (route == OutputRoute::UnifiedDiff) {
            const WriteResult written = writeUnifiedDiff(ws, sources, request.output);
            saved = {bool(written), written ? QString() : saveOutcomeText(request.output, written),
                     written.cause};
        } else {
            saved = SaveResultAs(ws, request.output, type);
        }
    } catch (const std::bad_alloc &) {
        saved.cause = QStringLiteral("メモリが足りません");
    } catch (const std::exception &e) {
        saved.cause = QString::fromLocal8Bit(e.what());
    }
    if (!saved.ok && saved.message.isEmpty())
        saved.message = QStringLiteral("保存できませんでした: ") + saved.cause;
    if (!saved.ok) {
        result.error = saved.message;
        return result;
    }
    const bool differs = ws.DiffCount != 0 || ws.LeftOnlyCount != 0 || ws.RightOnlyCount != 0;
    result.status = differs ? BatchDifferent : BatchSame;
    return result;
}
