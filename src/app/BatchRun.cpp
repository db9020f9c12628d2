#include "app/BatchRun.h"

#include "export/SaveResult.h"
#include "platform/Paths.h"
#include "run/ComparisonRunner.h"
#include "run/TextDiff.h"

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
        // Existing paths, and web addresses, are the sources.
        if (fFileExists(element) || isWebAddress(element)) {
            if (request.path1.isEmpty())
                request.path1 = element;
            else if (request.path2.isEmpty())
                request.path2 = element;
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

BatchResult batchCompare(Workspace &ws, const BatchRequest &request) {
    BatchResult result;
    if (!request.notFound.isEmpty()) {
        result.error =
            QStringLiteral("見つかりません: ") + request.notFound.join(QStringLiteral(", "));
        return result;
    }
    if (request.path1.isEmpty()) {
        result.error = QStringLiteral("比較するファイルが指定されていません");
        return result;
    }

    if (!runTextDiffGuarded(ws, request.path1, request.path2)) {
        result.error = ws.statusText();
        return result;
    }
    result.output = ws.statusText();
    if (!ws.runProblems.isEmpty()) {
        result.error = ws.runProblems.join(QStringLiteral(", "));
        return result;
    }

    SaveOutcome saved;
    try {
        saved = SaveResult(ws, request.output);
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
