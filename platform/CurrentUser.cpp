#include "platform/CurrentUser.h"

#include "platform/Messages.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

namespace {

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
    m_connection = Connection::openDataFolder(m_folder, !dataFolderIsConfigured());
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
    // The engine checks it: a server keeps only the passwords' hashes, which its own check reads.
    m_employeeCode = m_connection->checkLogon(employeeId, stored);
    return !m_employeeCode.isEmpty();
}

void CurrentUser::attach(std::unique_ptr<Connection> connection, const QString &employeeCode)
{
    m_connection = std::move(connection);
    m_folder = m_connection ? m_connection->folder() : QString();
    m_serverName = m_connection ? m_connection->serverName() : QString();
    m_employeeCode = employeeCode;
    m_connected = m_connection != nullptr;
}
