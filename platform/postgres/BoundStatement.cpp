#include "platform/postgres/BoundStatement.h"

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
