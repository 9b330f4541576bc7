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
const QStringList kOpenChecks{QStringLiteral("SELECT count(*) FROM tbInvLocation"),
                              QStringLiteral("SELECT count(*) FROM Password.tbPasswordMain")};

void runCheck(QSqlDatabase db, const QString &sql)
{
    QSqlQuery query(db);
    if (!query.exec(sql) || !query.next())
        throw Error(Error::DatabaseError, kSource, query.lastError().text());
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

QString CurrentUser::dataFolder()
{
    const QString configured = qEnvironmentVariable("INVENTORY_REQUEST_DATA");
    if (!configured.trimmed().isEmpty())
        return configured;
    if (!QCoreApplication::applicationName().isEmpty()) {
        const QString appData = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        if (!appData.isEmpty())
            return appData;
    }
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("inventory-request"));
}

void CurrentUser::ShowMain()
{
    m_connected = false;
    m_employeeCode.clear();
    m_connection.reset();
    m_folder = dataFolder();

    try {
        if (!DataFolder::hasDatabases(m_folder))
            DataFolder::create(m_folder, DataFolder::Content::DemoData);
        m_connection = Connection::open(m_folder);
        for (const QString &check : kOpenChecks)
            runCheck(m_connection->database(), check);
    } catch (const Error &error) {
        m_connection.reset();
        showFailure(QStringLiteral("The inventory data in \"%1\" cannot be opened.\n\n%2")
                        .arg(QDir::toNativeSeparators(m_folder), error.Description()));
        return;
    }

    while (m_prompt) {
        const std::optional<LogonCredentials> credentials = m_prompt->ask();
        if (!credentials)
            break;
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

    QSqlQuery query(m_connection->database());
    query.setForwardOnly(true);
    if (!query.prepare(kLogonQuery))
        throw Error(Error::DatabaseError, kSource, query.lastError().text());
    query.addBindValue(employeeId);
    query.addBindValue(stored);
    if (!query.exec())
        throw Error(Error::DatabaseError, kSource, query.lastError().text());
    if (!query.next())
        return false;
    // The register's own spelling of the id is the one the client joins into its statements.
    m_employeeCode = query.value(0).toString();
    return true;
}

void CurrentUser::attach(std::unique_ptr<Connection> connection, const QString &employeeCode)
{
    m_connection = std::move(connection);
    m_folder = m_connection ? m_connection->folder() : QString();
    m_employeeCode = employeeCode;
    m_connected = m_connection != nullptr;
}
