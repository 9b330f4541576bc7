#include "platform/tsql/SqlitePasses.h"

#include "platform/tsql/TsqlAdapter.h"
#include "platform/tsql/DistinctFirst.h"
#include "platform/tsql/LockOnlyUpdate.h"
#include "platform/tsql/Passes.h"

namespace SqlitePasses {

const Dialect &dialect()
{
    static const Dialect sqlite{
        Dialect::Databases::AttachedFiles,
        false,
        {{"isnull", QStringLiteral("ifnull")}, {"substring", QStringLiteral("substr")}},
        {QStringLiteral("CAST"), QStringLiteral(" AS INTEGER")},
        {QStringLiteral("CAST"), QStringLiteral(" AS REAL")},
        {QString(), QString()}, // dates are kept as their text
        Dialect::ComparedTexts::Collated,
    };
    return sqlite;
}

const Passes &correct()
{
    using namespace TsqlPasses;
    static const Passes passes{
        {"missing keywords", &missingKeywords},
        {"database names", &databaseNames},
        {"functions", &functions},
        {"top as limit", &topAsLimit},
        {"month-first dates", &monthFirstDates},
        {"compared texts", &comparedTexts},
        {"text joins", &textJoins},
    };
    return passes;
}

const Passes &fast()
{
    using namespace TsqlPasses;
    static const Passes passes{
        {"like prefix ranges", &likePrefixRanges},
        {"equality ranges", &equalityRanges},
    };
    return passes;
}

std::optional<LiteralInsert> boundInsert(const QString &sql)
{
    if (!TsqlAdapter::speedPasses())
        return std::nullopt;
    return LiteralInsert::parse(sql);
}

QString foldedDistinct(const QString &sql)
{
    if (!TsqlAdapter::speedPasses())
        return QString();
    return DistinctFirst::rewrite(sql);
}

QString lockOnlyUpdateTable(const QString &sql)
{
    if (!TsqlAdapter::speedPasses())
        return QString();
    return unchangingUpdateTable(sql);
}

} // namespace SqlitePasses
