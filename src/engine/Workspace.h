#pragma once

#include "engine/LineKeys.h"
#include "engine/ResultGrid.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <atomic>
#include <functional>
#include <memory>

// Which result view is in front (and the only one enabled).
enum class ResultView { Text, Binary, Folder, Sheets };

// One row of a sheet list: sheet number (or empty), sheet name, used-range address.
struct SheetListItem {
    QString number;
    QString name;
    QString address;
};

// Everything a comparison result consists of, without any widget: the three result grids, the
// sheet lists, the counters, the two sources and the options the comparison reads. The main
// window owns one and binds its widgets to it; a batch run uses one on its own.
class Workspace : public QObject {
    Q_OBJECT
public:
    explicit Workspace(QObject *parent = nullptr);

    // Default colours of the three legend boxes "変更", "追加", "削除".
    static constexpr Color DefaultChangedColor = 65535;
    static constexpr Color DefaultAddedColor = 16744448;
    static constexpr Color DefaultDeletedColor = 16776960;

    // Result grids: text (4 columns, 1 header row), binary (4 columns, 2 header rows) and
    // folder (10 columns, 1 header row).
    ResultGrid fg{4, 1};
    ResultGrid fgB{4, 2};
    ResultGrid fgF{10, 1};

    // The sheet lists lv(0)/lv(1) and the workbook information boxes beside them.
    std::array<QList<SheetListItem>, 2> lv;
    std::array<QString, 2> workbookInfo;

    // Counters of the last run.
    int DiffCount = 0;
    int LeftOnlyCount = 0;
    int RightOnlyCount = 0;

    // Texts of the path boxes cb(0)/cb(1) and the clipboard text slot of each side.
    std::array<QString, 2> cb;
    std::array<QString, 2> clipboardSlot;

    // Toolbar toggles.
    bool OnlyDF = false;
    bool Binary = false;
    bool Csv = false;

    // Back colours of the legend boxes txtState(0..2): changed, added, deleted.
    std::array<Color, 3> txtState{DefaultChangedColor, DefaultAddedColor, DefaultDeletedColor};

    bool ignoreCase = false;      // setting Letter
    LineFolding folding;          // what else a text comparison ignores (see textFolding)
    bool minimalMatching = false; // setting Minimal: a minimal alignment, not the anchor scan
    // Setting InlineDiff: the changed characters of a changed pair stand out in the grid and
    // the HTML and workbook exports. Off in a bare workspace, as today's exports have them.
    bool inlineDiff = false;
    bool sheetAlignRows = false; // setting SheetAlignRows: sheet rows paired by their contents
    int sheetDigits = 0;         // setting SheetDigits: significant digits of sheet numbers, 0 all
    bool sheetFormulas = false;  // setting SheetFormulas: sheet cells' formula texts compared
    // All a text comparison ignores: the folding with letter case from ignoreCase.
    LineFolding textFolding() const {
        LineFolding all = folding;
        all.letterCase = ignoreCase;
        return all;
    }
    int folderContentMode = 0;     // setting FFile: 0 none, 1 MD5, 2 as text
    bool recursiveFolders = false; // setting Recursive: folders compared through every level
    // Setting ExcludeNames: wildcard patterns, separated by ";", of entry names a folder
    // comparison leaves out at every level.
    QString excludeNames;

    // Why a side of the last run could not be loaded (empty when every side loaded). A side
    // that cannot be read must not pass for an empty one: the status text names it.
    QStringList runProblems;
    // Pairs counted as different without their contents compared (a file too large to compare
    // as text): the status names them, but unlike runProblems the result stands.
    QStringList runNotes;

    // The encoding the user named for a side's text file (empty: detected) and the path it was
    // named for; a run that reads another path on that side forgets it.
    std::array<QString, 2> chosenEncoding;
    std::array<QString, 2> chosenEncodingPath;
    // How the last run read each side's text file: the encoding it is shown in and the one
    // detection gave (both empty for a side that was not a text file).
    std::array<QString, 2> shownEncoding;
    std::array<QString, 2> detectedEncoding;
    // Said after the counts of a result whose texts are equal but whose files are not (the
    // line ends or the encoding differ); empty otherwise.
    QString runRemark;
    // The last run was stopped by the user before it ended: its result is what it had reached,
    // and its summary (the status text it ended with) begins with "中断しました".
    bool runAborted = false;
    QString runSummary;
    // Rows of the folder grid whose comparison did not finish (an aborted run): shown in the
    // colour NotComparedColor, neither equal nor different, and counted apart.
    int NotComparedCount = 0;
    static constexpr Color NotComparedColor = 0xD3D3D3; // light grey

    // Set when the user asks the run in progress to stop (Esc); long loops poll it.
    std::atomic<bool> bAbort = false;

    // Lets pending events run (the window processes Qt events; a batch run does nothing).
    std::function<void()> processEventsHook;
    // Told about each existing path or web address that a run loads (path history).
    std::function<void(const QString &)> addComboHistoryHook;
    // Told about each pair of sources that reaches the comparison (recent comparisons).
    std::function<void(const QString &, const QString &)> addRecentHook;
    // Redraws the overview bar after a result was filled.
    std::function<void()> diffbarPrintHook;
    // Busy pointer on/off around a long command.
    std::function<void(bool)> busyHook;
    // Grows the text grid's rows to fit wrapped texts (needs the view's font metrics).
    std::function<void()> wrapRowHeightsHook;
    // Brings the main window to the foreground after a text or sheet-list result.
    std::function<void()> raiseWindowHook;
    // Given the top level of a folder comparison through every level as soon as it is listed,
    // while the folders below are still scanned; a window shows it until the result is in.
    std::function<void(std::shared_ptr<ResultGrid>)> folderPreviewHook;

    // A run fills a workspace of its own while this one stays on screen: `run` gets the
    // sources and options of this one, grids with the same layout and no rows, and the view in
    // front. When the run ends, adoptResult() takes its grids, sheet lists, counters, path
    // texts, problems, status and view.
    void copyRunInputsTo(Workspace &run) const;
    void adoptResult(Workspace &run);

    void processEvents();
    void sAddComboHistory(const QString &path);
    void sAddRecent(const QString &path1, const QString &path2);
    void sDiffbarPrint();
    void setBusy(bool busy);
    void adjustWrapRowHeights();
    void raiseWindow();

    // Status-bar panel 1.
    QString statusText() const { return m_status; }
    void setStatus(const QString &text);
    // How far a long step of the run has come, shown after the status text ("45%", or a count
    // of entries when the total is not known); sent at most every 100 ms.
    void reportProgress(qint64 done, qint64 total = 0);

    // Brings one result view to the front: only that grid is enabled.
    void sShowView(ResultView view);
    ResultView shownView() const { return m_view; }

    // Replaces both sheet lists and workbook information texts and tells the views.
    void setSheetLists(const std::array<QList<SheetListItem>, 2> &lists,
                       const std::array<QString, 2> &info);

    // The active grid: the first enabled of fg, fgB, fgF; null in the sheet view.
    ResultGrid *activeGrid();
    const ResultGrid *activeGrid() const;

Q_SIGNALS:
    void statusChanged(const QString &text);
    void progressChanged(const QString &text);
    void viewChanged(ResultView view);
    void sheetListsChanged();

private:
    QString m_status;
    QElapsedTimer m_sinceProgress;
    ResultView m_view = ResultView::Text;
};
