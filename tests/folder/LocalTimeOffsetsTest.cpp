#include "folder/LocalTimeOffsets.h"

#include <QDateTime>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <ctime>

namespace {

// Sets the process's time zone for one test and puts the old one back.
class ZoneScope {
public:
    explicit ZoneScope(const char *zone) : m_had(qEnvironmentVariableIsSet("TZ")) {
        m_old = qgetenv("TZ");
        qputenv("TZ", zone);
        tzset();
    }
    ~ZoneScope() {
        if (m_had)
            qputenv("TZ", m_old);
        else
            qunsetenv("TZ");
        tzset();
    }

private:
    bool m_had;
    QByteArray m_old;
};

} // namespace

// The cached offsets give every time the local day and time QDateTime gives it, in zones with
// summer time, half-hour shifts and odd historical offsets, around the changes and far from
// them, before the epoch and long after it.
TEST(LocalTimeOffsets, AgreeWithQtsLocalTimeInEveryZone) {
    const std::vector<qint64> changes = {1711846800, 1729990800, 1712502000, 1728230400,
                                         1710050400, 1730610000, 0,          -1};
    for (const char *zone : {"UTC", "Europe/Berlin", "America/St_Johns", "Australia/Lord_Howe",
                             "Asia/Tokyo", "America/New_York", "Asia/Kolkata", "Europe/Dublin"}) {
        ZoneScope scope(zone);
        LocalTimeOffsets offsets;
        std::vector<qint64> times;
        for (const qint64 change : changes) {
            for (qint64 d = -7200; d <= 7200; d += 61)
                times.push_back((change + d) * 1000 + 999);
        }
        QRandomGenerator random(7);
        for (int i = 0; i < 3000; ++i)
            times.push_back(random.bounded(qint64(-2208988800), qint64(4102444800)) * 1000 +
                            random.bounded(1000));
        for (const qint64 msecs : times) {
            const QDateTime expected = QDateTime::fromMSecsSinceEpoch(msecs, Qt::LocalTime);
            qint64 day = 0;
            int ofDay = 0;
            ASSERT_TRUE(offsets.localTime(msecs, &day, &ofDay)) << zone << " " << msecs;
            ASSERT_EQ(day, expected.date().toJulianDay()) << zone << " " << msecs;
            ASSERT_EQ(ofDay, expected.time().msecsSinceStartOfDay()) << zone << " " << msecs;
        }
    }
}
