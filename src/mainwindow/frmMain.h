#pragma once

#include "engine/Workspace.h"
#include "settings/History.h"
#include "settings/Settings.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <QTemporaryDir>

#include <array>
#include <functional>
#include <memory>

class ComparisonRunner;
class DiffOverviewBar;
class frmDialog;
class frmText;
enum class FileOperationKind;
class LineViewer;
class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QToolBar;
class QToolButton;
class QTimer;
class QTreeWidget;
class ResultGridView;
class SheetCompareWindow;

// The main window: path boxes, the result views over the workspace's grids, the overview bar,
// menus, toolbar and status bar. It owns the Workspace that every comparison fills.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    // `arguments`: the command line's elements after the program path; `iniPath`: the settings
    // file (setting.ini beside the executable unless a test says otherwise).
    frmMain(const QStringList &arguments, const QString &iniPath, QWidget *parent = nullptr);
    ~frmMain() override;

    Workspace &workspace() { return m_ws; }

    // Starts a comparison of the two path boxes (the one road of every command). It runs on a
    // worker thread; the result on screen stays until the finished one replaces it.
    void runComparison();
    bool isRunning() const { return m_running; }
    ComparisonRunner &runner() { return *m_runner; }
    // Blocks until the comparison in progress has ended and its result is shown (tests).
    void waitForRun();
    // Redraws the overview bar for the view in front.
    void sDiffbarPrint();
    // The scroll bar follows the active grid's top row.
    void g_vs_Change();

    // Edit commands, by their menu item.
    void copySelection();
    void selectColumn();
    void selectAll();
    void moveToDifference(bool forward);
    void openInEditor();
    void clearAll();
    void compareClipboardText();
    void swapSides();

    // Files dropped onto a result grid: one goes to the side of the column under the mouse,
    // two or more fill both path boxes; then a comparison runs.
    void fg_Drop(const QStringList &paths, int mouseCol);
    // The same for a sheet list: one file goes to the list's own side.
    void lv_Drop(int index, const QStringList &paths);

    // The view that shows the active grid (null in the workbook view).
    ResultGridView *activeView() const;
    ResultGridView *view(ResultView which) const;

    // Controls, named as the rest of the program knows them.
    std::array<QComboBox *, 2> cb{};
    std::array<QLabel *, 2> Label1{};
    std::array<QToolButton *, 2> cmd{};
    std::array<QLabel *, 3> txtState{};
    std::array<QPlainTextEdit *, 2> txt{};
    std::array<QTreeWidget *, 2> lv{};
    DiffOverviewBar *pic0 = nullptr;
    QWidget *pic1 = nullptr;
    QLabel *statusPanel = nullptr;
    QToolBar *Toolbar1 = nullptr;
    LineViewer *usrText = nullptr;

    // Menu items and toolbar toggles whose state is stored.
    QAction *mnuViewToolbar = nullptr;
    QAction *mnuViewStatusbar = nullptr;
    QAction *mnuViewDiffbar = nullptr;
    QAction *mnuOptionsOnTop = nullptr;
    QAction *tbOnlyDF = nullptr;
    QAction *tbBinary = nullptr;
    QAction *tbCsv = nullptr;
    QMenu *mnuEdit = nullptr;
    QMenu *mnuView = nullptr;
    QMenu *mnuFile = nullptr;

    // The status-bar help of a menu item (empty for items without one), and the version text.
    static QString menuHelpText(const QAction *action);
    static QString versionText();

    const PathHistory &pathHistory() const { return m_history; }
    const RecentComparisons &recentComparisons() const { return m_recent; }

    // ---- Folder view commands and file operations (frmMainFolder.cpp) ----
    // The folder grid's pop-up menu; its items by index (separators and unused indexes null).
    QMenu *mnuFolder = nullptr;
    std::array<QAction *, 25> mnuFolderItem{};
    // Header click on column col of the folder grid: sorts, alternating the direction.
    void fgF_HeaderClick(int col);
    // The menu is about to open: enables items 20, 22 and 24 for the current cell.
    void mnuFolder_Click();
    void mnuFolderItem_Click(int index);
    // Double-click or Enter; mouseRow is the grid row under the mouse pointer.
    void fgF_DblClick(int mouseRow);
    // The folder grid's names on one side (0 left, 1 right) in the selected rows.
    QStringList selectedFolderNames(int side) const;
    // Outside effects, replaceable by tests: starting a second instance with one or two
    // paths, opening a path with the desktop, showing the confirmation dialog (returns the
    // dialog's result code), asking whether entries without a trash may be deleted for good.
    std::function<bool(const QStringList &paths)> startInstance;
    std::function<bool(const QString &path)> openPath;
    std::function<int(frmDialog &dialog)> execDialog;
    std::function<bool(const QStringList &names)> askDeleteForGood;

private:
    void setupFolderView();
    void compareFolderPair();
    void openFolderEntry();
    void startFileOperation(FileOperationKind kind);
    bool m_fileOperationRunning = false;
    // ---- end of folder view block ----

public:
    // ---- Options dialog (frmMainOptions.cpp) ----
    // Runs the options dialog modally; afterwards the main area is laid out again (a new font
    // size) and the folder content mode and the ignore-case flag are read from the file.
    void showOptions();
    // ---- end of options dialog block ----

public:
    // ---- Sheet comparison (frmMainSheets.cpp) ----
    // The sheet lists' pop-up menu "リストポップアップ": compare, open the file, clear.
    QMenu *mnuList = nullptr;
    QAction *mnuListCompare = nullptr;
    QAction *mnuListOpen = nullptr;
    QAction *mnuListClear = nullptr;
    // Compares the sheets of the selected rows of the two lists cell by cell, writes coloured
    // copies of both, opens them in the spreadsheet application and in our own window.
    void CompareSheets();
    // The window of the last sheet comparison (null when none is open).
    SheetCompareWindow *sheetCompareWindow() const;
    // Where the coloured copies of the last comparison were written.
    QStringList sheetCopies() const { return m_sheetCopies; }
    // Outside effect, replaceable by tests: opening the written copies with the system's
    // spreadsheet application (when there is one).
    std::function<void(const QStringList &paths)> openInSpreadsheet;

private:
    void setupSheetView();
    void sRefreshSheetLists();
    void lv_Click(int index);
    void lv_Popup(int index, const QPoint &globalPos);
    void openListFile();
    int m_listPopupIndex = 0;
    bool m_comparingSheets = false;
    int m_sheetRun = 0;
    std::unique_ptr<QTemporaryDir> m_sheetTemp; // the copies live until the program ends
    QPointer<QWidget> m_sheetWindow;
    QStringList m_sheetCopies;
    // ---- end of sheet comparison block ----

public:
    // ---- One-line comparison (frmMainOneLine.cpp) ----
    // Edit item "１行比較": the window over the current row of the text or binary grid,
    // modal over this window; nothing while another view is in front.
    void showOneLine();
    // Shows the window; replaceable by tests (when empty: a modal exec()).
    std::function<void(frmText &window)> execOneLine;
    // ---- end of one-line comparison block ----

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Building the window.
    void buildControls();
    void buildMenus();
    void buildToolbar();
    void buildStatusBar();
    void buildHelpMenu(QMenu *help);
    void installMenuHelp();
    void connectWorkspace();
    void connectView(ResultGridView *view);

    // Start-up, first activation and shut-down.
    void Form_Load();
    void Form_Activate();
    void Form_QueryUnload();
    void sLoadWindowPlacement();
    void sSaveWindowPlacement();
    void sCommandLineCompare();
    void loadRecentComparisons();

    // Layout.
    void layoutClient();
    void pic1_Resize();
    void placeLegend();
    int twips(int value) const;
    void applyFontSize(int points);
    void applyView(ResultView view);

    // History lists shown in the path boxes and the File menu.
    void sAddComboHistory(const QString &path);
    void sAddRecent(const QString &path1, const QString &path2);
    void refreshComboLists();
    void refreshRecentMenu();

    // Commands.
    void pickTwo(bool folders);
    void browse(int side, bool folder);
    void saveResult();
    void toggleBinary();
    void toggleToolbar(bool on);
    void toggleStatusbar(bool on);
    void toggleDiffbar(bool on);
    void toggleOnTop(bool on);
    void changeLegendColour(int index);
    void gridActivated(ResultGridView *view, int mouseRow);
    void showViewer();
    void setStatus(const QString &text);
    void setLegendColour(int index, Color color);
    void runFinished();
    void setCommandsAvailable(bool on);
    // Input that would reach the comparison or its result while a run works.
    bool isBlockedDuringRun(QObject *watched, QEvent *event) const;

    Workspace m_ws;
    Settings m_settings;
    QStringList m_arguments;
    PathHistory m_history;
    RecentComparisons m_recent;
    QList<QAction *> m_recentActions;
    QAction *m_recentSeparator = nullptr;
    QAction *m_exitSeparator = nullptr;
    std::array<ResultGridView *, 3> m_views{};
    QWidget *m_sheetView = nullptr;
    bool m_activated = false;
    bool m_running = false;
    ComparisonRunner *m_runner = nullptr;
    QList<QPointer<QAction>> m_greyedByRun;
    bool m_closeAfterRun = false;
    QTimer *m_resizeSettled = nullptr;
    bool m_maximised = false;
    int m_fontSize = 9;
};
