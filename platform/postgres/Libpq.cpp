#include "platform/postgres/Libpq.h"

#include "platform/Error.h"
#include "platform/postgres/ServerAddress.h"

#include <QSqlDriver>
#include <QVariant>

PgConnection connectDirectly(const QString &serverName, const QString &source)
{
    PgConnection connection(PQconnectdb(ServerAddress::connectionString(serverName).toUtf8().constData()),
                            &PQfinish);
    if (PQstatus(connection.get()) != CONNECTION_OK)
        throw Error(Error::DatabaseError, source,
                    QStringLiteral("The database server \"%1\" cannot be reached or refused the log-on:\n%2")
                        .arg(serverName, QString::fromUtf8(PQerrorMessage(connection.get())).trimmed()));
    PQsetNoticeProcessor(
        connection.get(), [](void *, const char *) {}, nullptr);
    return connection;
}

PgResult execBound(PGconn *connection, const char *sql, const QStringList &values)
{
    QVector<QByteArray> texts;
    texts.reserve(values.size());
    for (const QString &value : values)
        texts.append(value.toUtf8());
    QVector<const char *> pointers;
    pointers.reserve(texts.size());
    for (const QByteArray &text : std::as_const(texts))
        pointers.append(text.constData());
    return PgResult(
        PQexecParams(connection, sql, int(pointers.size()), nullptr, pointers.constData(), nullptr, nullptr, 0),
        &PQclear);
}

QVector<QStringList> resultRows(const PGresult *result)
{
    QVector<QStringList> rows;
    for (int row = 0; row < PQntuples(result); ++row) {
        QStringList fields;
        for (int column = 0; column < PQnfields(result); ++column)
            fields << (PQgetisnull(result, row, column) ? QString()
                                                         : QString::fromUtf8(PQgetvalue(result, row, column)));
        rows.append(fields);
    }
    return rows;
}

PGconn *nativeHandle(const QSqlDatabase &db)
{
    if (!db.isOpen() || !db.driver())
        return nullptr;
    // Qt names the handle's type after the struct behind libpq's typedef.
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() ||
        (qstrcmp(handle.typeName(), "PGconn*") != 0 && qstrcmp(handle.typeName(), "pg_conn*") != 0))
        return nullptr;
    return *static_cast<PGconn *const *>(handle.constData());
}
