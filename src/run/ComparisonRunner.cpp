#include "run/ComparisonRunner.h"

#include "engine/EngineTexts.h"
#include "run/GridFill.h"
#include "run/TextDiff.h"

#include <QThread>

#include <new>
#include <stdexcept>

using namespace EngineTexts;

bool runTextDiffGuarded(Workspace &ws, const QString &path1, const QString &path2) {
    return runTextDiffGuarded(ws, classifySources(ws, path1, path2));
}

bool runTextDiffGuarded(Workspace &ws, const SourcePair &sources) {
    QString cause;
    const ResultView startView = ws.shownView();
    try {
        fTextDiff(ws, sources, 1, 5, 10);
        return true;
    } catch (const std::bad_alloc &) {
        cause = OutOfMemory;
    } catch (const std::exception &e) {
        cause = QString::fromLocal8Bit(e.what());
    } catch (...) {
        cause = UnknownError;
    }
    // Whatever the run had written may be half done: nothing of it is shown, and the grids
    // are left as a run that never started leaves them (drawn, the same view in front).
    try {
        ws.DiffCount = ws.LeftOnlyCount = ws.RightOnlyCount = ws.NotComparedCount = 0;
        ws.runAborted = false;
        ws.runSummary.clear();
        ws.setSheetLists({}, {});
        resetGridHeaders(ws);
    } catch (...) {
    }
    for (ResultGrid *grid : {&ws.fg, &ws.fgB, &ws.fgF})
        grid->setRedraw(true);
    ws.sShowView(startView);
    ws.setBusy(false);
    ws.bAbort = false;
    ws.setStatus(RunFailed + cause);
    return false;
}

ComparisonRunner::ComparisonRunner(QObject *parent) : QObject(parent) {}

ComparisonRunner::~ComparisonRunner() {
    if (m_thread) {
        abort();
        m_thread->wait();
        delete m_thread;
    }
}

bool ComparisonRunner::start(std::unique_ptr<Workspace> run) {
    if (m_thread)
        return false;
    m_run = std::move(run);
    m_requests = {};
    Workspace &ws = *m_run;
    ws.bAbort = false;
    // The hooks run on the worker thread: they only note what the window is to do afterwards.
    ws.processEventsHook = nullptr;
    ws.busyHook = nullptr;
    ws.addComboHistoryHook = [this](const QString &path) { m_requests.history << path; };
    ws.addRecentHook = [this](const QString &a, const QString &b) {
        m_requests.recent.append({a, b});
    };
    ws.diffbarPrintHook = [this] { m_requests.diffbar = true; };
    ws.wrapRowHeightsHook = [this] { m_requests.wrapRowHeights = true; };
    ws.raiseWindowHook = [this] { m_requests.raiseWindow = true; };
    // Both are sent from the worker thread and received here on the window's thread, queued and
    // in order. Whatever arrives after the run was handled (waitForFinished) is dropped.
    const quint64 serial = ++m_serial;
    auto forward = [this, serial](const QString &text) {
        if (serial == m_serial && m_thread)
            Q_EMIT progress(text);
    };
    connect(&ws, &Workspace::statusChanged, this, forward);
    connect(&ws, &Workspace::progressChanged, this, forward);
    // Like the texts, a preview that arrives after its run was handled is dropped. The grid
    // goes over whole: the worker keeps no share of it, so it always ends on the window's
    // thread, which it belongs to.
    ws.folderPreviewHook = [this, serial](std::shared_ptr<ResultGrid> grid) {
        grid->moveToThread(thread());
        QMetaObject::invokeMethod(
            this,
            [this, serial, grid = std::move(grid)] {
                if (serial == m_serial && m_thread)
                    Q_EMIT folderPreview(*grid);
            },
            Qt::QueuedConnection);
    };
    m_thread = QThread::create([&ws, paths = ws.cb, before = beforeRun] {
        if (before)
            before(ws);
        runTextDiffGuarded(ws, paths[0], paths[1]);
    });
    connect(m_thread, &QThread::finished, this, [this, serial] {
        if (serial == m_serial)
            threadEnded();
    });
    m_thread->start();
    // A thread the system would not start (neither running nor finished): the run ends at
    // once as a failed one, its status saying why, instead of never ending.
    if (!m_thread->isRunning() && !m_thread->isFinished()) {
        delete m_thread;
        m_thread = nullptr;
        resetGridHeaders(ws);
        ws.setStatus(RunFailed + NoThread);
        QMetaObject::invokeMethod(
            this,
            [this, serial] {
                if (serial == m_serial)
                    Q_EMIT finished();
            },
            Qt::QueuedConnection);
    }
    return true;
}

void ComparisonRunner::abort() {
    if (m_thread && m_run)
        m_run->bAbort = true;
}

void ComparisonRunner::waitForFinished() {
    if (!m_thread)
        return;
    m_thread->wait();
    threadEnded();
}

void ComparisonRunner::threadEnded() {
    if (!m_thread)
        return; // already handled by waitForFinished()
    m_thread->wait();
    m_thread->deleteLater();
    m_thread = nullptr;
    Q_EMIT finished();
}

std::unique_ptr<Workspace> ComparisonRunner::takeResult() {
    return std::move(m_run);
}

ComparisonRunner::Requests ComparisonRunner::takeRequests() {
    return std::exchange(m_requests, {});
}
