#include "platform/tsql/PostgresPasses.h"

#include "platform/tsql/TsqlAdapter.h"
#include "platform/tsql/LockOnlyUpdate.h"
#include "platform/tsql/Passes.h"
#include "platform/tsql/SchemaFacts.h"

namespace PostgresPasses {

const Dialect &dialect()
{
    static const Dialect postgres{
        Dialect::Databases::Schemas,
        true,
        {{"isnull", QStringLiteral("coalesce")}, {"substring", QStringLiteral("substring")}},
        {QStringLiteral("CAST"), QStringLiteral(" AS INTEGER")},
        {QStringLiteral("CAST"), QStringLiteral(" AS DOUBLE PRECISION")},
        {QStringLiteral("CAST"), QStringLiteral(" AS TIMESTAMP")},
        Dialect::ComparedTexts::Trimmed,
    };
    return postgres;
}

const Passes &correct()
{
    using namespace TsqlPasses;
    static const Passes passes{
        {"missing keywords", &missingKeywords},
        {"database names", &databaseNames},
        {"functions", &functions},
        {"top as limit", &topAsLimit},
        {"like on the server", &likeOnServer},
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
        {"not empty as greater", &notEmptyAsGreater},
        {"like as lowered text", &likeAsLoweredText},
        {"order by lowered names", &orderByLoweredNames},
    };
    return passes;
}

// A single INSERT of values that returns nothing: no RETURNING, no second statement, no text or
// comment left open that would run into the next one in the batch.
QByteArray heldInsert(const AdaptedStatement &adapted)
{
    if (adapted.isProcedureCall() || !TsqlAdapter::speedPasses())
        return QByteArray();
    const QVector<SqlToken> tokens = tokenizeSql(adapted.sql);
    int last = int(tokens.size()) - 1;
    while (last >= 0 && (!tokens.at(last).isSignificant() || tokens.at(last).is(";")))
        --last;
    bool first = true;
    bool values = false;
    for (int i = 0; i <= last; ++i) {
        const SqlToken &token = tokens.at(i);
        if (token.kind == SqlToken::Space) {
            if (token.text.startsWith(QLatin1String("/*")) && !token.text.endsWith(QLatin1String("*/")))
                return QByteArray();
            continue;
        }
        if (first && !token.is("insert"))
            return QByteArray();
        first = false;
        if (token.is(";") || token.is("returning") || token.is("select") || token.is("with"))
            return QByteArray();
        if (token.kind == SqlToken::String && (token.text.size() < 2 || !token.text.endsWith(QLatin1Char('\''))))
            return QByteArray();
        if (token.kind == SqlToken::QuotedName && token.text.size() < 2)
            return QByteArray();
        values = values || token.is("values");
    }
    if (first || !values)
        return QByteArray();
    QString sql;
    for (int i = 0; i <= last; ++i)
        sql += tokens.at(i).text;
    return sql.toUtf8();
}

std::optional<RowLock> rowLock(const QString &sql)
{
    if (!TsqlAdapter::speedPasses())
        return std::nullopt;
    const std::optional<LockOnlyUpdate> update = LockOnlyUpdate::parse(sql);
    if (!update)
        return std::nullopt;
    // Waits for and locks the same rows as the update, with the update's lock strength.
    return RowLock{update->target, QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM %1 %2 FOR NO KEY UPDATE) locked")
                                       .arg(update->target, update->condition)};
}

QString foldedDistinct(const QString &sql)
{
    if (!TsqlAdapter::speedPasses())
        return QString();
    return DistinctFirst::rewrite(sql, distinctFirstOptions());
}

const DistinctFirst::Options &distinctFirstOptions()
{
    static const DistinctFirst::Options options = [] {
        DistinctFirst::Options made;
        made.exactText = &SchemaFacts::isCitext;
        made.toExactText = QStringLiteral("::text");
        made.back = QStringLiteral("::citext");
        made.lookupsAsJoins = true;
        made.uniqueKey = &SchemaFacts::isUniqueKey;
        return made;
    }();
    return options;
}

} // namespace PostgresPasses
