#pragma once

#include <QStringList>
#include <QVector>

#include <libpq-fe.h>

#include <memory>

using PgResult = std::unique_ptr<PGresult, decltype(&PQclear)>;

// Runs one statement with its values bound as texts: libpq sends them apart from the statement's
// text, so no value (a password, say) ever becomes part of a statement the server logs.
PgResult execBound(PGconn *connection, const char *sql, const QStringList &values);

// The result's rows, each value as text; a null is a null QString.
QVector<QStringList> resultRows(const PGresult *result);
