#include "run/ComparisonRunner.h"

#include "engine/EngineTexts.h"
#include "platform/Background.h"
#include "run/GridFill.h"
#include "run/TextDiff.h"

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

QString failureText(const std::exception_ptr &failure) {
    if (!failure)
        return {};
    try {
        std::rethrow_exception(failure);
    } catch (const std::bad_alloc &) {
        return OutOfMemory;
    } catch (const std::exception &e) {
        const QString what = QString::fromLocal8Bit(e.what());
        return what.isEmpty() ? UnknownError : what;
    } catch (...) {
        return UnknownError;
    }
}

ComparisonRunner::ComparisonRunner(QObject *parent) : QObject(parent) {}

ComparisonRunner::~ComparisonRunner() {
    if (m_job) {
        abort();
        Background::failureOf(m_job->future());
    }
}

bool ComparisonRunner::start(std::unique_ptr<Workspace> run) {
    if (m_job)
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
    // in order, through this run's channel: whatever is still queued when the run has been
    // handled (waitForFinished) goes with the channel.
    m_channel = new QObject(this);
    auto forward = [this](const QString &text) { Q_EMIT progress(text); };
    connect(&ws, &Workspace::statusChanged, m_channel, forward, Qt::QueuedConnection);
    connect(&ws, &Workspace::progressChanged, m_channel, forward, Qt::QueuedConnection);
    // The preview grid goes over whole: the worker keeps no share of it, so it always ends on
    // the window's thread, which it belongs to.
    ws.folderPreviewHook = [this, channel = m_channel](std::shared_ptr<ResultGrid> grid) {
        grid->moveToThread(thread());
        QMetaObject::invokeMethod(
            channel, [this, grid = std::move(grid)] { Q_EMIT folderPreview(*grid); },
            Qt::QueuedConnection);
    };
    m_job = new QFutureWatcher<void>(this);
    connect(m_job, &QFutureWatcher<void>::finished, this, &ComparisonRunner::jobEnded);
    m_job->setFuture(Background::run([&ws, paths = ws.cb, before = beforeRun] {
        if (before)
            before(ws);
        runTextDiffGuarded(ws, paths[0], paths[1]);
    }));
    return true;
}

void ComparisonRunner::abort() {
    if (m_job && m_run)
        m_run->bAbort = true;
}

void ComparisonRunner::waitForFinished() {
    if (m_job)
        jobEnded();
}

void ComparisonRunner::jobEnded() {
    QFutureWatcher<void> *job = std::exchange(m_job, nullptr);
    job->disconnect(this); // ended here, whether by its signal or by waitForFinished()
    // The comparison guards itself (runTextDiffGuarded); only a test's beforeRun could throw.
    Background::failureOf(job->future());
    job->deleteLater();
    delete std::exchange(m_channel, nullptr);
    Q_EMIT finished();
}

std::unique_ptr<Workspace> ComparisonRunner::takeResult() {
    return std::move(m_run);
}

ComparisonRunner::Requests ComparisonRunner::takeRequests() {
    return std::exchange(m_requests, {});
}
