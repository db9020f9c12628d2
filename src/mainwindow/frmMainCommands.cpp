// Menus, toolbar and the commands of the main window.
#include "mainwindow/frmMain.h"

#include "mainwindow/DiffOverviewBar.h"
#include "mainwindow/EncodingMenu.h"
#include "mainwindow/HelpMenu.h"
#include "mainwindow/HistoryLists.h"
#include "mainwindow/LegendBoxes.h"
#include "mainwindow/MainTexts.h"
#include "mainwindow/PathBar.h"
#include "mainwindow/ResultGridView.h"
#include "mainwindow/RunController.h"
#include "mainwindow/SaveResultDialog.h"
#include "mainwindow/SheetViewController.h"
#include "mainwindow/TextEditController.h"
#include "mainwindow/TextViewController.h"
#include "run/GridFill.h"
#include "settings/ComparisonOptions.h"
#include "settings/ui/frmOption.h"

#include <QAction>
#include <QComboBox>
#include <QMenuBar>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QToolBar>

#include <utility>

using namespace MainTexts;

namespace {

QAction *addItem(QMenu *menu, const QString &text, const QKeySequence &shortcut = {}) {
    QAction *action = menu->addAction(text);
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    return action;
}

} // namespace

void frmMain::buildMenus() {
    mnuFile = menuBar()->addMenu(MenuFile);
    connect(addItem(mnuFile, FileCompareFiles, QKeySequence(Qt::CTRL | Qt::Key_O)),
            &QAction::triggered, this, [this] { m_pathBar->pickTwo(false); });
    connect(addItem(mnuFile, FileCompareFolders, QKeySequence(Qt::CTRL | Qt::Key_D)),
            &QAction::triggered, this, [this] { m_pathBar->pickTwo(true); });
    mnuFile->addSeparator();
    connect(addItem(mnuFile, FileCompare, QKeySequence(Qt::CTRL | Qt::Key_F5)), &QAction::triggered,
            this, &frmMain::runComparison);
    mnuFile->addSeparator();
    QAction *save = addItem(mnuFile, FileSave, QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(save, &QAction::triggered, this, &frmMain::saveResult);
    QAction *recentSeparator = mnuFile->addSeparator();
    recentSeparator->setVisible(false);
    m_textEdit->fillFileMenu(mnuFile, recentSeparator);
    // After an edit Ctrl+S saves the edited sides; the result is saved from the menu.
    auto *saveChanged = new QAction(this);
    addAction(saveChanged);
    connect(saveChanged, &QAction::triggered, m_textEdit.get(), &TextEditController::saveChanged);
    connect(m_textEdit.get(), &TextEditController::modifiedChanged, this,
            [save, saveChanged](bool modified) {
                save->setShortcut(modified ? QKeySequence() : QKeySequence(Qt::CTRL | Qt::Key_S));
                saveChanged->setShortcut(modified ? QKeySequence(Qt::CTRL | Qt::Key_S)
                                                  : QKeySequence());
            });
    QAction *exitSeparator = mnuFile->addSeparator();
    connect(addItem(mnuFile, FileExit), &QAction::triggered, this, &QWidget::close);
    connect(mnuFile, &QMenu::aboutToShow, this,
            [this, save] { save->setEnabled(m_ws.shownView() != ResultView::Sheets); });
    m_historyLists = std::make_unique<HistoryLists>(cb, mnuFile, recentSeparator, exitSeparator);
    connect(m_historyLists.get(), &HistoryLists::recentChosen, this,
            [this](const QString &path1, const QString &path2) {
                cb[0]->setEditText(path1);
                cb[1]->setEditText(path2);
                runComparison();
            });

    mnuEdit = menuBar()->addMenu(MenuEdit);
    m_textView->fillEditMenu(mnuEdit);
    m_textEdit->fillEditMenu(mnuEdit);

    mnuView = menuBar()->addMenu(MenuView);
    mnuViewToolbar = addItem(mnuView, ViewToolbar);
    mnuViewStatusbar = addItem(mnuView, ViewStatusbar);
    mnuViewDiffbar = addItem(mnuView, ViewDiffbar);
    for (QAction *a : {mnuViewToolbar, mnuViewStatusbar, mnuViewDiffbar}) {
        a->setCheckable(true);
        a->setChecked(true);
    }
    connect(mnuViewToolbar, &QAction::triggered, this, &frmMain::toggleToolbar);
    connect(mnuViewStatusbar, &QAction::triggered, this, &frmMain::toggleStatusbar);
    connect(mnuViewDiffbar, &QAction::triggered, this, &frmMain::toggleDiffbar);
    mnuView->addSeparator();
    connect(addItem(mnuView, ViewRefresh, QKeySequence(Qt::Key_F5)), &QAction::triggered, this,
            &frmMain::sDiffbarPrint);
    mnuView->addSeparator();
    connect(addItem(mnuView, ViewSwap), &QAction::triggered, this, &frmMain::swapSides);
    EncodingMenu::addEncodingMenu(mnuView, this);
    mnuView->addSeparator();
    mnuViewRecursive = addItem(mnuView, ViewRecursive);
    mnuViewRecursive->setCheckable(true);
    connect(mnuViewRecursive, &QAction::triggered, this, &frmMain::toggleRecursive);

    QMenu *options = menuBar()->addMenu(MenuOptions);
    mnuOptionsOnTop = addItem(options, OptionsOnTop);
    mnuOptionsOnTop->setCheckable(true);
    connect(mnuOptionsOnTop, &QAction::triggered, this, &frmMain::toggleOnTop);
    options->addSeparator();
    connect(addItem(options, OptionsDialog), &QAction::triggered, this, &frmMain::showOptions);

    HelpMenu::buildHelpMenu(menuBar()->addMenu(MenuHelp), this);
}

void frmMain::buildToolbar() {
    Toolbar1 = addToolBar(QStringLiteral("Toolbar1"));
    Toolbar1->setMovable(false);
    // Our own icons, drawn as SVG so they stay sharp at any scaling.
    auto button = [&](const char *icon, const QString &key) {
        const QIcon image(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(icon)));
        QAction *action = Toolbar1->addAction(image, key);
        action->setToolTip(key);
        return action;
    };
    connect(button("compare_files", ToolCompareFiles), &QAction::triggered, this,
            [this] { m_pathBar->pickTwo(false); });
    connect(button("compare_folders", ToolCompareFolders), &QAction::triggered, this,
            [this] { m_pathBar->pickTwo(true); });
    connect(button("save", ToolSave), &QAction::triggered, this, &frmMain::saveResult);
    Toolbar1->addSeparator();
    connect(button("compare", ToolCompare), &QAction::triggered, this, &frmMain::runComparison);
    connect(button("clear", ToolClear), &QAction::triggered, this, &frmMain::clearAll);
    Toolbar1->addSeparator();
    TextViewController *edit = m_textView.get();
    connect(button("previous", ToolPrevious), &QAction::triggered, edit,
            [edit] { edit->moveToDifference(false); });
    connect(button("next", ToolNext), &QAction::triggered, edit,
            [edit] { edit->moveToDifference(true); });
    Toolbar1->addSeparator();
    tbOnlyDF = button("only_differences", ToolOnlyDiff);
    tbBinary = button("binary", ToolBinary);
    tbCsv = button("csv", ToolCsv);
    for (QAction *a : {tbOnlyDF, tbBinary, tbCsv})
        a->setCheckable(true);
    connect(tbOnlyDF, &QAction::triggered, this, [this](bool on) {
        m_ws.OnlyDF = on;
        runComparison();
    });
    connect(tbBinary, &QAction::triggered, this, &frmMain::toggleBinary);
    connect(tbCsv, &QAction::triggered, this, [this](bool on) { m_ws.Csv = on; });
    Toolbar1->addSeparator();
    connect(button("settings", ToolSettings), &QAction::triggered, this, &frmMain::showOptions);
}

// ---- Running comparisons ----

void frmMain::runComparison() {
    if (isRunning())
        return; // the run in progress owns the result until it ends
    if (!m_textEdit->maySetAside())
        return; // the user keeps the edited texts
    startRun();
}

void frmMain::startRun() {
    m_textView->hideViewer();
    m_ws.cb[0] = cb[0]->currentText();
    m_ws.cb[1] = cb[1]->currentText();
    m_run->start();
}

void frmMain::runComparisonThenTell(const QString &outcome, std::function<void()> afterResult) {
    if (isRunning())
        return;
    runComparison();
    if (!isRunning()) { // nothing to wait for
        if (!outcome.isEmpty())
            setStatus(outcome);
        return;
    }
    m_outcomeAfterRun = outcome;
    m_afterRunResult = std::move(afterResult);
}

// The finished run's result is in the workspace: the window does what the run asked of it on
// its way (history, overview bar, row heights, raising) and shows the summary.
void frmMain::runFinished(const ComparisonRunner::Requests &requests, const QString &summary) {
    m_textEdit->resultReplaced();
    for (const QString &path : requests.history)
        m_historyLists->sAddComboHistory(path);
    for (const auto &[path1, path2] : requests.recent)
        m_historyLists->sAddRecent(path1, path2);
    cb[0]->setEditText(m_ws.cb[0]);
    cb[1]->setEditText(m_ws.cb[1]);
    if (requests.wrapRowHeights)
        view(ResultView::Text)->fitWrappedRows();
    if (requests.diffbar)
        sDiffbarPrint();
    if (requests.raiseWindow) {
        raise();
        activateWindow();
    }
    const QString outcome = std::exchange(m_outcomeAfterRun, QString());
    setStatus(outcome.isEmpty() ? summary : summary + QStringLiteral("  ") + outcome);
    if (const std::function<void()> after = std::exchange(m_afterRunResult, {}))
        after();
}

void frmMain::runEnded() {
    m_outcomeAfterRun.clear(); // a run that ended without a result tells nothing
    m_afterRunResult = nullptr;
    g_vs_Change();
    if (m_closeAfterRun)
        close();
}

bool frmMain::isRunning() const {
    return m_run && m_run->isRunning();
}

bool frmMain::runInBackground(std::function<void()> work, std::function<void()> done) {
    return m_run->startTask(std::move(work), std::move(done));
}

ComparisonRunner &frmMain::runner() {
    return m_run->runner();
}

void frmMain::waitForRun() {
    m_run->waitForRun();
}

// The toggle is an input of the run like any other: the view in front changes with the run's
// result, not before it (the previous dump would stand for the new one while the run works).
void frmMain::toggleBinary() {
    const bool binary = tbBinary->isChecked();
    if (isRunning() || !m_textEdit->maySetAside()) {
        const QSignalBlocker keep(tbBinary);
        tbBinary->setChecked(!binary);
        return;
    }
    m_ws.Binary = binary;
    // The run starts from the mode's view; the window keeps the one on screen meanwhile.
    const ResultView shown = m_ws.shownView();
    m_ws.sShowView(binary ? ResultView::Binary : ResultView::Text);
    startRun();
    if (isRunning())
        m_ws.sShowView(shown);
}

void frmMain::fg_Drop(const QStringList &paths, int mouseCol) {
    m_pathBar->fg_Drop(paths, mouseCol);
}

void frmMain::swapSides() {
    m_pathBar->swapSides();
}

void frmMain::clearAll() {
    if (isRunning())
        return; // the run in progress owns the result until it ends
    if (!m_textEdit->maySetAside())
        return;
    m_textEdit->resultReplaced();
    cb[0]->setEditText(QString());
    cb[1]->setEditText(QString());
    m_ws.cb = {};
    setStatus(QString());
    resetGridHeaders(m_ws);
    pic0->clearPicture();
    m_ws.workbookInfo = {};
    m_ws.lv[0].clear();
    m_ws.lv[1].clear();
    m_sheetViewController->clear();
}

void frmMain::saveResult() {
    if (isRunning())
        return; // the run in progress owns the result until it ends
    saveResultWithDialog(this, m_ws, m_settings, *m_run, saveQuestions);
}

// ---- View and options ----

void frmMain::showOptions() {
    OptionHost host;
    host.fontSize = view(ResultView::Text)->font().pointSizeF();
    host.legend = m_ws.txtState;
    host.setFontSize = [this](int points) { applyFontSize(points); };
    host.setLegendColour = [this](int index, Color color) {
        m_legend->setLegendColour(index, color);
    };
    host.setWordWrap = [this](bool on) { m_textView->setWordWrap(on); };

    frmOption dialog(host, m_settings, this);
    dialog.exec();

    // A new font size changes the column widths the layout measures.
    layoutResultArea();
    const ComparisonOptions options = ComparisonOptions::load(m_settings);
    options.applyDialogOptionsTo(m_ws);
    mnuViewRecursive->setChecked(options.recursiveFolders);
    view(ResultView::Text)->viewport()->update();
}

// The next folder comparison goes through every level (or only the top one).
void frmMain::toggleRecursive(bool on) {
    m_ws.recursiveFolders = on;
    m_settings.setRecursiveFolders(on);
}

void frmMain::toggleToolbar(bool on) {
    Toolbar1->setVisible(on);
}

void frmMain::toggleStatusbar(bool on) {
    statusBar()->setVisible(on);
}

void frmMain::toggleDiffbar(bool on) {
    layoutClient();
    if (on)
        sDiffbarPrint();
}

void frmMain::toggleOnTop(bool on) {
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (visible)
        show();
}

void frmMain::lockWindow(bool locked) {
    centralWidget()->setEnabled(!locked);
    menuBar()->setEnabled(!locked);
    Toolbar1->setEnabled(!locked);
}
