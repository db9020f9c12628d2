#pragma once

#include "sheet/SheetPairMarks.h"

#include <QFuture>
#include <QFutureWatcher>
#include <QObject>

#include <functional>
#include <optional>

// Finds out as a background job which facing sheet pairs of the two lists differ, while the
// window stays usable. A new start, cancel() or the marker's end cancels the job before;
// only the last one started reports.
class SheetListMarker : public QObject {
    Q_OBJECT
public:
    explicit SheetListMarker(QObject *parent = nullptr);
    // Cancels what is still marking and waits for it to stop.
    ~SheetListMarker() override;

    // externalStop (may be empty) is asked on the worker thread too (the Esc key).
    void start(const std::array<QString, 2> &paths, const QList<SheetNamePair> &rows,
               bool alignRows, std::function<bool()> externalStop = {},
               const SheetCompareRules &rules = {});
    void cancel();
    // The last job started has not ended yet (cancelled or not).
    bool isRunning() const;

Q_SIGNALS:
    // The marks of the rows handed to start, one per row; failed: nothing could be marked
    // (a book could not be read, or the work was stopped).
    void marked(const QList<SheetPairMark> &marks);
    void failed(const QString &why);

private:
    struct Outcome {
        std::optional<QList<SheetPairMark>> marks;
        QString error;
    };
    QFutureWatcher<Outcome> *m_current = nullptr; // the job that reports
    QList<QFuture<void>> m_jobs;                  // every job not known to have ended
};
