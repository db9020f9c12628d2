#include "mainwindow/frmMain.h"

#include "mainwindow/DiffOverviewBar.h"
#include "mainwindow/FolderViewController.h"
#include "mainwindow/HelpMenu.h"
#include "mainwindow/HistoryLists.h"
#include "mainwindow/LegendBoxes.h"
#include "mainwindow/MainTexts.h"
#include "mainwindow/PathBar.h"
#include "mainwindow/ResultGridModel.h"
#include "mainwindow/ResultGridView.h"
#include "mainwindow/ResultViewStack.h"
#include "mainwindow/RunController.h"
#include "mainwindow/SheetViewController.h"
#include "mainwindow/TextEditController.h"
#include "mainwindow/TextViewController.h"
#include "platform/Background.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

using namespace MainTexts;

frmMain::frmMain(const QStringList &arguments, const QString &iniPath, QWidget *parent)
    : QMainWindow(parent), m_settings(iniPath), m_arguments(arguments) {
    Q_INIT_RESOURCE(icons); // the toolbar's images live in the ui library
    setWindowTitle(AppTitle);
    buildControls();
    buildMenus();
    buildToolbar();
    buildStatusBar();
    connectWorkspace();
    m_run = std::make_unique<RunController>(
        this, m_ws, QList<QWidget *>{Toolbar1, cb[0], cmd[0], cb[1], cmd[1]});
    connect(m_run.get(), &RunController::progress, this, &frmMain::setStatus);
    connect(m_run.get(), &RunController::resultAdopted, this, &frmMain::runFinished);
    connect(m_run.get(), &RunController::ended, this, &frmMain::runEnded);
    m_resizeSettled = new QTimer(this);
    m_resizeSettled->setSingleShot(true);
    m_resizeSettled->setInterval(250);
    // Redrawn after a resize, the bar leaves the status text alone: the summary of the
    // comparison stays readable.
    connect(m_resizeSettled, &QTimer::timeout, this, [this] {
        const QString status = m_ws.statusText();
        sDiffbarPrint();
        setStatus(status);
    });
    // Below this the legend boxes cover the summary and the grid shows hardly a row.
    setMinimumSize(twips(MinWindowWidthTwips), twips(MinWindowHeightTwips));
    Form_Load();
    // After every menu, pop-ups included, exists.
    HelpMenu::installMenuHelp(
        this, [this] { return m_ws.statusText(); },
        [this](const QString &text) { setStatus(text); });
}

frmMain::~frmMain() {
    // The one place the window's background work ends: the run or command in progress and the
    // sheet marks all stop at the abort flag, and everything they read is still here while
    // they are waited for.
    m_run->abort();
    Background::waitForAll();
    m_run.reset();
    m_views.reset(); // before the workspace, whose grids they show
}

int frmMain::twips(int value) const {
    return qRound(value * logicalDpiX() / 1440.0);
}

void frmMain::buildControls() {
    auto *client = new QWidget(this);
    setCentralWidget(client);
    client->installEventFilter(this);

    pic0 = new DiffOverviewBar(client);
    pic1 = new QWidget(client);
    pic1->installEventFilter(this);

    m_pathBar = new PathBar(*this, pic1);
    cb = m_pathBar->cb;
    cmd = m_pathBar->cmd;

    m_views = std::make_unique<ResultViewStack>(m_ws, pic1);
    for (ResultGridView *v : m_views->views())
        connectView(v);

    m_folderView = std::make_unique<FolderViewController>(*this, view(ResultView::Folder));
    m_sheetViewController = std::make_unique<SheetViewController>(*this, pic1);
    m_textView = std::make_unique<TextViewController>(*this, view(ResultView::Text),
                                                      view(ResultView::Binary));
    m_textEdit = std::make_unique<TextEditController>(*this, view(ResultView::Text));

    connect(pic0, &DiffOverviewBar::topRowRequested, this, [this](int row) {
        if (ResultGridView *v = activeView())
            v->setTopRow(row);
    });
    connect(pic0, &DiffOverviewBar::contextMenuRequested, this,
            [this](const QPoint &pos) { mnuView->popup(pos); });
}

void frmMain::connectView(ResultGridView *view) {
    connect(view, &ResultGridView::topRowChanged, this, [this, view] {
        if (view == activeView())
            g_vs_Change();
    });
    connect(view, &ResultGridView::pasteRequested, this,
            [this] { m_textView->compareClipboardText(); });
    // The folder grid has a pop-up menu of its own.
    if (view->grid() != &m_ws.fgF)
        connect(view, &ResultGridView::contextMenuRequested, this,
                [this](const QPoint &pos) { mnuEdit->popup(pos); });
    connect(view, &ResultGridView::filesDropped, this, &frmMain::fg_Drop);
    // Opening or closing a folder of a tree changes the rows the bar pictures.
    const auto redraw = [this, view] {
        if (view == activeView() && view->gridModel()->hasRowMap() && diffbarDrawable())
            drawDiffbar();
    };
    connect(view->gridModel(), &QAbstractItemModel::rowsInserted, this, redraw);
    connect(view->gridModel(), &QAbstractItemModel::rowsRemoved, this, redraw);
}

void frmMain::buildStatusBar() {
    statusPanel = new QLabel(this);
    statusBar()->addWidget(statusPanel, 1);
    m_legend = new LegendBoxes(m_ws, statusBar(), twips(700), this);
    txtState = m_legend->txtState;
}

// A run reports its requests to the window through the runner (RunController); what reaches
// the window's own workspace are the commands' pauses and busy pointer, and its signals.
void frmMain::connectWorkspace() {
    m_ws.processEventsHook = [] { QCoreApplication::processEvents(); };
    m_ws.busyHook = [](bool busy) {
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    };
    connect(&m_ws, &Workspace::statusChanged, this,
            [this](const QString &text) { statusPanel->setText(text); });
    connect(&m_ws, &Workspace::viewChanged, this, &frmMain::applyView);
}

void frmMain::setStatus(const QString &text) {
    m_ws.setStatus(text);
}

QString frmMain::pathText(int side) const {
    return cb[size_t(side)]->currentText();
}

void frmMain::setPathText(int side, const QString &text) {
    cb[size_t(side)]->setEditText(text);
}

ResultGridView *frmMain::view(ResultView which) const {
    return m_views ? m_views->view(which) : nullptr;
}

ResultGridView *frmMain::activeView() const {
    return m_views ? m_views->activeView() : nullptr;
}

// Brings one view to the front: only it is shown and enabled; the Edit menu belongs to the
// grids and is hidden in the workbook view.
void frmMain::applyView(ResultView which) {
    m_views->bringToFront(which, m_sheetViewController->widget());
    if (mnuEdit)
        mnuEdit->menuAction()->setVisible(which != ResultView::Sheets);
    pic0->vs()->setMinimum(which == ResultView::Binary ? 2 : 1);
}

void frmMain::applyFontSize(int points) {
    pic1->setFont(m_views->setFontSize(points));
}

// ---- Layout ----

// A drag-resize sends a stream of resizes; the bar is drawn once when they have stopped.
void frmMain::resizeEvent(QResizeEvent *event) {
    QMainWindow::resizeEvent(event);
    if (!isMinimized())
        m_resizeSettled->start();
}

void frmMain::changeEvent(QEvent *event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    // Maximise and restore redraw the bar at once; a drag-resize only when it ends.
    const bool restored = !isMaximized() && !isMinimized() && m_maximised;
    if (isMaximized() || restored) {
        m_maximised = isMaximized();
        layoutClient();
        sDiffbarPrint();
    }
}

bool frmMain::event(QEvent *event) {
    const bool handled = QMainWindow::event(event);
    switch (event->type()) {
    case QEvent::WindowActivate:
        activateOnce();
        break;
    case QEvent::Show:
        // Without a window manager a window may never become active: the first showing then
        // stands in for the first activation, once the window is on screen.
        QTimer::singleShot(0, this, [this] { activateOnce(); });
        break;
    default:
        break;
    }
    return handled;
}

void frmMain::activateOnce() {
    if (!m_activated) {
        m_activated = true;
        Form_Activate();
    }
}

void frmMain::layoutClient() {
    QWidget *client = centralWidget();
    const int barWidth = twips(615);
    const bool barShown = mnuViewDiffbar == nullptr || mnuViewDiffbar->isChecked();
    pic0->setGeometry(0, 0, barWidth, client->height());
    pic0->setVisible(barShown);
    const int left = barShown ? twips(680) : 0;
    pic1->setGeometry(left, 0, std::max(0, client->width() - left), client->height());
}

void frmMain::layoutResultArea() {
    const int W = pic1->width(), H = pic1->height();
    const int rowHeight = m_pathBar->layout(W, logicalDpiX());
    const QRect area(0, rowHeight, W, std::max(0, H - rowHeight));
    const QFontMetrics fm(view(ResultView::Text)->font());
    const int scrollRoom = twips(300);
    m_textView->layout(area, fm, scrollRoom);
    m_folderView->layout(area, fm, scrollRoom);
    m_sheetViewController->layout(area, twips(990) - rowHeight);
    m_textView->followLayout();
}

bool frmMain::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::Resize) {
        if (watched == centralWidget())
            layoutClient();
        else if (watched == pic1)
            layoutResultArea();
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- Overview bar and scroll bar ----

bool frmMain::diffbarDrawable() const {
    return mnuViewDiffbar && mnuViewDiffbar->isChecked() && pic0->isVisible() &&
           (!m_ws.cb[0].isEmpty() || !m_ws.cb[1].isEmpty());
}

void frmMain::sDiffbarPrint() {
    if (!diffbarDrawable())
        return;
    setStatus(DrawingDiffbar);
    drawDiffbar();
    setStatus(Done);
}

void frmMain::drawDiffbar() {
    ResultGridView *v = activeView();
    if (!v)
        return;
    const bool bothPaths = !m_ws.cb[0].isEmpty() && !m_ws.cb[1].isEmpty();
    // A folder tree is pictured as it is shown, with its closed folders' contents left out.
    pic0->sDiffbarPrint(v->grid(), m_ws.txtState, v->grid() == &m_ws.fgF,
                        v->grid() == &m_ws.fgB ? 2 : 1, v->visibleRows(), bothPaths,
                        v->gridModel()->rowMap());
    g_vs_Change();
}

void frmMain::g_vs_Change() {
    if (ResultGridView *v = activeView())
        pic0->g_vs_Change(v->grid(), v->topRow());
}
