#include "platform/postgres/ServerAddress.h"

#include "platform/Error.h"

#include <QSqlError>
#include <QStringList>

#include <libpq-fe.h>

namespace {

[[noreturn]] void fail(const QString &description)
{
    throw Error(Error::DatabaseError, QStringLiteral("Database"), description);
}

// The options the address names, by keyword. Throws Error when libpq cannot read it.
QList<std::pair<QString, QString>> parse(const QString &serverName)
{
    char *message = nullptr;
    PQconninfoOption *options = PQconninfoParse(serverName.trimmed().toUtf8().constData(), &message);
    if (!options) {
        const QString reason = message ? QString::fromUtf8(message).trimmed() : QStringLiteral("out of memory");
        PQfreemem(message);
        fail(QStringLiteral("The server name \"%1\" cannot be read: %2").arg(serverName, reason));
    }
    QList<std::pair<QString, QString>> given;
    for (PQconninfoOption *option = options; option->keyword; ++option) {
        if (option->val)
            given.append({QString::fromUtf8(option->keyword), QString::fromUtf8(option->val)});
    }
    PQconninfoFree(options);
    return given;
}

// The connect timeout when nothing else gives one goes into the environment, where libpq looks
// only after the address and the service file it names: those, and the user's own
// PGCONNECT_TIMEOUT, come first. Set before main, while the program runs one thread only.
const bool g_defaultConnectTimeout = [] {
    if (qEnvironmentVariableIsEmpty("PGCONNECT_TIMEOUT"))
        qputenv("PGCONNECT_TIMEOUT", QByteArray::number(ServerAddress::ConnectTimeoutSeconds));
    return true;
}();

QString quotedValue(const QString &value)
{
    QString text = value;
    text.replace(QLatin1String("\\"), QLatin1String("\\\\")).replace(QLatin1String("'"), QLatin1String("\\'"));
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

} // namespace

namespace ServerAddress {

QString connectionString(const QString &serverName)
{
    QStringList parts;
    for (const auto &[keyword, value] : parse(serverName))
        parts << keyword + QLatin1Char('=') + quotedValue(value);
    return parts.join(QLatin1Char(' '));
}

QSqlDatabase open(const QString &serverName, const QString &connectionName)
{
    const QList<std::pair<QString, QString>> given = parse(serverName);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
    if (!db.isValid()) {
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName);
        fail(QStringLiteral("The PostgreSQL driver of Qt (libqt6sql6-psql) is not installed."));
    }
    QStringList options;
    for (const auto &[keyword, value] : given) {
        if (keyword == QLatin1String("host"))
            db.setHostName(value);
        else if (keyword == QLatin1String("dbname"))
            db.setDatabaseName(value);
        else if (keyword == QLatin1String("user"))
            db.setUserName(value);
        else if (keyword == QLatin1String("password"))
            db.setPassword(value);
        else
            options << keyword + QLatin1Char('=') + quotedValue(value); // values may hold blanks; ports
                                                                        // may be a list, one per host
    }
    db.setConnectOptions(options.join(QLatin1Char(';')));
    db.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
    if (!db.open()) {
        const QSqlError error = db.lastError();
        const QString reason = error.databaseText().trimmed().isEmpty() ? error.text() : error.databaseText();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName);
        fail(QStringLiteral("The database server \"%1\" cannot be reached or refused the log-on:\n%2")
                 .arg(serverName, reason.trimmed()));
    }
    return db;
}

} // namespace ServerAddress
