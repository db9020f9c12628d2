#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class ResultGridView;
class Settings;
class TextViewController;
class QWidget;
class Workspace;

// What a view's controller may ask of the main window: the comparison's state and settings,
// the path boxes, a run, the status line and the few commands every view shares.
class ViewHost {
public:
    virtual ~ViewHost() = default;

    virtual Workspace &workspace() = 0;
    virtual Settings &settings() = 0;
    // The path box of a side (0 left, 1 right) as it stands now.
    virtual QString pathText(int side) const = 0;
    virtual void setPathText(int side, const QString &text) = 0;
    // Starts a comparison of the two path boxes; nothing while one runs.
    virtual void runComparison() = 0;
    // The same, and the finished run's summary is followed by outcome: what a command that
    // changed the folders has to tell (failures, a cancel), so the summary does not hide it.
    // afterResult runs once the fresh result is on screen (not when the run ends without one).
    virtual void runComparisonThenTell(const QString &outcome,
                                       std::function<void()> afterResult) = 0;
    // True while a comparison or a long command runs (see runInBackground).
    virtual bool isRunning() const = 0;
    // Runs a long command as a comparison runs: `work` on a worker thread while the window's
    // commands wait, then `done` on the window's thread. False while something runs.
    virtual bool runInBackground(std::function<void()> work, std::function<void()> done) = 0;
    virtual void setStatus(const QString &text) = 0;
    // Redraws the overview bar, and moves its marker to the active grid's top row.
    virtual void sDiffbarPrint() = 0;
    virtual void g_vs_Change() = 0;
    // Edit item "クリア": empties the path boxes and every view.
    virtual void clearAll() = 0;
    // Files dropped onto a view: they fill the path boxes by side, then a comparison runs.
    virtual void fg_Drop(const QStringList &paths, int mouseCol) = 0;
    // The grid view in front (null in the workbook view), and the Edit menu's grid commands.
    virtual ResultGridView *activeView() const = 0;
    virtual TextViewController &textView() = 0;
    // While files change under the window it takes no commands: main area, menus, toolbar.
    virtual void lockWindow(bool locked) = 0;
    // The owner of dialogs and windows a controller opens.
    virtual QWidget *dialogParent() = 0;
};
