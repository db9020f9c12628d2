#pragma once

#include <QHash>
#include <QtGlobal>

#include <limits>

// The local time of many file times at the cost of a few time-zone lookups. Each lookup of
// the system's zone reads its rules again and takes a process-wide lock, which made the zone
// the largest cost of listing a large folder. Offsets are kept per hour of UTC; an hour in
// which the offset changes is looked up time by time.
class LocalTimeOffsets {
public:
    // The broken-down local time of a time in milliseconds since the epoch (UTC), exactly as
    // QDateTime::fromMSecsSinceEpoch(msecs, Qt::LocalTime) gives it: false when that is no
    // valid time.
    bool localTime(qint64 msecs, qint64 *dayNumber, int *msecsOfDay);

private:
    static constexpr qint64 HourMsecs = 3600 * 1000;
    static constexpr int Mixed = std::numeric_limits<int>::min();
    int offsetOfHour(qint64 hour);

    QHash<qint64, int> m_offsets; // hour since the epoch → offset in seconds, or Mixed
};
