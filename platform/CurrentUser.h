#pragma once

#include "platform/Database.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

struct LogonCredentials
{
    QString employeeId;
    QString password;
    // The database: empty for the embedded data folder, else a PostgreSQL server as libpq names
    // one ("host=... dbname=...", a postgresql:// URI, "service=...").
    QString server;
};

// Asks the user for an employee id and password (and the database); an empty optional means
// Cancel.
class LogonPrompt
{
public:
    virtual ~LogonPrompt() = default;
    virtual std::optional<LogonCredentials> ask() = 0;
    // The database the prompt offers before it is shown (the one this workstation used last).
    virtual QString offeredServer() const { return QString(); }
};

// The current-user component: the log-on, the logged-on employee and the connection.
class CurrentUser
{
public:
    // passwordForm turns a typed password into the form the staff register stores.
    CurrentUser(LogonPrompt *prompt, std::function<QString(const QString &)> passwordForm);
    ~CurrentUser();

    void setPasswordDeptCode(const QString &code) { m_passwordDeptCode = code; }
    QString PasswordDeptCode() const { return m_passwordDeptCode; }

    // Opens (and on first start creates) the data folder unless the prompt offers a server, then
    // asks for the log-on until it is accepted or cancelled. A data folder that cannot be opened
    // shows one clear message and leaves Connected false; a server that cannot be used shows one
    // clear message and the prompt again.
    void ShowMain();

    bool Connected() const { return m_connected; }
    Connection *sqlconnection() const { return m_connection.get(); }
    QString EmployeeCode() const { return m_employeeCode; }
    QString ServerName() const { return m_serverName.isEmpty() ? m_folder : m_serverName; }
    QString Database() const { return QStringLiteral("INVENTORY"); }
    QString ServerPassword() const { return QString(); }

    // Data folder: INVENTORY_REQUEST_DATA when set, else the per-user application data folder.
    static QString dataFolder();
    static bool dataFolderIsConfigured();

    // For tests and tools: log on without a prompt on an open connection.
    void attach(std::unique_ptr<Connection> connection, const QString &employeeCode);

private:
    bool checkLogon(const LogonCredentials &credentials);
    void openDataFolder();
    void openServer(const QString &serverName);
    // Opens the data folder (an empty name) or the server; a failure is one message and false.
    bool openDatabase(const QString &serverName);

    LogonPrompt *m_prompt;
    std::function<QString(const QString &)> m_passwordForm;
    QString m_passwordDeptCode;
    QString m_folder;
    QString m_serverName; // empty on the embedded data folder
    QString m_employeeCode;
    std::unique_ptr<Connection> m_connection;
    bool m_connected = false;
};
