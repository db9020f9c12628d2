// Menus, toolbar and the commands of the main window.
#include "mainwindow/frmMain.h"

#include "encoding/Charset.h"
#include "engine/DifferenceWalk.h"
#include "engine/EngineTexts.h"
#include "export/ExportTexts.h"
#include "export/SaveResult.h"
#include "mainwindow/DiffOverviewBar.h"
#include "mainwindow/LineViewer.h"
#include "mainwindow/MainTexts.h"
#include "mainwindow/ResultGridModel.h"
#include "mainwindow/ResultGridView.h"
#include "platform/EditorCommand.h"
#include "platform/Paths.h"
#include "platform/ui/Clipboard.h"
#include "run/ComparisonRunner.h"
#include "run/GridFill.h"
#include "run/TextDiff.h"

#include <QAction>
#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>

using namespace MainTexts;

namespace {

QAction *addItem(QMenu *menu, const QString &text, const QKeySequence &shortcut = {}) {
    QAction *action = menu->addAction(text);
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    return action;
}

// The save dialog's types, in the order of its filter list (the filter index is the type).
struct SaveFilter {
    QString caption;
    QString extension;
};
const SaveFilter SaveFilters[5] = {
    {QStringLiteral("HTML ファイル(*.html)"), QStringLiteral(".html")},
    {QStringLiteral("Microsof Office Excel ブック(*.xls)"), QStringLiteral(".xls")},
    {QStringLiteral("Microsof Office Excel ブック(*.xlsx)"), QStringLiteral(".xlsx")},
    {QStringLiteral("CSV ファイル(*.csv)"), QStringLiteral(".csv")},
    {QStringLiteral("CSV ファイル(UTF-8)(*.csv)"), QStringLiteral(".csv")},
};

} // namespace

void frmMain::buildMenus() {
    mnuFile = menuBar()->addMenu(MenuFile);
    connect(addItem(mnuFile, FileCompareFiles, QKeySequence(Qt::CTRL | Qt::Key_O)),
            &QAction::triggered, this, [this] { pickTwo(false); });
    connect(addItem(mnuFile, FileCompareFolders, QKeySequence(Qt::CTRL | Qt::Key_D)),
            &QAction::triggered, this, [this] { pickTwo(true); });
    mnuFile->addSeparator();
    connect(addItem(mnuFile, FileCompare, QKeySequence(Qt::CTRL | Qt::Key_F5)), &QAction::triggered,
            this, &frmMain::runComparison);
    mnuFile->addSeparator();
    QAction *save = addItem(mnuFile, FileSave, QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(save, &QAction::triggered, this, &frmMain::saveResult);
    m_recentSeparator = mnuFile->addSeparator();
    m_recentSeparator->setVisible(false);
    m_exitSeparator = mnuFile->addSeparator();
    connect(addItem(mnuFile, FileExit), &QAction::triggered, this, &QWidget::close);
    connect(mnuFile, &QMenu::aboutToShow, this,
            [this, save] { save->setEnabled(m_ws.shownView() != ResultView::Sheets); });

    mnuEdit = menuBar()->addMenu(MenuEdit);
    connect(addItem(mnuEdit, EditCopy), &QAction::triggered, this, &frmMain::copySelection);
    connect(addItem(mnuEdit, EditSelectColumn, QKeySequence(Qt::CTRL | Qt::Key_R)),
            &QAction::triggered, this, &frmMain::selectColumn);
    connect(addItem(mnuEdit, EditSelectAll, QKeySequence(Qt::CTRL | Qt::Key_A)),
            &QAction::triggered, this, &frmMain::selectAll);
    mnuEdit->addSeparator();
    connect(addItem(mnuEdit, EditPrevious, QKeySequence(Qt::SHIFT | Qt::Key_F3)),
            &QAction::triggered, this, [this] { moveToDifference(false); });
    connect(addItem(mnuEdit, EditNext, QKeySequence(Qt::Key_F3)), &QAction::triggered, this,
            [this] { moveToDifference(true); });
    mnuEdit->addSeparator();
    QAction *oneLine = addItem(mnuEdit, EditOneLine);
    connect(oneLine, &QAction::triggered, this, &frmMain::showOneLine);
    QAction *external = addItem(mnuEdit, EditExternal);
    connect(external, &QAction::triggered, this, &frmMain::openInEditor);
    mnuEdit->addSeparator();
    connect(addItem(mnuEdit, EditClear, QKeySequence(Qt::CTRL | Qt::Key_F4)), &QAction::triggered,
            this, &frmMain::clearAll);
    mnuEdit->addSeparator();
    connect(addItem(mnuEdit, EditPaste), &QAction::triggered, this, &frmMain::compareClipboardText);
    connect(mnuEdit, &QMenu::aboutToShow, this, [this, oneLine, external] {
        const bool notFolder = m_ws.shownView() != ResultView::Folder;
        oneLine->setEnabled(notFolder);
        external->setEnabled(notFolder);
    });

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

    QMenu *options = menuBar()->addMenu(MenuOptions);
    mnuOptionsOnTop = addItem(options, OptionsOnTop);
    mnuOptionsOnTop->setCheckable(true);
    connect(mnuOptionsOnTop, &QAction::triggered, this, &frmMain::toggleOnTop);
    options->addSeparator();
    connect(addItem(options, OptionsDialog), &QAction::triggered, this, &frmMain::showOptions);

    buildHelpMenu(menuBar()->addMenu(MenuHelp));
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
            [this] { pickTwo(false); });
    connect(button("compare_folders", ToolCompareFolders), &QAction::triggered, this,
            [this] { pickTwo(true); });
    connect(button("save", ToolSave), &QAction::triggered, this, &frmMain::saveResult);
    Toolbar1->addSeparator();
    connect(button("compare", ToolCompare), &QAction::triggered, this, &frmMain::runComparison);
    connect(button("clear", ToolClear), &QAction::triggered, this, &frmMain::clearAll);
    Toolbar1->addSeparator();
    connect(button("previous", ToolPrevious), &QAction::triggered, this,
            [this] { moveToDifference(false); });
    connect(button("next", ToolNext), &QAction::triggered, this,
            [this] { moveToDifference(true); });
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
    if (m_running)
        return; // the run in progress owns the result until it ends
    m_running = true;
    usrText->hide();
    m_ws.cb[0] = cb[0]->currentText();
    m_ws.cb[1] = cb[1]->currentText();
    auto run = std::make_unique<Workspace>();
    m_ws.copyRunInputsTo(*run);
    setCommandsAvailable(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_runner->start(std::move(run));
}

// The finished run's result replaces the one on screen, then the window does what the run
// asked of it on its way (history, overview bar, row heights, raising) and shows the summary.
void frmMain::runFinished() {
    std::unique_ptr<Workspace> run = m_runner->takeResult();
    const ComparisonRunner::Requests requests = m_runner->takeRequests();
    const QString summary = run->statusText();
    m_ws.adoptResult(*run);
    for (const QString &path : requests.history)
        sAddComboHistory(path);
    for (const auto &[path1, path2] : requests.recent)
        sAddRecent(path1, path2);
    cb[0]->setEditText(m_ws.cb[0]);
    cb[1]->setEditText(m_ws.cb[1]);
    if (requests.wrapRowHeights)
        m_views[0]->resizeRowsToContents();
    if (requests.diffbar)
        sDiffbarPrint();
    if (requests.raiseWindow) {
        raise();
        activateWindow();
    }
    setStatus(summary);
    QApplication::restoreOverrideCursor();
    setCommandsAvailable(true);
    m_running = false;
    g_vs_Change();
    if (m_closeAfterRun)
        close();
}

void frmMain::waitForRun() { m_runner->waitForFinished(); }

// While a run works, nothing that could change the comparison, its options or the result on
// screen can be used: the menus, the toolbar and the path boxes are greyed, and the input
// filter keeps clicks, keys and drops away from the views (Esc still stops the run).
void frmMain::setCommandsAvailable(bool on) {
    if (!on) {
        m_greyedByRun.clear();
        for (QAction *action : findChildren<QAction *>()) {
            if (action->isEnabled()) {
                m_greyedByRun << action;
                action->setEnabled(false);
            }
        }
    } else {
        for (const QPointer<QAction> &action : std::as_const(m_greyedByRun)) {
            if (action)
                action->setEnabled(true);
        }
        m_greyedByRun.clear();
    }
    menuBar()->setEnabled(on);
    Toolbar1->setEnabled(on);
    for (int i = 0; i < 2; ++i) {
        cb[i]->setEnabled(on);
        cmd[i]->setEnabled(on);
    }
}

void frmMain::toggleBinary() {
    m_ws.Binary = tbBinary->isChecked();
    m_ws.sShowView(m_ws.Binary ? ResultView::Binary : ResultView::Text);
    runComparison();
}

void frmMain::pickTwo(bool folders) {
    if (m_running)
        return; // the run in progress owns the result until it ends
    auto pick = [&](const QString &title) {
        return folders ? QFileDialog::getExistingDirectory(this, title)
                       : QFileDialog::getOpenFileName(this, title, QString(), AllFilesFilter);
    };
    const QString first = pick(folders ? PickFolder1 : PickFile1);
    if (first.isEmpty())
        return;
    cb[0]->setEditText(first);
    const QString second = pick(folders ? PickFolder2 : PickFile2);
    if (!second.isEmpty())
        cb[1]->setEditText(second);
    runComparison();
}

void frmMain::browse(int side, bool folder) {
    if (m_running)
        return; // the run in progress owns the result until it ends
    const QString path = folder ? QFileDialog::getExistingDirectory(this, BrowseFolder)
                                : QFileDialog::getOpenFileName(this, OpenFile);
    if (path.isEmpty())
        return;
    cb[side]->setEditText(path);
    runComparison();
}

void frmMain::fg_Drop(const QStringList &paths, int mouseCol) {
    if (m_running)
        return; // the run in progress owns the result until it ends
    if (paths.isEmpty())
        return;
    if (paths.size() == 1) {
        cb[mouseCol < 2 ? 0 : 1]->setEditText(paths.first());
    } else {
        cb[0]->setEditText(paths[0]);
        cb[1]->setEditText(paths[1]);
    }
    runComparison();
}

void frmMain::lv_Drop(int index, const QStringList &paths) {
    fg_Drop(paths, paths.size() == 1 && index == 1 ? 2 : 0);
}

void frmMain::swapSides() {
    if (m_running)
        return; // the run in progress owns the result until it ends
    const QString left = cb[0]->currentText();
    cb[0]->setEditText(cb[1]->currentText());
    cb[1]->setEditText(left);
    std::swap(m_ws.clipboardSlot[0], m_ws.clipboardSlot[1]);
    runComparison();
}

void frmMain::compareClipboardText() {
    if (m_running)
        return; // the run in progress owns the result until it ends
    QString text = clipboardText();
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul >= 0)
        text.truncate(nul);
    if (text.isEmpty())
        return;
    int side = 0;
    if (ResultGridView *v = activeView()) {
        const ResultGrid *g = v->grid();
        const int split = g == &m_ws.fgF ? 4 : g->cols() / 2;
        side = g->col() < split ? 0 : 1;
    }
    cb[side]->setEditText(ClipboardWord);
    m_ws.clipboardSlot[size_t(side)] = text;
    runComparison();
}

void frmMain::clearAll() {
    if (m_running)
        return; // the run in progress owns the result until it ends
    cb[0]->setEditText(QString());
    cb[1]->setEditText(QString());
    m_ws.cb = {};
    setStatus(QString());
    sResetGridHeaders(m_ws);
    pic0->clearPicture();
    m_ws.workbookInfo = {};
    m_ws.lv[0].clear();
    m_ws.lv[1].clear();
    for (int i = 0; i < 2; ++i) {
        txt[i]->clear();
        lv[i]->clear();
    }
}

// ---- Saving ----

void frmMain::saveResult() {
    if (m_running)
        return; // the run in progress owns the result until it ends
    if (!m_ws.activeGrid()) {
        setStatus(ExportTexts::NotForSheets);
        return;
    }
    QCoreApplication::processEvents();
    QStringList filters;
    for (const SaveFilter &f : SaveFilters)
        filters << f.caption;
    QFileDialog dialog(this, SaveTitle);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite); // asked below, for the final name
    dialog.setNameFilters(filters);
    const int stored = m_settings.saveTypeIndex();
    dialog.selectNameFilter(filters.value(std::clamp(stored, 1, 5) - 1));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const int type = int(filters.indexOf(dialog.selectedNameFilter())) + 1;
    m_settings.setSaveTypeIndex(type);
    QString path = dialog.selectedFiles().first();
    const QString extension = SaveFilters[type - 1].extension;
    if (!path.endsWith(extension))
        path += extension;
    if (QFileInfo::exists(path) &&
        QMessageBox::question(this, SaveTitle,
                              QStringLiteral("%1 は既に存在します。\n上書きしますか?").arg(path)) !=
            QMessageBox::Yes)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const SaveOutcome outcome = SaveResultAs(m_ws, path, type);
    QApplication::restoreOverrideCursor();
    if (!outcome.ok)
        setStatus(outcome.message);
    QApplication::beep();
}

// ---- Edit commands ----

void frmMain::copySelection() {
    if (ResultGridView *v = activeView())
        v->copySelection();
}

void frmMain::selectColumn() {
    if (ResultGridView *v = activeView())
        v->selectCurrentColumn();
}

void frmMain::selectAll() {
    if (ResultGridView *v = activeView())
        v->selectAllCells(v->grid() == &m_ws.fgF);
}

void frmMain::moveToDifference(bool forward) {
    ResultGridView *v = activeView();
    if (!v)
        return;
    ResultGrid *g = v->grid();
    const int firstDataRow = g == &m_ws.fgB ? 2 : 1;
    const int row = fFindDifference(*g, g->row(), g->col(), firstDataRow, forward);
    v->setFocus();
    if (row < 0) {
        setStatus(EndReached);
        QApplication::beep();
        return;
    }
    v->setCurrentCell(row, g->col());
    v->setTopRow(row);
    g_vs_Change();
}

void frmMain::openInEditor() {
    ResultGridView *v = activeView();
    if (!v || v->grid() == &m_ws.fgF)
        return;
    const ResultGrid *g = v->grid();
    const int side = g->col() < 2 ? 0 : 1;
    const QString path = cb[side]->currentText();
    if (g == &m_ws.fgB) {
        const QString editor = m_settings.binaryEditor();
        if (fPathKind(path) != PathFile || fPathKind(editor) != PathFile)
            return;
        setStatus(OpeningFile);
        if (!QProcess::startDetached(editor, {path}))
            setStatus(EditorFailed + editor);
        return;
    }
    const QString ext = fLowerExtension(path);
    if (ext == QLatin1String("doc") || ext == QLatin1String("docx")) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
        return;
    }
    const int numberCol = side == 0 ? 0 : 2;
    if (g->row() < 1 || g->row() >= g->rows() || g->isEmpty(g->row(), numberCol))
        return;
    if (fPathKind(path) == PathFile) {
        const QString command =
            fExpandEditorCommand(m_settings.editor(), path, g->text(g->row(), numberCol));
        setStatus(OpeningFile);
        if (!fStartCommandLine(command))
            setStatus(EditorFailed + command);
    } else if (fIsWebAddress(path) || path == ClipboardWord) {
        // No file to open in an editor: the line is compared on its own instead.
        showOneLine();
    }
}

void frmMain::gridActivated(ResultGridView *view, int mouseRow) {
    const ResultGrid *g = view->grid();
    if (g == &m_ws.fgF || mouseRow < g->fixedRows())
        return;
    const int action = m_settings.doubleClickAction();
    if (action == 1)
        showOneLine();
    else
        openInEditor();
    if (statusPanel->text() == OpeningFile)
        setStatus(QString());
}

// F2 in the text grid: the side's whole file over its half of the grid, at the current line.
void frmMain::showViewer() {
    ResultGridView *v = m_views[0];
    const ResultGrid *g = v->grid();
    const int side = g->col() < 2 ? 0 : 1;
    const int numberCol = side == 0 ? 0 : 2;
    if (g->row() < 1 || g->row() >= g->rows() || g->isEmpty(g->row(), numberCol))
        return;
    const int headerHeight = v->horizontalHeader()->height();
    const int leftWidth = v->columnWidth(0) + v->columnWidth(1);
    const int width = side == 0 ? leftWidth : v->columnWidth(2) + v->columnWidth(3);
    usrText->setGeometry(v->x() + (side == 0 ? 0 : leftWidth), v->y() + headerHeight, width,
                         v->height() - headerHeight);
    if (!usrText->isVisible()) {
        // The text is decoded as the comparison decoded it, so line numbers match.
        const QString path = cb[side]->currentText();
        QString text;
        if (path == ClipboardWord) {
            text = m_ws.clipboardSlot[size_t(side)];
        } else {
            try {
                text = LoadNormalizedText(path);
            } catch (const FileReadError &) {
                return;
            }
        }
        usrText->setPlainText(text);
        usrText->show();
    }
    usrText->setFont(v->font());
    usrText->setFocus();
    usrText->sJumpLine(g->text(g->row(), numberCol).toInt());
    usrText->raise();
}

void frmMain::changeLegendColour(int index) {
    const QColor chosen =
        QColorDialog::getColor(ResultGridModel::toQColor(m_ws.txtState[size_t(index)]), this);
    if (!chosen.isValid())
        return;
    setLegendColour(index, ResultGridModel::fromQColor(chosen));
    setStatus(ColoursChanged);
}

// ---- View and options ----

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
