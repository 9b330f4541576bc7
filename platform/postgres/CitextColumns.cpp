#include "platform/postgres/CitextColumns.h"

#include "platform/DatabaseScripts.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>

namespace {

// "table" -> its citext columns, all in lower case.
QHash<QString, QSet<QString>> readCitextColumns()
{
    static const QRegularExpression table(QStringLiteral("^CREATE TABLE (\\w+) \\((.*?)^\\);"),
                                          QRegularExpression::CaseInsensitiveOption |
                                              QRegularExpression::MultilineOption |
                                              QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression citextColumn(QStringLiteral("^\\s+(\\w+)\\s+citext\\b"),
                                                 QRegularExpression::CaseInsensitiveOption |
                                                     QRegularExpression::MultilineOption);
    QHash<QString, QSet<QString>> columns;
    auto tables = table.globalMatch(DatabaseScripts::text(QStringLiteral("postgres/schema.sql")));
    while (tables.hasNext()) {
        const QRegularExpressionMatch definition = tables.next();
        QSet<QString> &names = columns[definition.captured(1).toLower()];
        auto found = citextColumn.globalMatch(definition.captured(2));
        while (found.hasNext())
            names.insert(found.next().captured(1).toLower());
    }
    return columns;
}

} // namespace

namespace CitextColumns {

bool contains(const QString &table, const QString &column)
{
    static const QHash<QString, QSet<QString>> columns = readCitextColumns();
    return columns.value(table.toLower()).contains(column.toLower());
}

DistinctFirst::ExactTextFold exactTextFold()
{
    return {&contains, QStringLiteral("::text"), QStringLiteral("::citext")};
}

} // namespace CitextColumns
