// Every pair of source kinds, run through fTextDiff and through a plain transcription of the
// two mirrored per-side loaders the run had before its pair table: both must leave the same
// workspace and make the same calls in the same order.
#include "documents/DocumentFixtures.h"
#include "engine/EngineTexts.h"
#include "engine/LineMatching.h"
#include "folder/SearchFile.h"
#include "platform/Paths.h"
#include "run/BinaryDump.h"
#include "run/GridFill.h"
#include "run/SideSources.h"
#include "run/TextDiff.h"
#include "support/TempFiles.h"

#include <xlsxwriter.h>

#include <gtest/gtest.h>

using namespace EngineTexts;

namespace {

// ---- The reference: the run as two mirrored loaders, one switch per side. ----

bool isClipboard(const QString &path) {
    return path == ClipboardWord;
}

const QString AllEntries = QStringLiteral("*.*");

bool isWeb(const QString &path) {
    return !fFileExists(path) && isWebAddress(path);
}

class ReferenceRun {
public:
    ReferenceRun(Workspace &ws, const QString &path1, const QString &path2)
        : m_ws(ws), m_path{path1, path2} {}

    void execute() {
        const SourceKind left = sourceKind(m_ws, m_path[0], m_path[1]);
        if (!loadLeft(left))
            return;
        loadRight(sourceKind(m_ws, m_path[1], m_path[0]));
    }

private:
    bool loadLeft(SourceKind kind) {
        const QString &path2 = m_path[1];
        const QString ext2 = lowerExtension(path2);
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
            if (!dumpFile(m_ws, 0, m_path[0]))
                return false;
            if (fFileExists(path2) || isClipboard(path2))
                return true;
            m_ws.sDiffbarPrint();
            return false;
        case SourceKind::Workbook: {
            noteExisting(0);
            m_ws.sShowView(ResultView::Sheets);
            m_books[0] = loadWorkbookSide(m_ws, 0, m_path[0]);
            const bool rightBook =
                fFileExists(path2) &&
                (isWorkbookExtension(ext2) || (m_ws.Csv && ext2 == QLatin1String("csv")));
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
            const bool goOn =
                (isClipboard(path2) || isWeb(path2) || fPathKind(path2) == PathFile) &&
                !isWorkbookExtension(ext2);
            if (m_ws.Binary)
                return dumpBytes(m_ws, 0, utf16LeBytes(m_ws.clipboardSlot[0])) && goOn;
            m_ws.sShowView(ResultView::Text);
            m_ws.fg.keepAlive(m_ws.clipboardSlot[0]);
            m_lines[0] = LineViews::splitText(m_ws.clipboardSlot[0], true);
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
            if (!dumpFile(m_ws, 1, m_path[1]))
                return;
            if (fFileExists(path1) || isClipboard(path1))
                compare();
            else
                m_ws.sDiffbarPrint();
            return;
        case SourceKind::Workbook:
            noteExisting(1);
            m_ws.sShowView(ResultView::Sheets);
            m_books[1] = loadWorkbookSide(m_ws, 1, m_path[1]);
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
                if (dumpBytes(m_ws, 1, utf16LeBytes(m_ws.clipboardSlot[1])) && leftIsSource)
                    compare();
                return;
            }
            m_ws.sShowView(ResultView::Text);
            m_ws.fg.keepAlive(m_ws.clipboardSlot[1]);
            m_lines[1] = LineViews::splitText(m_ws.clipboardSlot[1], true);
            break;
        case SourceKind::None:
            return;
        }
        if (leftIsSource)
            compare();
        else
            showAlone(1);
    }

    void noteExisting(int side) {
        m_ws.sAddComboHistory(m_path[side]);
        m_ws.cb[0] = m_path[0];
        m_ws.cb[1] = m_path[1];
    }

    void loadFile(int side, SourceKind kind) {
        const QString &path = m_path[side];
        m_ws.sShowView(ResultView::Text);
        m_ws.fg.setText(0, side == 0 ? 1 : 3,
                        fileNameOf(path) + QStringLiteral(" [") + modificationText(path) +
                            QStringLiteral("]"));
        m_lines[side] = loadFileLines(m_ws, path, kind == SourceKind::Document);
    }

    void loadWeb(int side) {
        m_ws.sAddComboHistory(m_path[side]);
        m_ws.sShowView(ResultView::Text);
        m_ws.fg.setText(0, side == 0 ? 1 : 3, m_path[side]);
        m_lines[side] = loadWebLines(m_ws, m_path[side]);
    }

    void showSheetsAlone() {
        std::array<QList<SheetListItem>, 2> lists;
        for (int side = 0; side < 2; ++side) {
            if (m_books[side])
                lists[size_t(side)] = sheetListAlone(*m_books[side]);
        }
        m_ws.setSheetLists(lists, m_ws.workbookInfo);
    }

    void showAlone(int side) { showOneSided(m_ws, side, m_lines[side]); }

    void compare() {
        if (!isClipboard(m_path[0]) && !isClipboard(m_path[1]))
            m_ws.sAddRecent(m_path[0], m_path[1]);
        if (fPathKind(m_path[0]) == PathFolder && fPathKind(m_path[1]) == PathFolder) {
            SearchFile(m_ws, m_path[0], AllEntries, 0, m_path[1]);
            m_ws.sDiffbarPrint();
            return;
        }
        if (m_ws.Binary) {
            compareBinaryRows(m_ws);
            m_ws.sDiffbarPrint();
            return;
        }
        if (m_ws.shownView() == ResultView::Sheets) {
            m_ws.setSheetLists(
                alignSheetLists(m_books[0].value_or(Workbook()), m_books[1].value_or(Workbook())),
                m_ws.workbookInfo);
            m_ws.raiseWindow();
            return;
        }
        m_ws.setStatus(Analysing);
        PairTable table;
        const bool finished =
            matchLines(m_lines[0], m_lines[1], MatchParams{1, 5, 10}, table, [this] {
                m_ws.processEvents();
                return m_ws.bAbort.load();
            });
        if (!finished)
            return;
        fillTextGrid(m_ws, table, m_lines[0], m_lines[1]);
        m_ws.raiseWindow();
    }

    Workspace &m_ws;
    QString m_path[2];
    LineViews m_lines[2];
    std::optional<Workbook> m_books[2];
};

// A stopped run says so, with its counts (and its folder rows not compared) so far.
QString summary(const Workspace &ws) {
    const bool stopped = ws.bAbort;
    QString text = stopped ? Aborted : Done;
    if (ws.DiffCount != 0 || ws.LeftOnlyCount != 0 || ws.RightOnlyCount != 0 || stopped)
        text += DiffCountLabel + QString::number(ws.DiffCount) + LeftOnlyLabel +
                QString::number(ws.LeftOnlyCount) + RightOnlyLabel +
                QString::number(ws.RightOnlyCount);
    if (ws.NotComparedCount != 0)
        text += NotComparedLabel + QString::number(ws.NotComparedCount);
    if (!ws.runProblems.isEmpty())
        text +=
            QStringLiteral("  (") + ws.runProblems.join(QStringLiteral(", ")) + QStringLiteral(")");
    return text;
}

void referenceTextDiff(Workspace &ws, const QString &path1, const QString &path2) {
    ws.DiffCount = ws.LeftOnlyCount = ws.RightOnlyCount = ws.NotComparedCount = 0;
    ws.runProblems.clear();
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
    ReferenceRun(ws, path1, path2).execute();
    ws.fg.setRedraw(true);
    ws.fgB.setRedraw(true);
    ws.processEvents();
    ws.setBusy(false);
    ws.setStatus(summary(ws));
    ws.bAbort = false;
}

// ---- The fixtures and what a run leaves behind. ----

struct Options {
    bool binary;
    bool csv;
    bool stopped; // the user asked to stop before the run began
};

// Every call a run makes to the outside, in order.
class CallLog {
public:
    explicit CallLog(Workspace &ws) {
        ws.addComboHistoryHook = [this](const QString &p) { m_calls << "history " + p; };
        ws.addRecentHook = [this](const QString &a, const QString &b) {
            m_calls << "recent " + a + " | " + b;
        };
        ws.diffbarPrintHook = [this] { m_calls << "diffbar"; };
        ws.raiseWindowHook = [this] { m_calls << "raise"; };
        ws.busyHook = [this](bool on) { m_calls << QString("busy %1").arg(on); };
        ws.processEventsHook = [this] { m_calls << "events"; };
        QObject::connect(&ws, &Workspace::viewChanged,
                         [this](ResultView v) { m_calls << QString("view %1").arg(int(v)); });
        QObject::connect(&ws, &Workspace::statusChanged,
                         [this](const QString &s) { m_calls << "status " + s; });
        QObject::connect(&ws, &Workspace::sheetListsChanged, [this] { m_calls << "sheets"; });
    }
    QStringList calls() const { return m_calls; }

private:
    QStringList m_calls;
};

void describeGrid(QStringList &out, const char *name, const ResultGrid &g) {
    out << QString("%1: %2 rows, enabled %3").arg(name).arg(g.rows()).arg(g.isEnabled());
    for (int r = 0; r < g.rows(); ++r) {
        QStringList cells;
        for (int c = 0; c < g.cols(); ++c)
            cells << g.text(r, c) + '#' + QString::number(g.backColor(r, c), 16);
        out << "  " + cells.join(" | ");
    }
}

void describeList(QStringList &out, const QList<SheetListItem> &list) {
    for (const SheetListItem &item : list)
        out << "  " + item.number + '|' + item.name + '|' + item.address;
}

// Everything a run leaves in the workspace, and its calls, one line a fact.
std::string outcome(const Options &o, const QString &path1, const QString &path2,
                    void (*run)(Workspace &, const QString &, const QString &)) {
    Workspace ws;
    setupGridColumns(ws);
    ws.Binary = o.binary;
    ws.Csv = o.csv;
    ws.clipboardSlot[0] = QStringLiteral("SAME LINE\r\nLEFT CLIP\r\nCOMMON TAIL");
    ws.clipboardSlot[1] = QStringLiteral("SAME LINE\nRIGHT CLIP\nCOMMON TAIL\n");
    ws.bAbort = o.stopped;
    CallLog log(ws);
    run(ws, path1, path2);

    QStringList out = log.calls();
    out << QString("in front %1").arg(int(ws.shownView())) << "status " + ws.statusText()
        << "problems " + ws.runProblems.join(" / ")
        << QString("counts %1 %2 %3").arg(ws.DiffCount).arg(ws.LeftOnlyCount).arg(ws.RightOnlyCount)
        << "cb " + ws.cb[0] + " | " + ws.cb[1] << QString("abort %1").arg(ws.bAbort.load());
    describeGrid(out, "fg", ws.fg);
    describeGrid(out, "fgB", ws.fgB);
    describeGrid(out, "fgF", ws.fgF);
    for (int side = 0; side < 2; ++side) {
        out << QString("sheets %1: %2").arg(side).arg(ws.workbookInfo[size_t(side)]);
        describeList(out, ws.lv[size_t(side)]);
    }
    return out.join('\n').toStdString();
}

void writeWorkbook(const QString &path, const QStringList &sheets) {
    lxw_workbook *book = workbook_new(QFile::encodeName(path).constData());
    for (const QString &name : sheets)
        worksheet_write_string(workbook_add_worksheet(book, name.toUtf8().constData()), 0, 0, "x",
                               nullptr);
    ASSERT_EQ(workbook_close(book), LXW_NO_ERROR);
}

QByteArray documentOf(std::initializer_list<const char *> paragraphs) {
    QByteArray body;
    for (const char *t : paragraphs)
        body += QByteArray("<w:p><w:r><w:t>") + t + "</w:t></w:r></w:p>";
    return DocumentFixtures::wordDocument(body);
}

} // namespace

TEST(SourcePairs, EveryPairOfSourcesRunsAsTheMirroredLoadersDid) {
    TempFiles dir;
    // A text long enough for a dump to poll for events more than once.
    QByteArray text = "SAME LINE\nTEXT FILE LINE\nCOMMON TAIL\n";
    for (int k = 0; k < 80; ++k)
        text += "FILLER LINE " + QByteArray::number(k) + "\n";
    const QString docx = dir.filePath("doc.docx"), xlsx = dir.filePath("book.xlsx");
    DocumentFixtures::writeZip(
        docx, DocumentFixtures::docxEntries(documentOf({"SAME LINE", "DOCUMENT", "COMMON TAIL"})));
    writeWorkbook(xlsx, {"Sheet1", "Data"});
    dir.write("folder/SAME.txt", "SAME");
    dir.write("folder/only-here.txt", "X");
    dir.write("d.xlsx/SAME.txt", "OTHER");
    const QStringList sources = {
        QString(),
        dir.filePath("missing.txt"),
        dir.filePath("x.xls"),
        dir.write("text.txt", text),
        docx,
        xlsx,
        dir.write("table.csv", "SAME LINE,1\nCSV ROW,2\n"),
        dir.filePath("folder"),
        dir.filePath("d.xlsx"),
        QStringLiteral("http://127.0.0.1:1/"),
        ClipboardWord,
    };
    for (const bool binary : {false, true}) {
        for (const bool csv : {false, true}) {
            for (const bool stopped : {false, true}) {
                const Options o{binary, csv, stopped};
                for (const QString &left : sources) {
                    for (const QString &right : sources) {
                        const auto current = [](Workspace &ws, const QString &a, const QString &b) {
                            fTextDiff(ws, a, b);
                        };
                        EXPECT_EQ(outcome(o, left, right, current),
                                  outcome(o, left, right, referenceTextDiff))
                            << "binary " << binary << " csv " << csv << " stopped " << stopped
                            << "\n  left  " << left.toStdString() << "\n  right "
                            << right.toStdString();
                    }
                }
            }
        }
    }
}
