#pragma once

#include "run/ComparisonRunner.h"

#include <QFutureWatcher>
#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class QAction;
class QEvent;
class QMainWindow;
class QWidget;
class ResultGrid;
class Workspace;

// A comparison run as the window drives it: a fresh workspace is filled on a worker thread
// while the result on screen stays; meanwhile the window's commands are greyed and input that
// could reach the comparison or its result is held back, until the finished result has been
// swapped in.
class RunController : public QObject {
    Q_OBJECT
public:
    // window: whose actions, menu bar and controls are greyed during a run and whose input is
    // held back; ws: the window's workspace, which the finished result replaces; controls:
    // further widgets greyed during a run (toolbar, path boxes, browse buttons).
    RunController(QMainWindow *window, Workspace &ws, QList<QWidget *> controls);
    // A run or command still in progress is stopped and waited for.
    ~RunController() override;

    // Starts a run over the workspace's sources and options; false while one is running.
    bool start();
    // Runs a long command other than a comparison (saving, the sheet comparison) the same way:
    // `work` as a background job while the window's commands are greyed and its input held back,
    // then `done` on the window's thread. `work` may read the workspace and the result on
    // screen (nothing can change them meanwhile) and should poll the workspace's abort flag
    // (Esc) where it can stop. False while a run or another command is in progress, except
    // when called from a task's `done`: the command goes on with a further step.
    bool startTask(std::function<void()> work, std::function<void()> done);
    bool isRunning() const { return m_running; }
    // Asks the run or command in progress to stop (at its next poll).
    void abort();
    ComparisonRunner &runner() { return *m_runner; }
    // Blocks until the run or command in progress has ended and its result is shown.
    void waitForRun();
    // Input that would reach the comparison or its result while a run works.
    bool isBlocked(QObject *watched, QEvent *event) const;

protected:
    // The application's input: Esc, and what a run holds back.
    bool eventFilter(QObject *watched, QEvent *event) override;

Q_SIGNALS:
    void progress(const QString &text);
    // The finished result is in the workspace: the window does what the run asked of it on
    // its way, then shows the summary.
    void resultAdopted(const ComparisonRunner::Requests &requests, const QString &summary);
    // The run is over and the commands are available again.
    void ended();

private:
    void showPreview(ResultGrid &grid);
    void finish();
    void taskEnded();
    void setBusy(bool busy);
    void setCommandsAvailable(bool on);

    QMainWindow *m_window;
    Workspace &m_ws;
    QList<QWidget *> m_controls;
    ComparisonRunner *m_runner;
    bool m_running = false;
    QFutureWatcher<void> *m_task = nullptr; // the command's work in progress
    std::function<void()> m_taskDone;
    bool m_inTaskDone = false; // a task's done may start the next step as a task of its own
    QList<QPointer<QAction>> m_greyedByRun;
};
