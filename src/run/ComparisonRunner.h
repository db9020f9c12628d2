#pragma once

#include "engine/Workspace.h"
#include "run/Source.h"

#include <QFutureWatcher>
#include <QObject>
#include <QPair>
#include <QStringList>

#include <exception>
#include <functional>
#include <memory>

// Runs one comparison (fTextDiff) as a background job, into a workspace of its own, so the
// window keeps its previous result on screen, repaints and hears the abort key while the run
// works. The window takes the finished workspace and swaps its result in; nothing the user does
// meanwhile can reach the run's data.
class ComparisonRunner : public QObject {
    Q_OBJECT
public:
    // What the run asked of the window on its way; carried out when the result is swapped in.
    struct Requests {
        QStringList history;                   // sAddComboHistory, in order
        QList<QPair<QString, QString>> recent; // sAddRecent, in order
        bool diffbar = false;                  // redraw the overview bar
        bool wrapRowHeights = false;           // grow the text grid's wrapped rows
        bool raiseWindow = false;              // bring the window to the front
    };

    explicit ComparisonRunner(QObject *parent = nullptr);
    // A run still in progress is stopped and waited for.
    ~ComparisonRunner() override;

    // Starts fTextDiff(run.cb[0], run.cb[1]) over `run`, which Workspace::copyRunInputsTo has
    // prepared. Nothing is started while another run is in progress.
    bool start(std::unique_ptr<Workspace> run);
    bool isRunning() const { return m_job != nullptr; }
    // Asks the run in progress to stop at its next poll (its result is what it has so far).
    void abort();
    // Blocks until the run in progress has ended and finished() was sent (tests, shut-down).
    void waitForFinished();

    // Called on the worker thread with the run's workspace just before the run starts: lets a
    // test slow a run down, hold it at a poll or make it fail.
    std::function<void(Workspace &)> beforeRun;

    // After finished(): the run's workspace and its requests (once).
    std::unique_ptr<Workspace> takeResult();
    Requests takeRequests();

Q_SIGNALS:
    // The run's progress texts for the status line.
    void progress(const QString &status);
    // The top level of a folder comparison through every level, listed before the folders
    // below it: shown (its contents taken) until the run's result replaces it.
    void folderPreview(ResultGrid &grid);
    void finished();

private:
    void jobEnded();

    QFutureWatcher<void> *m_job = nullptr; // the run in progress
    // Carries the run's texts and preview to the window's thread; deleted with whatever it
    // still holds when the run has been handled.
    QObject *m_channel = nullptr;
    std::unique_ptr<Workspace> m_run;
    Requests m_requests;
};

// Runs fTextDiff(path1, path2) over `ws` and turns an exception thrown inside it into a finished
// run: the grids are emptied back to their headers, the counters are 0 and the status names the
// problem. Returns false when that happened.
bool runTextDiffGuarded(Workspace &ws, const QString &path1, const QString &path2);
bool runTextDiffGuarded(Workspace &ws, const SourcePair &sources);

// What ended a background job by an exception, for the status line: the exception's own text,
// or a general one. Empty when `failure` is null.
QString failureText(const std::exception_ptr &failure);
