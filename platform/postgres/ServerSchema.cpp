#include "platform/postgres/ServerSchema.h"

#include "platform/DatabaseScripts.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>

namespace {

struct Columns
{
    QHash<QString, QSet<QString>> citext; // "table" -> its citext columns, all in lower case
    QHash<QString, QSet<QString>> unique; // "table" -> its columns declared PRIMARY KEY or UNIQUE
};

Columns readColumns()
{
    static const QRegularExpression table(QStringLiteral("^CREATE TABLE (\\w+) \\((.*?)^\\);"),
                                          QRegularExpression::CaseInsensitiveOption |
                                              QRegularExpression::MultilineOption |
                                              QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression column(QStringLiteral("^\\s+(\\w+)\\s+(\\w+)([^\\n]*)$"),
                                           QRegularExpression::MultilineOption);
    static const QRegularExpression key(QStringLiteral("\\b(PRIMARY KEY|UNIQUE)\\b"),
                                        QRegularExpression::CaseInsensitiveOption);
    Columns columns;
    auto tables = table.globalMatch(DatabaseScripts::text(QStringLiteral("postgres/schema.sql")));
    while (tables.hasNext()) {
        const QRegularExpressionMatch definition = tables.next();
        const QString name = definition.captured(1).toLower();
        auto found = column.globalMatch(definition.captured(2));
        while (found.hasNext()) {
            const QRegularExpressionMatch line = found.next();
            const QString columnName = line.captured(1).toLower();
            if (line.captured(2).compare(QLatin1String("citext"), Qt::CaseInsensitive) == 0)
                columns.citext[name].insert(columnName);
            if (key.match(line.captured(3)).hasMatch())
                columns.unique[name].insert(columnName);
        }
    }
    return columns;
}

const Columns &columns()
{
    static const Columns read = readColumns();
    return read;
}

} // namespace

namespace ServerSchema {

bool isCitext(const QString &table, const QString &column)
{
    return columns().citext.value(table.toLower()).contains(column.toLower());
}

bool isUniqueKey(const QString &table, const QString &column)
{
    return columns().unique.value(table.toLower()).contains(column.toLower());
}

const DistinctFirst::Options &distinctFirstOptions()
{
    static const DistinctFirst::Options options = [] {
        DistinctFirst::Options made;
        made.exactText = &isCitext;
        made.toExactText = QStringLiteral("::text");
        made.back = QStringLiteral("::citext");
        made.lookupsAsJoins = true;
        made.uniqueKey = &isUniqueKey;
        return made;
    }();
    return options;
}

} // namespace ServerSchema
