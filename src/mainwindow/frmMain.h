#pragma once

#include "engine/Workspace.h"
#include "mainwindow/HistoryLists.h"
#include "mainwindow/SaveResultDialog.h"
#include "mainwindow/ViewHost.h"
#include "run/ComparisonRunner.h"
#include "settings/Settings.h"

#include <QMainWindow>
#include <QStringList>

#include <array>
#include <memory>

class LegendBoxes;
class PathBar;
class RunController;
class DiffOverviewBar;
class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QToolBar;
class QToolButton;
class QTimer;
class ResultGridView;
class ResultViewStack;
class FolderViewController;
class SheetViewController;
class TextViewController;
class TextEditController;

// The main window: path boxes, the result views over the workspace's grids, the overview bar,
// menus, toolbar and status bar, start-up and shut-down, and the comparison run. It owns the
// Workspace that every comparison fills; each view's commands live in its own controller.
class frmMain : public QMainWindow, public ViewHost {
    Q_OBJECT
public:
    // `arguments`: the command line's elements after the program path; `iniPath`: the settings
    // file (setting.ini beside the executable unless a test says otherwise).
    frmMain(const QStringList &arguments, const QString &iniPath, QWidget *parent = nullptr);
    ~frmMain() override;

    // What the views' controllers ask of the window (see ViewHost).
    Workspace &workspace() override { return m_ws; }
    Settings &settings() override { return m_settings; }
    QString pathText(int side) const override;
    void setPathText(int side, const QString &text) override;
    void setStatus(const QString &text) override;
    // Starts a comparison of the two path boxes (the one road of every command). It runs on a
    // worker thread; the result on screen stays until the finished one replaces it.
    void runComparison() override;
    void runComparisonThenTell(const QString &outcome, std::function<void()> afterResult) override;
    bool isRunning() const override;
    bool runInBackground(std::function<void()> work, std::function<void()> done) override;
    void sDiffbarPrint() override;
    void g_vs_Change() override;
    void clearAll() override;
    void fg_Drop(const QStringList &paths, int mouseCol) override;

    ComparisonRunner &runner();
    // Blocks until the comparison in progress has ended and its result is shown (tests).
    void waitForRun();
    // View item "入れ替え" (PathBar's).
    void swapSides();
    // Runs the options dialog modally; afterwards the main area is laid out again (a new font
    // size) and the folder content mode and the ignore-case flag are read from the file.
    void showOptions();

    // The controllers of the views.
    TextViewController &textView() override { return *m_textView; }
    TextEditController &textEdit() { return *m_textEdit; }
    FolderViewController &folderView() { return *m_folderView; }
    SheetViewController &sheetView() { return *m_sheetViewController; }

    // The view that shows the active grid (null in the workbook view).
    ResultGridView *activeView() const override;
    ResultGridView *view(ResultView which) const;

    // Controls, named as the rest of the program knows them.
    std::array<QComboBox *, 2> cb{};    // the path boxes (PathBar's)
    std::array<QToolButton *, 2> cmd{}; // their browse buttons
    std::array<QLabel *, 3> txtState{}; // the legend boxes (LegendBoxes')
    DiffOverviewBar *pic0 = nullptr;
    QWidget *pic1 = nullptr;
    QLabel *statusPanel = nullptr;
    QToolBar *Toolbar1 = nullptr;

    // Menu items and toolbar toggles whose state is stored.
    QAction *mnuViewToolbar = nullptr;
    QAction *mnuViewStatusbar = nullptr;
    QAction *mnuViewDiffbar = nullptr;
    QAction *mnuViewRecursive = nullptr; // folders compared through every level
    QAction *mnuOptionsOnTop = nullptr;
    QAction *tbOnlyDF = nullptr;
    QAction *tbBinary = nullptr;
    QAction *tbCsv = nullptr;
    QMenu *mnuEdit = nullptr;
    QMenu *mnuView = nullptr;
    QMenu *mnuFile = nullptr;

    const HistoryLists &historyLists() const { return *m_historyLists; }

    // What the save command asks the user (standard dialogs unless a test answers), and the
    // legend boxes, whose click asks for a colour.
    SaveQuestions saveQuestions;
    LegendBoxes &legendBoxes() { return *m_legend; }

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
    void connectWorkspace();
    void connectView(ResultGridView *view);
    bool diffbarDrawable() const;
    // Redraws the overview bar for the active view, without a status text.
    void drawDiffbar();

    // Start-up, first activation and shut-down.
    void Form_Load();
    void Form_Activate();
    void activateOnce();
    void Form_QueryUnload();
    void sCommandLineCompare();

    // Layout.
    void layoutClient();
    void layoutResultArea();
    int twips(int value) const;
    void applyFontSize(int points);
    void applyView(ResultView view);

    // Commands.
    void saveResult();
    // Starts the run of the path boxes (runComparison once unsaved edits are settled).
    void startRun();
    void toggleBinary();
    void toggleRecursive(bool on);
    void toggleToolbar(bool on);
    void toggleStatusbar(bool on);
    void toggleDiffbar(bool on);
    void toggleOnTop(bool on);
    void runFinished(const ComparisonRunner::Requests &requests, const QString &summary);
    void runEnded();
    void lockWindow(bool locked) override;
    QWidget *dialogParent() override { return this; }

    Workspace m_ws;
    Settings m_settings;
    QStringList m_arguments;
    std::unique_ptr<HistoryLists> m_historyLists;
    PathBar *m_pathBar = nullptr;
    LegendBoxes *m_legend = nullptr;
    std::unique_ptr<ResultViewStack> m_views;
    std::unique_ptr<TextViewController> m_textView;
    std::unique_ptr<TextEditController> m_textEdit;
    std::unique_ptr<FolderViewController> m_folderView;
    std::unique_ptr<SheetViewController> m_sheetViewController;
    bool m_activated = false;
    std::unique_ptr<RunController> m_run;
    bool m_closeAfterRun = false;
    QString m_outcomeAfterRun;              // told after the summary of the run in progress
    std::function<void()> m_afterRunResult; // the caller's follow-up once that result is in
    QTimer *m_resizeSettled = nullptr;
    static constexpr int MinWindowWidthTwips = 7500;  // 500 pixels at 96 dots per inch
    static constexpr int MinWindowHeightTwips = 5400; // 360 pixels
    bool m_maximised = false;
};
