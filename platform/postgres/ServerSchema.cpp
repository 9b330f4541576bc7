#include "platform/postgres/ServerSchema.h"

#include "platform/tsql/PostgresPasses.h"
#include "platform/tsql/SchemaFacts.h"

namespace ServerSchema {

bool isCitext(const QString &table, const QString &column)
{
    return SchemaFacts::isCitext(table, column);
}

bool isUniqueKey(const QString &table, const QString &column)
{
    return SchemaFacts::isUniqueKey(table, column);
}

const DistinctFirst::Options &distinctFirstOptions()
{
    return PostgresPasses::distinctFirstOptions();
}

} // namespace ServerSchema
