#include "folder/LocalTimeOffsets.h"

#include <QDateTime>

#include <limits>

namespace {

constexpr qint64 DayMsecs = 24 * 3600 * 1000;
constexpr qint64 JulianDayOfEpoch = 2440588; // 1970-01-01

qint64 floorDiv(qint64 a, qint64 b) {
    const qint64 q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// The offset Qt gives a time, or Mixed when it gives no valid local time.
int offsetAt(qint64 msecs, int invalid) {
    const QDateTime time = QDateTime::fromMSecsSinceEpoch(msecs, Qt::LocalTime);
    return time.isValid() ? time.offsetFromUtc() : invalid;
}

} // namespace

int LocalTimeOffsets::offsetOfHour(qint64 hour) {
    const auto kept = m_offsets.constFind(hour);
    if (kept != m_offsets.constEnd())
        return kept.value();
    // Zones change their offset at most twice a year: an hour with the same offset at both
    // ends has it throughout.
    const int first = offsetAt(hour * HourMsecs, Mixed);
    const int last = offsetAt(hour * HourMsecs + HourMsecs - 1, Mixed);
    const int offset = first == last ? first : Mixed;
    if (m_offsets.size() >= (1 << 16))
        m_offsets.clear();
    m_offsets.insert(hour, offset);
    return offset;
}

bool LocalTimeOffsets::localTime(qint64 msecs, qint64 *dayNumber, int *msecsOfDay) {
    // Far from today the hour arithmetic could overflow: Qt answers those itself.
    constexpr qint64 Bound = qint64(1) << 52;
    int offset = Mixed;
    if (msecs > -Bound && msecs < Bound)
        offset = offsetOfHour(floorDiv(msecs, HourMsecs));
    if (offset == Mixed) {
        const QDateTime time = QDateTime::fromMSecsSinceEpoch(msecs, Qt::LocalTime);
        if (!time.isValid())
            return false;
        *dayNumber = time.date().toJulianDay();
        *msecsOfDay = time.time().msecsSinceStartOfDay();
        return true;
    }
    const qint64 local = msecs + qint64(offset) * 1000;
    const qint64 day = floorDiv(local, DayMsecs);
    *dayNumber = day + JulianDayOfEpoch;
    *msecsOfDay = int(local - day * DayMsecs);
    return true;
}
