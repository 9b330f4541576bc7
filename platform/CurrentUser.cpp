#include "platform/CurrentUser.h"

#include "platform/sqlite/DataFolder.h"
#include "platform/Messages.h"

#include <QCoreApplication>
#include <QDir>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>

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

bool damagedFile(const QSqlError &error)
{
    const int code = error.nativeErrorCode().toInt() & 0xff;
    return code == 11 || code == 26; // SQLITE_CORRUPT, SQLITE_NOTADB
}

// A damaged file is named, with what to do about it, rather than only in SQLite's words.
[[noreturn]] void queryFailed(const QString &folder, const QString &file, const QSqlError &error)
{
    if (!damagedFile(error))
        throw Error(Error::DatabaseError, kSource, error.text());
    throw Error(Error::DatabaseError, kSource,
                QStringLiteral("The database file %1 is damaged: %2. Restore the last backup of the data folder; "
                               "\"inventory-request-admin check\" tells more.")
                    .arg(QDir::toNativeSeparators(QDir(folder).filePath(file)), error.databaseText()));
}

void runCheck(const QString &folder, QSqlDatabase db, const OpenCheck &check)
{
    QSqlQuery query(db);
    if (!query.exec(check.sql) || !query.next())
        queryFailed(folder, check.file, query.lastError());
}

void showFailure(const QString &text)
{
    MsgBox(text, MsgButtons::OK, MsgIcon::Critical);
}

} // namespace

CurrentUser::CurrentUser(LogonPrompt *prompt, std::function<QString(const QString &)> passwordForm)
    : m_prompt(prompt), m_passwordForm(std::move(passwordForm))
{
}

CurrentUser::~CurrentUser() = default;

bool CurrentUser::dataFolderIsConfigured()
{
    return !qEnvironmentVariable("INVENTORY_REQUEST_DATA").trimmed().isEmpty();
}

QString CurrentUser::dataFolder()
{
    if (dataFolderIsConfigured())
        return qEnvironmentVariable("INVENTORY_REQUEST_DATA");
    if (!QCoreApplication::applicationName().isEmpty()) {
        const QString appData = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        if (!appData.isEmpty())
            return appData;
    }
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("inventory-request"));
}

void CurrentUser::openDataFolder()
{
    m_folder = dataFolder();
    m_serverName.clear();
    DataFolder::prepare(m_folder, dataFolderIsConfigured() ? DataFolder::Access::AsGiven : DataFolder::Access::Private);
    m_connection = Connection::open(m_folder);
    for (const OpenCheck &check : kOpenChecks)
        runCheck(m_folder, m_connection->database(), check);
}

void CurrentUser::openServer(const QString &serverName)
{
    m_connection.reset();
    m_connection = Connection::openServer(serverName);
    m_serverName = serverName;
    m_folder.clear();
}

bool CurrentUser::openDatabase(const QString &serverName)
{
    try {
        if (serverName.isEmpty())
            openDataFolder();
        else
            openServer(serverName);
        return true;
    } catch (const Error &error) {
        m_connection.reset();
        showFailure(serverName.isEmpty()
                        ? QStringLiteral("The inventory data in \"%1\" cannot be opened.\n\n%2")
                              .arg(QDir::toNativeSeparators(m_folder), error.Description())
                        : QStringLiteral("The database server cannot be used.\n\n%1").arg(error.Description()));
        return false;
    }
}

void CurrentUser::ShowMain()
{
    m_connected = false;
    m_employeeCode.clear();
    m_connection.reset();
    m_serverName.clear();
    m_folder.clear();

    if ((!m_prompt || m_prompt->offeredServer().trimmed().isEmpty()) && !openDatabase(QString()))
        return;

    while (m_prompt) {
        const std::optional<LogonCredentials> credentials = m_prompt->ask();
        if (!credentials)
            break;
        // The database chosen in the prompt: the server is connected to (again) when it changed or
        // is not connected yet; a failure is one message and the prompt again.
        const QString server = credentials->server.trimmed();
        if ((!m_connection || server != m_serverName) && !openDatabase(server))
            continue;
        try {
            if (checkLogon(*credentials)) {
                m_connected = true;
                return;
            }
            showFailure(QStringLiteral("Invalid employee ID or password."));
        } catch (const Error &error) {
            showFailure(QStringLiteral("The log-on could not be checked.\n\n%1").arg(error.Description()));
        }
    }
    m_connection.reset();
}

bool CurrentUser::checkLogon(const LogonCredentials &credentials)
{
    const QString employeeId = credentials.employeeId.trimmed();
    if (employeeId.isEmpty() || !m_connection)
        return false;
    const QString stored = m_passwordForm ? m_passwordForm(credentials.password) : credentials.password;
    // A server keeps only the passwords' hashes, which its own check reads.
    if (m_connection->onServer()) {
        m_employeeCode = m_connection->checkServerLogon(employeeId, stored);
        return !m_employeeCode.isEmpty();
    }

    QSqlQuery query(m_connection->database());
    query.setForwardOnly(true);
    if (!query.prepare(kLogonQuery))
        throw Error(Error::DatabaseError, kSource, query.lastError().text());
    query.addBindValue(employeeId);
    query.addBindValue(stored);
    if (!query.exec())
        queryFailed(m_folder, QStringLiteral("Password.sqlite"), query.lastError());
    if (!query.next()) {
        if (query.lastError().isValid())
            queryFailed(m_folder, QStringLiteral("Password.sqlite"), query.lastError());
        return false;
    }
    // The register's own spelling of the id is the one the client joins into its statements.
    m_employeeCode = query.value(0).toString();
    return true;
}

void CurrentUser::attach(std::unique_ptr<Connection> connection, const QString &employeeCode)
{
    m_connection = std::move(connection);
    m_folder = m_connection ? m_connection->folder() : QString();
    m_serverName = m_connection ? m_connection->serverName() : QString();
    m_employeeCode = employeeCode;
    m_connected = m_connection != nullptr;
}
