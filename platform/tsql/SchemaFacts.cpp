#include "platform/tsql/SchemaFacts.h"

#include "platform/DatabaseScripts.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>

// The scripts are compiled into the core library as a resource; a static library's resources are
// registered by a call from outside any namespace.
static void registerSchemaResource()
{
    Q_INIT_RESOURCE(db);
}

namespace {

struct Facts
{
    QSet<QString> dateColumns;         // lower case
    QHash<QString, QString> spellings; // lower case -> as the embedded files' schema writes it
    QHash<QString, QSet<QString>> citext; // table -> its citext columns, all in lower case
    QHash<QString, QSet<QString>> unique; // table -> its columns declared PRIMARY KEY or UNIQUE
};

QString script(const QString &name)
{
    try {
        return DatabaseScripts::text(name);
    } catch (...) {
        return QString();
    }
}

// Column lines of the embedded files' schema: "    Name   TYPE ...".
void readFilesSchema(Facts &facts)
{
    const QString schema = script(QStringLiteral("schema.sql"));
    static const QRegularExpression dateColumn(QStringLiteral("^\\s+(\\w+)\\s+DATETIME\\b"),
                                               QRegularExpression::CaseInsensitiveOption |
                                                   QRegularExpression::MultilineOption);
    for (auto matches = dateColumn.globalMatch(schema); matches.hasNext();)
        facts.dateColumns.insert(matches.next().captured(1).toLower());
    static const QRegularExpression column(QStringLiteral("^\\s+(\\w+)\\s+[A-Z]"), QRegularExpression::MultilineOption);
    for (auto matches = column.globalMatch(schema); matches.hasNext();) {
        const QString name = matches.next().captured(1);
        facts.spellings.insert(name.toLower(), name);
    }
}

// CREATE TABLE blocks of the server's schema, one column a line.
void readServerSchema(Facts &facts)
{
    static const QRegularExpression table(QStringLiteral("^CREATE TABLE (\\w+) \\((.*?)^\\);"),
                                          QRegularExpression::CaseInsensitiveOption |
                                              QRegularExpression::MultilineOption |
                                              QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression column(QStringLiteral("^\\s+(\\w+)\\s+(\\w+)([^\\n]*)$"),
                                           QRegularExpression::MultilineOption);
    static const QRegularExpression key(QStringLiteral("\\b(PRIMARY KEY|UNIQUE)\\b"),
                                        QRegularExpression::CaseInsensitiveOption);
    auto tables = table.globalMatch(script(QStringLiteral("postgres/schema.sql")));
    while (tables.hasNext()) {
        const QRegularExpressionMatch definition = tables.next();
        const QString name = definition.captured(1).toLower();
        auto found = column.globalMatch(definition.captured(2));
        while (found.hasNext()) {
            const QRegularExpressionMatch line = found.next();
            const QString columnName = line.captured(1).toLower();
            if (line.captured(2).compare(QLatin1String("citext"), Qt::CaseInsensitive) == 0)
                facts.citext[name].insert(columnName);
            if (key.match(line.captured(3)).hasMatch())
                facts.unique[name].insert(columnName);
        }
    }
}

const Facts &facts()
{
    static const Facts read = [] {
        registerSchemaResource();
        Facts made;
        readFilesSchema(made);
        readServerSchema(made);
        return made;
    }();
    return read;
}

} // namespace

namespace SchemaFacts {

const QSet<QString> &dateColumns()
{
    return facts().dateColumns;
}

QString spelling(const QString &lowerCaseColumn)
{
    return facts().spellings.value(lowerCaseColumn);
}

bool isCitext(const QString &table, const QString &column)
{
    return facts().citext.value(table.toLower()).contains(column.toLower());
}

bool isUniqueKey(const QString &table, const QString &column)
{
    return facts().unique.value(table.toLower()).contains(column.toLower());
}

} // namespace SchemaFacts
