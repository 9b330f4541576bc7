#include "platform/tsql/TsqlAdapter.h"

#include "platform/tsql/Passes.h"
#include "platform/tsql/PostgresPasses.h"
#include "platform/tsql/SqlitePasses.h"

#include <QDate>
#include <QHash>
#include <QMutex>
#include <QRegularExpression>
#include <QTime>

#include <atomic>

namespace {

// INVENTORY_REQUEST_SPEED_PASSES=off starts a process with the speed passes switched off.
std::atomic<bool> g_speedPasses{qEnvironmentVariable("INVENTORY_REQUEST_SPEED_PASSES") != QLatin1String("off")};

AdaptedStatement translate(const QString &tsql, SqlDialect dialect, bool fast)
{
    const bool server = dialect == SqlDialect::Postgres;
    Statement statement(tsql, server ? PostgresPasses::dialect() : SqlitePasses::dialect());
    if (statement.count() == 0)
        return AdaptedStatement();
    if (std::optional<AdaptedStatement> call = TsqlPasses::procedureCall(statement))
        return *call;
    for (const Pass &pass : server ? PostgresPasses::correct() : SqlitePasses::correct())
        pass.apply(statement);
    if (fast) {
        for (const Pass &pass : server ? PostgresPasses::fast() : SqlitePasses::fast())
            pass.apply(statement);
    }
    AdaptedStatement adapted;
    adapted.sql = statement.text();
    return adapted;
}

} // namespace

namespace TsqlAdapter {

void setSpeedPasses(bool on)
{
    g_speedPasses = on;
}

bool speedPasses()
{
    return g_speedPasses;
}

QString withoutTrailingBlanks(QString text)
{
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return text;
}

QString isoFromMonthFirst(const QString &text)
{
    static const QRegularExpression form(
        QStringLiteral("^(\\d{1,2})/(\\d{1,2})/(\\d{4}) (\\d{1,2}):(\\d{2}):(\\d{2}) ?([AaPp][Mm])$"));
    if (text.size() < 19 || text.size() > 23)
        return QString();
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return QString();
    int hour = match.captured(4).toInt();
    if (hour < 1 || hour > 12)
        return QString();
    const bool pm = match.captured(7).startsWith(QLatin1Char('P'), Qt::CaseInsensitive);
    hour = hour % 12 + (pm ? 12 : 0);
    const QDate date(match.captured(3).toInt(), match.captured(1).toInt(), match.captured(2).toInt());
    const QTime time(hour, match.captured(5).toInt(), match.captured(6).toInt());
    if (!date.isValid() || !time.isValid())
        return QString();
    // The date and time as written: a time that the local clock skips or repeats when it changes
    // for daylight saving is a time of the hospital's records all the same.
    return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d", date.year(), date.month(), date.day(), time.hour(),
                             time.minute(), time.second());
}

AdaptedStatement adapt(const QString &tsql, SqlDialect dialect)
{
    // Lists and lookups repeat the same texts; inserts carry their values and rarely repeat, so
    // the cache is simply emptied when it grows large.
    static QMutex mutex;
    static QHash<QString, AdaptedStatement> cache[2][2];
    const bool fast = speedPasses();
    QHash<QString, AdaptedStatement> &adaptedTexts = cache[dialect == SqlDialect::Postgres ? 1 : 0][fast ? 1 : 0];
    {
        QMutexLocker lock(&mutex);
        const auto found = adaptedTexts.constFind(tsql);
        if (found != adaptedTexts.constEnd())
            return found.value();
    }
    AdaptedStatement adapted = translate(tsql, dialect, fast);
    QMutexLocker lock(&mutex);
    if (adaptedTexts.size() >= 1000)
        adaptedTexts.clear();
    adaptedTexts.insert(tsql, adapted);
    return adapted;
}

} // namespace TsqlAdapter
