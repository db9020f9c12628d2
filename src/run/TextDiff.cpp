#include "run/TextDiff.h"

#include "encoding/Charset.h"
#include "run/BinaryDump.h"
#include "engine/EngineTexts.h"
#include "run/GridFill.h"
#include "engine/LineMatching.h"
#include "run/SideSources.h"
#include "folder/SearchFile.h"
#include "platform/Paths.h"

using namespace EngineTexts;

namespace {

bool isWorkbookExtension(const QString &ext) {
    return ext == QLatin1String("xls") || ext == QLatin1String("xlsx");
}

bool isClipboard(const QString &path) { return path == ClipboardWord; }

// The pattern of a folder listing: every entry.
const QString AllEntries = QStringLiteral("*.*");

bool isWeb(const QString &path) { return !fFileExists(path) && fIsWebAddress(path); }

// One comparison run: the two sides as they are loaded, and the decisions between them.
class Run {
public:
    Run(Workspace &ws, const QString &path1, const QString &path2, const MatchParams &params)
        : m_ws(ws), m_path{path1, path2}, m_params(params) {}

    void execute() {
        const SourceKind left = fSourceKind(m_ws, m_path[0], m_path[1]);
        if (!loadLeft(left))
            return;
        loadRight(fSourceKind(m_ws, m_path[1], m_path[0]));
    }

private:
    // Loads path 1; true when the run goes on to the right side.
    bool loadLeft(SourceKind kind) {
        const QString &path2 = m_path[1];
        const QString ext2 = fLowerExtension(path2);
        const bool rightIsSource = fFileExists(path2) || isWeb(path2) || isClipboard(path2);
        switch (kind) {
        case SourceKind::Folder:
            noteExisting(0);
            m_ws.sShowView(ResultView::Folder);
            if (fPathKind(path2) == PathFolder)
                return true;
            SearchFile(m_ws, m_path[0], AllEntries, 0, QString());
            return false;
        case SourceKind::Hexadecimal:
            noteExisting(0);
            if (!fDumpFile(m_ws, 0, m_path[0]))
                return false; // aborted
            if (fFileExists(path2) || isClipboard(path2))
                return true;
            m_ws.sDiffbarPrint();
            return false;
        case SourceKind::Workbook: {
            noteExisting(0);
            m_ws.sShowView(ResultView::Sheets);
            m_books[0] = fLoadWorkbookSide(m_ws, 0, m_path[0]);
            const bool rightBook = fFileExists(path2) &&
                                   (isWorkbookExtension(ext2) ||
                                    (m_ws.Csv && ext2 == QLatin1String("csv")));
            if (rightBook)
                return true;
            showSheetsAlone();
            return false;
        }
        case SourceKind::WebAddress:
            loadWeb(0);
            if ((fFileExists(path2) || isWeb(path2)) && !isWorkbookExtension(ext2) &&
                !(m_ws.Csv && ext2 == QLatin1String("csv")))
                return true;
            showAlone(0);
            return false;
        case SourceKind::Document:
        case SourceKind::TextFile:
            noteExisting(0);
            loadFile(0, kind);
            if (rightIsSource && !isWorkbookExtension(ext2))
                return true;
            showAlone(0);
            return false;
        case SourceKind::Clipboard: {
            const bool goOn = (isClipboard(path2) || isWeb(path2) || fPathKind(path2) == PathFile) &&
                              !isWorkbookExtension(ext2);
            if (m_ws.Binary)
                return fDumpBytes(m_ws, 0, fUtf16LeBytes(m_ws.clipboardSlot[0])) && goOn;
            m_ws.sShowView(ResultView::Text);
            m_ws.fg.keepAlive(m_ws.clipboardSlot[0]);
            m_lines[0] = fSplitClipboardLinesShared(m_ws.clipboardSlot[0]);
            if (goOn)
                return true;
            showAlone(0);
            return false;
        }
        case SourceKind::None:
            return rightIsSource;
        }
        return false;
    }

    void loadRight(SourceKind kind) {
        const QString &path1 = m_path[0];
        const bool leftIsSource = fFileExists(path1) || isWeb(path1) || isClipboard(path1);
        switch (kind) {
        case SourceKind::Folder:
            noteExisting(1);
            m_ws.sShowView(ResultView::Folder);
            if (fPathKind(path1) == PathFolder)
                compare();
            else
                SearchFile(m_ws, m_path[1], AllEntries, 1, QString());
            return;
        case SourceKind::Hexadecimal:
            noteExisting(1);
            if (!fDumpFile(m_ws, 1, m_path[1]))
                return; // aborted
            if (fFileExists(path1) || isClipboard(path1))
                compare();
            else
                m_ws.sDiffbarPrint();
            return;
        case SourceKind::Workbook:
            noteExisting(1);
            m_ws.sShowView(ResultView::Sheets);
            m_books[1] = fLoadWorkbookSide(m_ws, 1, m_path[1]);
            if (fFileExists(path1))
                compare();
            else
                showSheetsAlone();
            return;
        case SourceKind::WebAddress:
            loadWeb(1);
            if (fFileExists(path1) || isWeb(path1))
                compare();
            else
                showAlone(1);
            return;
        case SourceKind::Document:
        case SourceKind::TextFile:
            noteExisting(1);
            loadFile(1, kind);
            break;
        case SourceKind::Clipboard:
            if (m_ws.Binary) {
                if (fDumpBytes(m_ws, 1, fUtf16LeBytes(m_ws.clipboardSlot[1])) && leftIsSource)
                    compare();
                return;
            }
            m_ws.sShowView(ResultView::Text);
            m_ws.fg.keepAlive(m_ws.clipboardSlot[1]);
            m_lines[1] = fSplitClipboardLinesShared(m_ws.clipboardSlot[1]);
            break;
        case SourceKind::None:
            return;
        }
        if (leftIsSource)
            compare();
        else
            showAlone(1);
    }

    // An existing path: into the history and the path boxes.
    void noteExisting(int side) {
        m_ws.sAddComboHistory(m_path[side]);
        m_ws.cb[0] = m_path[0];
        m_ws.cb[1] = m_path[1];
    }

    void loadFile(int side, SourceKind kind) {
        const QString &path = m_path[side];
        m_ws.sShowView(ResultView::Text);
        m_ws.fg.setText(0, side == 0 ? 1 : 3,
                        fFileName(path) + QStringLiteral(" [") + fModificationText(path) +
                            QStringLiteral("]"));
        m_lines[side] = fLoadFileLines(m_ws, path, kind == SourceKind::Document);
    }

    // A web address: into the history; its text column is headed by the address itself.
    void loadWeb(int side) {
        m_ws.sAddComboHistory(m_path[side]);
        m_ws.sShowView(ResultView::Text);
        m_ws.fg.setText(0, side == 0 ? 1 : 3, m_path[side]);
        m_lines[side] = fLoadWebLines(m_ws, m_path[side]);
    }

    // The sheet list of the one workbook that was read.
    void showSheetsAlone() {
        std::array<QList<SheetListItem>, 2> lists;
        for (int side = 0; side < 2; ++side) {
            if (m_books[side])
                lists[size_t(side)] = fSheetListAlone(*m_books[side]);
        }
        m_ws.setSheetLists(lists, m_ws.workbookInfo);
    }

    void showAlone(int side) { sShowOneSided(m_ws, side, m_lines[side]); }

    void compare() {
        if (!isClipboard(m_path[0]) && !isClipboard(m_path[1]))
            m_ws.sAddRecent(m_path[0], m_path[1]);
        if (fPathKind(m_path[0]) == PathFolder && fPathKind(m_path[1]) == PathFolder) {
            SearchFile(m_ws, m_path[0], AllEntries, 0, m_path[1]);
            m_ws.sDiffbarPrint();
            return;
        }
        if (m_ws.Binary) {
            fCompareBinaryRows(m_ws);
            m_ws.sDiffbarPrint();
            return;
        }
        if (m_ws.shownView() == ResultView::Sheets) {
            // Two workbooks: their sheet names are aligned as lines are.
            m_ws.setSheetLists(fAlignSheetLists(m_books[0].value_or(Workbook()),
                                                m_books[1].value_or(Workbook())),
                               m_ws.workbookInfo);
            m_ws.raiseWindow();
            return;
        }
        m_ws.setStatus(Analysing);
        PairTable table;
        const bool finished = fMatchLines(
            m_lines[0], m_lines[1], m_params, table,
            [this] {
                m_ws.processEvents();
                return m_ws.bAbort.load();
            },
            [this](qint64 done, qint64 total) { m_ws.reportProgress(done, total); });
        if (!finished)
            return;
        sFillTextGrid(m_ws, table, m_lines[0], m_lines[1]);
        m_ws.raiseWindow();
    }

    Workspace &m_ws;
    QString m_path[2];
    MatchParams m_params;
    QStringList m_lines[2];
    std::optional<Workbook> m_books[2];
};

QString summary(const Workspace &ws) {
    QString text = Done;
    if (ws.DiffCount != 0 || ws.LeftOnlyCount != 0 || ws.RightOnlyCount != 0)
        text += DiffCountLabel + QString::number(ws.DiffCount) + LeftOnlyLabel +
                QString::number(ws.LeftOnlyCount) + RightOnlyLabel +
                QString::number(ws.RightOnlyCount);
    if (!ws.runProblems.isEmpty())
        text += QStringLiteral("  (") + ws.runProblems.join(QStringLiteral(", ")) +
                QStringLiteral(")");
    return text;
}

} // namespace

SourceKind fSourceKind(const Workspace &ws, const QString &path, const QString &otherPath) {
    const PathKind pathKind = fPathKind(path);
    if (pathKind == PathFolder)
        return SourceKind::Folder;
    if (pathKind == PathFile) {
        if (ws.Binary)
            return SourceKind::Hexadecimal;
        const QString ext = fLowerExtension(path);
        if (isWorkbookExtension(ext))
            return SourceKind::Workbook;
        if (ws.Csv && ext == QLatin1String("csv") &&
            (otherPath.isEmpty() || fLowerExtension(otherPath) == QLatin1String("csv")))
            return SourceKind::Workbook;
        if (ext == QLatin1String("doc") || ext == QLatin1String("docx"))
            return SourceKind::Document;
        return SourceKind::TextFile;
    }
    if (fIsWebAddress(path))
        return SourceKind::WebAddress;
    if (isClipboard(path))
        return SourceKind::Clipboard;
    return SourceKind::None;
}

namespace {

// Splits at LF; with `dropCr`, a CR just before the LF goes too (the CR LF pair is the break).
QStringList splitShared(const QString &text, bool dropCr) {
    QStringList lines;
    if (text.isEmpty())
        return lines;
    lines.reserve(text.count(QLatin1Char('\n')) + 1);
    const QChar *base = text.constData();
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = text.indexOf(QLatin1Char('\n'), from);
        qsizetype end = at < 0 ? text.size() : at;
        if (dropCr && at >= 0 && end > from && base[end - 1] == QLatin1Char('\r'))
            --end;
        lines.append(QString::fromRawData(base + from, end - from));
        if (at < 0)
            return lines;
        from = at + 1;
    }
}

QStringList ownedCopies(QStringList lines) {
    for (QString &line : lines)
        line = QString(line.constData(), line.size());
    return lines;
}

} // namespace

QStringList fSplitLinesShared(const QString &text) { return splitShared(text, false); }

QStringList fSplitLines(const QString &text) { return ownedCopies(fSplitLinesShared(text)); }

// Clipboard text breaks at CR LF, the clipboard's convention on Windows. Elsewhere text is put
// on the clipboard with LF alone, so a lone LF breaks the line too; a lone CR never does.
QStringList fSplitClipboardLinesShared(const QString &text) { return splitShared(text, true); }

QStringList fSplitClipboardLines(const QString &text) {
    return ownedCopies(fSplitClipboardLinesShared(text));
}

void fTextDiff(Workspace &ws, QString path1, QString path2, int MinRunLines, int MinRunChars,
               int MaxCandidates) {
    ws.DiffCount = ws.LeftOnlyCount = ws.RightOnlyCount = 0;
    ws.runProblems.clear();
    ws.setSheetLists({}, {});
    sResetGridHeaders(ws);
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

    Run(ws, path1, path2, MatchParams{MinRunLines, MinRunChars, MaxCandidates}).execute();

    ws.fg.setRedraw(true);
    ws.fgB.setRedraw(true);
    ws.processEvents();
    ws.setBusy(false);
    ws.setStatus(summary(ws));
    ws.bAbort = false;
}
