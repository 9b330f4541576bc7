#include "platform/sqlite/SqliteConnection.h"

#include "platform/sqlite/DataFolder.h"
#include "platform/sqlite/FileDamage.h"

#include <QDir>
#include <QSqlError>
#include <QSqlQuery>

// The embedded files' part of the log-on: opening the data folder the program works in, and the
// staff register's check of an employee id and password.

namespace {

const QString kSource = QStringLiteral("CurrentUser");

// The staff register check: bound values, so nothing the user types can change the statement.
const QString kLogonQuery = QStringLiteral(
    "SELECT EmployeeID FROM Password.tbPasswordMain WHERE EmployeeID = ? AND Password = ?");

// Reads one row from each database, so that a missing, locked or damaged file is reported at
// the log-on rather than at the first statement of the editor.
struct OpenCheck
{
    QString file;
    QString sql;
};
const QList<OpenCheck> kOpenChecks{{QStringLiteral("INVENTORY.sqlite"), QStringLiteral("SELECT count(*) FROM tbInvLocation")},
                                   {QStringLiteral("Password.sqlite"),
                                    QStringLiteral("SELECT count(*) FROM Password.tbPasswordMain")}};

// A damaged file is named, with what to do about it, rather than only in SQLite's words.
[[noreturn]] void queryFailed(const QString &folder, const QString &file, const QSqlError &error)
{
    if (!FileDamage::isDamaged(error.nativeErrorCode().toInt()))
        throw Error(Error::DatabaseError, kSource, error.text());
    throw Error(Error::DatabaseError, kSource,
                QStringLiteral("The database file %1 is damaged: %2. %3")
                    .arg(QDir::toNativeSeparators(QDir(folder).filePath(file)), error.databaseText(),
                         FileDamage::restoreAdvice()));
}

void runCheck(const QString &folder, QSqlDatabase db, const OpenCheck &check)
{
    QSqlQuery query(db);
    if (!query.exec(check.sql) || !query.next())
        queryFailed(folder, check.file, query.lastError());
}

} // namespace

std::unique_ptr<Connection> Connection::openDataFolder(const QString &folder, bool privateFolder)
{
    DataFolder::prepare(folder, privateFolder ? DataFolder::Access::Private : DataFolder::Access::AsGiven);
    std::unique_ptr<Connection> connection = Connection::open(folder);
    for (const OpenCheck &check : kOpenChecks)
        runCheck(folder, connection->database(), check);
    return connection;
}

QString SqliteConnection::checkLogon(const QString &employeeId, const QString &password)
{
    QSqlQuery query(database());
    query.setForwardOnly(true);
    if (!query.prepare(kLogonQuery))
        throw Error(Error::DatabaseError, kSource, query.lastError().text());
    query.addBindValue(employeeId);
    query.addBindValue(password);
    if (!query.exec())
        queryFailed(m_folder, QStringLiteral("Password.sqlite"), query.lastError());
    if (!query.next()) {
        if (query.lastError().isValid())
            queryFailed(m_folder, QStringLiteral("Password.sqlite"), query.lastError());
        return QString();
    }
    // The register's own spelling of the id is the one the client joins into its statements.
    return query.value(0).toString();
}

// A report makes its views in the connection's temporary schema when it runs.
bool SqliteConnection::hasFeature(Feature) const
{
    return false;
}

bool SqliteConnection::reachesDatabase(const QString &name)
{
    QSqlQuery query(database());
    if (!query.exec(QStringLiteral("PRAGMA database_list")))
        return false;
    while (query.next()) {
        if (query.value(1).toString().compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}
