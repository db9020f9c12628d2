#include "mainwindow/RunController.h"

#include "engine/EngineTexts.h"
#include "engine/Workspace.h"
#include "mainwindow/MainTexts.h"
#include "platform/Background.h"
#include "platform/FreedMemory.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QScrollBar>

RunController::RunController(QMainWindow *window, Workspace &ws, QList<QWidget *> controls)
    : m_window(window), m_ws(ws), m_controls(std::move(controls)),
      m_runner(new ComparisonRunner(this)) {
    connect(m_runner, &ComparisonRunner::progress, this, &RunController::progress);
    connect(m_runner, &ComparisonRunner::finished, this, &RunController::finish);
    connect(m_runner, &ComparisonRunner::folderPreview, this, &RunController::showPreview);
    qApp->installEventFilter(this);
}

RunController::~RunController() {
    qApp->removeEventFilter(this);
    if (m_task) {
        m_ws.bAbort = true;
        Background::failureOf(m_task->future()); // waited for; nobody is left to tell
    }
    delete m_runner; // stops and waits for a run in progress
    m_runner = nullptr;
}

bool RunController::start() {
    if (m_running)
        return false; // the run in progress owns the result until it ends
    auto run = std::make_unique<Workspace>();
    m_ws.copyRunInputsTo(*run);
    setBusy(true);
    m_runner->start(std::move(run));
    return true;
}

bool RunController::startTask(std::function<void()> work, std::function<void()> done) {
    if (m_running && !m_inTaskDone)
        return false;
    if (!m_running)
        setBusy(true);
    m_ws.bAbort = false;
    m_taskDone = std::move(done);
    // An exception thrown by the work ends the command, not the program: the future carries it
    // here, and the status names it, as a failed run's does.
    m_task = new QFutureWatcher<void>(this);
    connect(m_task, &QFutureWatcher<void>::finished, this, &RunController::taskEnded);
    m_task->setFuture(Background::run(std::move(work)));
    return true;
}

void RunController::taskEnded() {
    QFutureWatcher<void> *task = std::exchange(m_task, nullptr);
    task->disconnect(this); // ended here, whether by its signal or by waitForRun()
    const QString failure = failureText(Background::failureOf(task->future()));
    task->deleteLater();
    m_ws.bAbort = false; // as a run ends
    const std::function<void()> done = std::exchange(m_taskDone, {});
    // The finishing step runs in any case (it also puts its command's state back); after a
    // failure the status names what went wrong instead of the outcome it would report.
    if (done) {
        m_inTaskDone = true;
        done();
        m_inTaskDone = false;
    }
    if (!failure.isEmpty())
        m_ws.setStatus(MainTexts::CommandFailed + failure);
    if (!m_task)
        setBusy(false); // unless done started a follow-up task: the command goes on
}

void RunController::abort() {
    m_ws.bAbort = true;
    m_runner->abort();
}

void RunController::setBusy(bool busy) {
    if (busy) {
        m_running = true;
        setCommandsAvailable(false);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        return;
    }
    QApplication::restoreOverrideCursor();
    setCommandsAvailable(true);
    m_running = false;
    Q_EMIT ended();
}

// The top level of a folder comparison in progress takes the place of the result on screen
// (which the run's result replaces in any case). The commands stay greyed and the input held
// back as before; the status keeps the run's progress.
void RunController::showPreview(ResultGrid &grid) {
    if (!m_running)
        return;
    m_ws.fgF.swapContents(grid);
    m_ws.sShowView(ResultView::Folder);
}

// The finished run's result replaces the one on screen; then the window does what the run
// asked of it (history, overview bar, row heights, raising) and shows the summary.
void RunController::finish() {
    std::unique_ptr<Workspace> run = m_runner->takeResult();
    const ComparisonRunner::Requests requests = m_runner->takeRequests();
    const QString summary = run->statusText();
    m_ws.adoptResult(*run);
    // The run's workspace now holds the replaced result; it and the run's working data (freed
    // on the worker thread, whose memory the C library keeps) go back to the system.
    run.reset();
    releaseFreedMemory();
    m_ws.bAbort = false; // as a run ends; the key's release was held back during the run
    Q_EMIT resultAdopted(requests, summary);
    setBusy(false);
}

void RunController::waitForRun() {
    while (m_task)
        taskEnded();
    m_runner->waitForFinished();
}

// While a run works, nothing that could change the comparison, its options or the result on
// screen can be used: the menus, the toolbar and the path boxes are greyed, and the input
// filter keeps clicks, keys and drops away from the views (Esc still stops the run).
void RunController::setCommandsAvailable(bool on) {
    if (!on) {
        m_greyedByRun.clear();
        for (QAction *action : m_window->findChildren<QAction *>()) {
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
    m_window->menuBar()->setEnabled(on);
    for (QWidget *control : std::as_const(m_controls))
        control->setEnabled(on);
}

// An Esc press stops the run in progress, whatever widget has the focus. Outside a run the
// flag follows the key: set while it is down, cleared by any key released (the repeats of a
// held key do not count as releases).
bool RunController::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        abort();
    }
    if (isBlocked(watched, event))
        return true;
    if (event->type() == QEvent::KeyRelease && !static_cast<QKeyEvent *>(event)->isAutoRepeat())
        m_ws.bAbort = false;
    return false;
}

bool RunController::isBlocked(QObject *watched, QEvent *event) const {
    if (!m_running || !watched->isWidgetType())
        return false;
    auto *widget = static_cast<QWidget *>(watched);
    if (widget->window() != m_window || qobject_cast<QScrollBar *>(widget))
        return false; // other windows, and scrolling the result on screen, stay free
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}
