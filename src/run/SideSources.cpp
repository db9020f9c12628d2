#include "run/SideSources.h"

#include "encoding/Charset.h"
#include "encoding/OfficeDocument.h"
#include "engine/EngineTexts.h"
#include "engine/LineMatching.h"
#include "platform/HttpFetch.h"
#include "platform/Paths.h"
#include "run/TextDiff.h"

namespace {

// The grid keeps the text; the lines point into it.
// Readers that wait on a download or a helper program stop when the user stops the run.
std::function<bool()> stopOf(const Workspace &ws) {
    return [&ws] { return ws.bAbort.load(); };
}

LineViews keepLines(Workspace &ws, const QString &text) {
    ws.fg.keepAlive(text);
    return LineViews::splitText(text);
}

} // namespace

LineViews loadFileLines(Workspace &ws, const QString &path, bool document,
                        Background::Half<LoadedText> *pending, bool *stopped,
                        std::mutex *decodeTurn, const QString &encoding, DecodedText *found) {
    if (document) {
        QString error;
        const std::optional<QString> text = readDocumentText(path, &error, stopOf(ws));
        if (!text) {
            ws.runProblems << error + QStringLiteral(": ") + path;
            return {};
        }
        return keepLines(ws, normalizeLineEnds(*text));
    }
    try {
        if (pending && pending->valid()) {
            LoadedText loaded = pending->get();
            ws.fg.keepAlive(loaded.decoded.text);
            if (found)
                *found = loaded.decoded;
            return std::move(loaded.lines);
        }
        DecodedText decoded = loadTextFile(path, stopOf(ws), decodeTurn, encoding);
        if (found)
            *found = decoded;
        return keepLines(ws, decoded.text);
    } catch (const FileTooLargeError &) {
        ws.runProblems << EngineTexts::TooLargeToRead + path;
        return {};
    } catch (const FileReadError &) {
        if (!ws.bAbort) // stopped by the user, not a file that cannot be read
            ws.runProblems << EngineTexts::CannotRead + path;
        else if (stopped)
            *stopped = true;
        return {};
    }
}

Background::Half<LoadedText> readTextInBackground(const Workspace &ws, const QString &path,
                                                  std::mutex *decodeTurn, const QString &encoding) {
    // The loader's failure (FileReadError) is thrown again where the text is taken.
    return Background::split([&ws, path, decodeTurn, encoding] {
        LoadedText loaded{loadTextFile(path, stopOf(ws), decodeTurn, encoding), {}};
        loaded.lines = LineViews::splitText(loaded.decoded.text);
        return loaded;
    });
}

LineViews loadWebLines(Workspace &ws, const QString &address) {
    const HttpResult page = httpGet(address, 30000, HttpMaxBody, stopOf(ws));
    if (!page.ok) {
        ws.runProblems << page.error + QStringLiteral(": ") + address;
        return {};
    }
    if (page.body.isEmpty())
        return {};
    return keepLines(ws, decodeText(page.body).text);
}

std::optional<Workbook> loadWorkbookSide(Workspace &ws, int side, const QString &path) {
    QString error;
    std::optional<Workbook> book = readWorkbook(path, false, &error, stopOf(ws));
    if (!book) {
        ws.runProblems << error + QStringLiteral(": ") + path;
        return std::nullopt;
    }
    ws.workbookInfo[size_t(side)] = QStringLiteral("ファイル名：") + fileNameOf(path) +
                                    QStringLiteral("\r\n更新日時：") + modificationText(path) +
                                    QStringLiteral("\r\nシート数：") +
                                    QString::number(book->sheets.size());
    return book;
}

QList<SheetListItem> sheetListAlone(const Workbook &book) {
    QList<SheetListItem> list;
    for (int k = 0; k < book.sheets.size(); ++k)
        list.append(
            {QString::number(k + 1), book.sheets[k].name, book.sheets[k].usedRangeAddress()});
    return list;
}

std::array<QList<SheetListItem>, 2> alignSheetLists(const Workbook &left, const Workbook &right) {
    QStringList names[2];
    for (const Sheet &s : left.sheets)
        names[0] << s.name;
    for (const Sheet &s : right.sheets)
        names[1] << s.name;
    PairTable table;
    matchLines(names[0], names[1], MatchParams{}, table);
    std::array<QList<SheetListItem>, 2> lists;
    const Workbook *books[2] = {&left, &right};
    for (int r = 1; r <= table.lastRow(); ++r) {
        const int index[2] = {table.row(r).left, table.row(r).right};
        for (int side = 0; side < 2; ++side) {
            const int k = index[side];
            if (k < 0)
                lists[size_t(side)].append(SheetListItem());
            else
                lists[size_t(side)].append({QString::number(k + 1), names[side][k],
                                            books[side]->sheets[k].usedRangeAddress()});
        }
    }
    return lists;
}
