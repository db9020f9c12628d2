#include "run/TextDiff.h"

#include "encoding/Charset.h"
#include "engine/EngineTexts.h"
#include "engine/GuardedMatching.h"
#include "engine/LineKeys.h"
#include "engine/LineMatching.h"
#include "folder/SearchFile.h"
#include "folder/SearchFolderTree.h"
#include "platform/FreedMemory.h"
#include "platform/Paths.h"
#include "run/BinaryDump.h"
#include "run/GridFill.h"
#include "run/SideSources.h"
#include "run/SourcePairs.h"
#include "run/TextSideNotes.h"

using namespace EngineTexts;

namespace {

bool isClipboard(const QString &path) {
    return path == ClipboardWord;
}

// The pattern of a folder listing: every entry.
const QString AllEntries = QStringLiteral("*.*");

// One comparison run: the two sides as they are loaded, and the decisions between them.
class Run {
public:
    Run(Workspace &ws, const SourcePair &sources, const MatchParams &params)
        : m_ws(ws), m_src(sources), m_params(params) {}

    void execute() {
        const SourceKind left = m_src[0].kind;
        const SourceKind right = m_src[1].kind;
        // Two text files: the right one is read and decoded while the left one is.
        if (left == SourceKind::TextFile && right == SourceKind::TextFile)
            m_pendingRight =
                readTextInBackground(m_ws, m_src[1].path, &m_decodeTurn, m_src[1].encoding);
        if (!loadSide(0, left))
            return; // stopped
        PairOutcome outcome = pairOutcome(left, right, rightNameOf(m_ws, m_src[1]));
        // A side named by the null device is a file that does not exist: the other side is
        // compared against no lines, so every one of its lines counts as added or deleted.
        if (againstMissingFile(left, right))
            outcome = PairOutcome::Compare;
        switch (outcome) {
        case PairOutcome::LeftAlone:
            showAlone(0, left);
            return;
        case PairOutcome::RightAlone:
            if (loadSide(1, right))
                showAlone(1, right);
            return;
        case PairOutcome::Compare:
            // A read the stop ended leaves its side empty, and a short comparison may end
            // before it asks again: it would show the other side as all added or deleted.
            if (loadSide(1, right) && !m_readStopped)
                compare();
            return;
        }
    }

private:
    bool againstMissingFile(SourceKind left, SourceKind right) const {
        auto comparable = [](SourceKind kind) {
            return kind == SourceKind::TextFile || kind == SourceKind::Document ||
                   kind == SourceKind::WebAddress || kind == SourceKind::Hexadecimal ||
                   kind == SourceKind::Clipboard;
        };
        return (isNullDevice(m_src[0].path) && comparable(right)) ||
               (isNullDevice(m_src[1].path) && comparable(left));
    }

    // Loads one side as its kind says; false when the user stopped its dump.
    bool loadSide(int side, SourceKind kind) {
        switch (kind) {
        case SourceKind::None:
            return true;
        case SourceKind::Folder:
            noteExisting(side);
            m_ws.sShowView(ResultView::Folder);
            return true;
        case SourceKind::Hexadecimal:
            noteExisting(side);
            return dumpFile(m_ws, side, m_src[side].path);
        case SourceKind::Workbook:
            noteExisting(side);
            m_ws.sShowView(ResultView::Sheets);
            m_books[side] = loadWorkbookSide(m_ws, side, m_src[side].path);
            return true;
        case SourceKind::Document:
        case SourceKind::TextFile:
            noteExisting(side);
            loadFile(side, kind);
            return true;
        case SourceKind::WebAddress:
            loadWeb(side);
            return true;
        case SourceKind::Clipboard:
            if (m_ws.Binary)
                return dumpBytes(m_ws, side, utf16LeBytes(m_ws.clipboardSlot[side]));
            m_ws.sShowView(ResultView::Text);
            m_ws.fg.keepAlive(m_ws.clipboardSlot[side]);
            m_lines[side] = LineViews::splitText(m_ws.clipboardSlot[side], true);
            return true;
        }
        return true;
    }

    // Shows a loaded side that is not compared.
    void showAlone(int side, SourceKind kind) {
        switch (kind) {
        case SourceKind::None:
            return;
        case SourceKind::Folder:
            if (m_ws.recursiveFolders)
                searchFolderTree(m_ws, side == 0 ? m_src[0].path : QString(),
                                 side == 1 ? m_src[1].path : QString());
            else
                SearchFile(m_ws, m_src[side].path, AllEntries, side, QString());
            return;
        case SourceKind::Hexadecimal:
            // The dump is on screen already; the overview bar follows it.
            m_ws.sDiffbarPrint();
            return;
        case SourceKind::Workbook:
            showSheetsAlone();
            return;
        case SourceKind::Clipboard:
            // The clipboard's bytes alone leave the overview bar as it was.
            if (m_ws.Binary)
                return;
            break;
        case SourceKind::Document:
        case SourceKind::TextFile:
        case SourceKind::WebAddress:
            break;
        }
        showOneSided(m_ws, side, m_lines[side]);
    }

    // An existing path: into the history and the path boxes.
    void noteExisting(int side) {
        m_ws.sAddComboHistory(m_src[side].path);
        m_ws.cb[0] = m_src[0].path;
        m_ws.cb[1] = m_src[1].path;
    }

    void loadFile(int side, SourceKind kind) {
        const QString &path = m_src[side].path;
        m_ws.sShowView(ResultView::Text);
        m_ws.fg.setText(0, side == 0 ? 1 : 3,
                        fileNameOf(path) + QStringLiteral(" [") + modificationText(path) +
                            QStringLiteral("]"));
        m_lines[side] = loadFileLines(m_ws, path, kind == SourceKind::Document,
                                      side == 1 ? &m_pendingRight : nullptr, &m_readStopped,
                                      &m_decodeTurn, m_src[side].encoding, &m_found[side]);
        if (!m_found[side].encoding.isEmpty()) {
            m_ws.shownEncoding[side] = m_found[side].encoding;
            m_ws.detectedEncoding[side] = m_found[side].detected;
            if (const QString note = encodingNote(side, m_found[side]); !note.isEmpty())
                m_ws.runNotes << note;
        }
    }

    // A web address: into the history; its text column is headed by the address itself.
    void loadWeb(int side) {
        m_ws.sAddComboHistory(m_src[side].path);
        m_ws.sShowView(ResultView::Text);
        m_ws.fg.setText(0, side == 0 ? 1 : 3, m_src[side].path);
        m_lines[side] = loadWebLines(m_ws, m_src[side].path);
    }

    // The sheet list of the one workbook that was read.
    void showSheetsAlone() {
        std::array<QList<SheetListItem>, 2> lists;
        for (int side = 0; side < 2; ++side) {
            if (m_books[side])
                lists[size_t(side)] = sheetListAlone(*m_books[side]);
        }
        m_ws.setSheetLists(lists, m_ws.workbookInfo);
    }

    void compare() {
        if (!isClipboard(m_src[0].path) && !isClipboard(m_src[1].path))
            m_ws.sAddRecent(m_src[0].path, m_src[1].path);
        if (m_src[0].kind == SourceKind::Folder && m_src[1].kind == SourceKind::Folder) {
            if (m_ws.recursiveFolders)
                searchFolderTree(m_ws, m_src[0].path, m_src[1].path);
            else
                SearchFile(m_ws, m_src[0].path, AllEntries, 0, m_src[1].path);
            m_ws.sDiffbarPrint();
            return;
        }
        if (m_ws.Binary) {
            compareBinaryRows(m_ws);
            m_ws.sDiffbarPrint();
            return;
        }
        if (m_ws.shownView() == ResultView::Sheets) {
            // Two workbooks: their sheet names are aligned as lines are.
            m_ws.setSheetLists(
                alignSheetLists(m_books[0].value_or(Workbook()), m_books[1].value_or(Workbook())),
                m_ws.workbookInfo);
            m_ws.raiseWindow();
            return;
        }
        m_ws.setStatus(Analysing);
        // Lines are folded, or matched the minimal way, as strings; otherwise by their places.
        const LineFolding folding = m_ws.textFolding();
        const bool byPlaces = !folding.active() && !m_ws.minimalMatching;
        PairTable table;
        const std::function<bool()> shouldAbort = [this] {
            m_ws.processEvents();
            return m_ws.bAbort.load();
        };
        const std::function<void(qint64, qint64)> progress = [this](qint64 done, qint64 total) {
            m_ws.reportProgress(done, total);
        };
        const bool finished =
            byPlaces
                ? matchLinesGuarded(m_lines[0], m_lines[1], m_params, table, shouldAbort, progress)
                : matchFoldedLines(m_lines[0].toList(), m_lines[1].toList(), folding, m_params,
                                   m_ws.minimalMatching, table, shouldAbort, progress);
        // The matching's index is freed; its memory goes back before the grid takes its own.
        releaseFreedMemory();
        if (!finished)
            return;
        fillTextGrid(m_ws, table, m_lines[0], m_lines[1]);
        noteEqualTexts();
        m_ws.raiseWindow();
    }

    // Two text files whose texts are the same though their bytes are not: the status says
    // what differs, so "完了" does not leave the user wondering.
    void noteEqualTexts() {
        if (m_ws.DiffCount != 0 || m_ws.LeftOnlyCount != 0 || m_ws.RightOnlyCount != 0 ||
            m_found[0].encoding.isEmpty() || m_found[1].encoding.isEmpty() ||
            m_found[0].text != m_found[1].text)
            return;
        auto breaks = [](const LineViews &lines) { return qMax<qsizetype>(0, lines.size() - 1); };
        m_ws.runRemark =
            sameTextRemark(m_found[0], breaks(m_lines[0]), m_found[1], breaks(m_lines[1]));
    }

    Workspace &m_ws;
    SourcePair m_src; // each side as it was classified once, at the start of the run
    MatchParams m_params;
    LineViews m_lines[2];       // where each side's lines lie in its text
    DecodedText m_found[2];     // how each side's text file was read (no encoding: none read)
    bool m_readStopped = false; // a side's read ended on the user's stop
    std::optional<Workbook> m_books[2];
    std::mutex m_decodeTurn; // the two sides' texts are decoded one after the other
    // Declared last: destroyed first, it waits for a background read that was not taken.
    Background::Half<LoadedText> m_pendingRight;
};

QString summary(const Workspace &ws) {
    // A stopped run never passes for a finished one: its counts are of what it reached.
    QString text = ws.runAborted ? Aborted : Done;
    if (ws.DiffCount != 0 || ws.LeftOnlyCount != 0 || ws.RightOnlyCount != 0 || ws.runAborted)
        text += DiffCountLabel + QString::number(ws.DiffCount) + LeftOnlyLabel +
                QString::number(ws.LeftOnlyCount) + RightOnlyLabel +
                QString::number(ws.RightOnlyCount);
    if (!ws.runRemark.isEmpty())
        text += QStringLiteral("  ") + ws.runRemark;
    if (ws.NotComparedCount != 0)
        text += NotComparedLabel + QString::number(ws.NotComparedCount);
    const QStringList problems = ws.runProblems + ws.runNotes;
    if (!problems.isEmpty())
        text += QStringLiteral("  (") + problems.join(QStringLiteral(", ")) + QStringLiteral(")");
    return text;
}

} // namespace

QStringList splitLinesShared(const QString &text) {
    return LineViews::splitText(text).toList();
}

// Clipboard text breaks at CR LF, the clipboard's convention on Windows. Elsewhere text is put
// on the clipboard with LF alone, so a lone LF breaks the line too; a lone CR never does.
QStringList splitClipboardLinesShared(const QString &text) {
    return LineViews::splitText(text, true).toList();
}

void fTextDiff(Workspace &ws, QString path1, QString path2, int MinRunLines, int MinRunChars,
               int MaxCandidates) {
    fTextDiff(ws, classifySources(ws, path1, path2), MinRunLines, MinRunChars, MaxCandidates);
}

void fTextDiff(Workspace &ws, const SourcePair &sources, int MinRunLines, int MinRunChars,
               int MaxCandidates) {
    const QString &path1 = sources[0].path, &path2 = sources[1].path;
    ws.DiffCount = ws.LeftOnlyCount = ws.RightOnlyCount = 0;
    ws.runProblems.clear();
    ws.runNotes.clear();
    ws.runRemark.clear();
    ws.shownEncoding = ws.detectedEncoding = {};
    // An encoding the user named holds for the path it was named for.
    const QString paths[2] = {path1, path2};
    for (int side = 0; side < 2; ++side) {
        if (ws.chosenEncodingPath[size_t(side)] != paths[side]) {
            ws.chosenEncoding[size_t(side)].clear();
            ws.chosenEncodingPath[size_t(side)].clear();
        }
    }
    ws.runAborted = false;
    ws.runSummary.clear();
    ws.NotComparedCount = 0;
    ws.setSheetLists({}, {});
    resetGridHeaders(ws);
    if (path1.isEmpty() && path2.isEmpty())
        return;
    if (!isClipboard(path1) && path2 == path1) {
        ws.setStatus(SamePaths);
        return;
    }
    ws.setBusy(true);
    ws.fg.setRedraw(false);
    ws.fgB.setRedraw(false);
    ws.setStatus(Loading);

    Run(ws, sources, MatchParams{MinRunLines, MinRunChars, MaxCandidates}).execute();

    ws.fg.setRedraw(true);
    ws.fgB.setRedraw(true);
    ws.processEvents();
    ws.setBusy(false);
    // The stop may have come in at any poll of the run (a loop that saw it ended early).
    ws.runAborted = ws.bAbort;
    ws.runSummary = summary(ws);
    ws.setStatus(ws.runSummary);
    ws.bAbort = false;
}

QString comparisonSummary(const Workspace &ws) {
    return summary(ws);
}
