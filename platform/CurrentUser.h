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
};

// Asks the user for an employee id and password; an empty optional means Cancel.
class LogonPrompt
{
public:
    virtual ~LogonPrompt() = default;
    virtual std::optional<LogonCredentials> ask() = 0;
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

    // Opens (and on first start creates) the data folder, then asks for the log-on until it is
    // accepted or cancelled. A failure to open the data shows one clear message and leaves
    // Connected false.
    void ShowMain();

    bool Connected() const { return m_connected; }
    Connection *sqlconnection() const { return m_connection.get(); }
    QString EmployeeCode() const { return m_employeeCode; }
    QString ServerName() const { return m_folder; }
    QString Database() const { return QStringLiteral("INVENTORY"); }
    QString ServerPassword() const { return QString(); }

    // Data folder: INVENTORY_REQUEST_DATA when set, else the per-user application data folder.
    static QString dataFolder();
    static bool dataFolderIsConfigured();

    // For tests and tools: log on without a prompt on an open connection.
    void attach(std::unique_ptr<Connection> connection, const QString &employeeCode);

private:
    bool checkLogon(const LogonCredentials &credentials);

    LogonPrompt *m_prompt;
    std::function<QString(const QString &)> m_passwordForm;
    QString m_passwordDeptCode;
    QString m_folder;
    QString m_employeeCode;
    std::unique_ptr<Connection> m_connection;
    bool m_connected = false;
};
