#pragma once

#include "sheet/SheetPairMarks.h"

#include <QObject>
#include <QPointer>
#include <QThread>

#include <atomic>
#include <memory>

// Finds out on a thread of its own which facing sheet pairs of the two lists differ, while
// the window stays usable. A new start, cancel() or the marker's end stops the one before;
// only the last one started reports.
class SheetListMarker : public QObject {
    Q_OBJECT
public:
    explicit SheetListMarker(QObject *parent = nullptr);
    ~SheetListMarker() override;

    // externalStop (may be empty) is asked on the worker thread too (the Esc key).
    void start(const std::array<QString, 2> &paths, const QList<SheetNamePair> &rows,
               bool alignRows, std::function<bool()> externalStop = {});
    void cancel();
    bool isRunning() const;

Q_SIGNALS:
    // The marks of the rows handed to start, one per row; failed: nothing could be marked
    // (a book could not be read, or the work was stopped).
    void marked(const QList<SheetPairMark> &marks);
    void failed(const QString &why);

private:
    QList<QPointer<QThread>> m_threads; // the current one last; stopped ones may still end
    std::shared_ptr<std::atomic<bool>> m_cancel;
};
