#include "platform/TimeZoneRules.h"

#include <QDateTime>
#include <QTimeZone>
#include <gtest/gtest.h>

#include <optional>

namespace {

// Puts TZ back as the test found it.
class KeptTimeZone
{
public:
    KeptTimeZone()
    {
        if (qEnvironmentVariableIsSet("TZ"))
            m_value = qgetenv("TZ");
    }
    ~KeptTimeZone()
    {
        if (m_value)
            qputenv("TZ", *m_value);
        else
            qunsetenv("TZ");
    }

private:
    std::optional<QByteArray> m_value;
};

// The offsets from UTC of local times through a year, daylight saving changes included.
QList<qint64> localOffsets()
{
    QList<qint64> offsets;
    for (int month = 1; month <= 12; ++month) {
        for (int hour : {0, 2, 3, 12}) {
            const QDateTime local(QDate(2026, month, 28), QTime(hour, 30));
            offsets.append(local.offsetFromUtc());
        }
    }
    return offsets;
}

} // namespace

// The rules are read once from the system's own zone: local times convert as before, and a zone
// the user chose stays in force.
TEST(TimeZoneRules, KeepTheSystemZoneOrTheOneTheUserChose)
{
    KeptTimeZone kept;

    qunsetenv("TZ");
    const QList<qint64> system = localOffsets();
    readTimeZoneRulesOnce();
#if defined(Q_OS_LINUX)
    EXPECT_TRUE(qEnvironmentVariableIsSet("TZ"));
#endif
    EXPECT_EQ(localOffsets(), system);
    EXPECT_EQ(QTimeZone::systemTimeZone().offsetFromUtc(QDateTime(QDate(2026, 7, 1), QTime(12, 0))),
              QDateTime(QDate(2026, 7, 1), QTime(12, 0)).offsetFromUtc());

    if (!QTimeZone::isTimeZoneIdAvailable("America/New_York"))
        return; // no zone database beyond the system's own zone
    qputenv("TZ", "America/New_York");
    readTimeZoneRulesOnce();
    EXPECT_EQ(qgetenv("TZ"), QByteArray("America/New_York"));
    EXPECT_EQ(QDateTime(QDate(2026, 1, 15), QTime(12, 0)).offsetFromUtc(), -5 * 3600);
    EXPECT_EQ(QDateTime(QDate(2026, 7, 15), QTime(12, 0)).offsetFromUtc(), -4 * 3600);
}
