#include "pickers/LogonDialog.h"

#include "platform/Database.h"

#include "ui_LogonDialog.h"

#include <QSettings>

namespace {

const QString ServerKey = QStringLiteral("logon/server");

} // namespace

LogonDialog::LogonDialog(QWidget *parent) : QDialog(parent), m_ui(std::make_unique<Ui::LogonDialog>())
{
    m_ui->setupUi(this);
    m_ui->txtServer->setText(QSettings().value(ServerKey).toString());
    connect(m_ui->cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

LogonDialog::~LogonDialog() = default;

std::optional<LogonCredentials> LogonDialog::ask()
{
    m_ui->txtPassword->clear();
    if (m_ui->txtEmployeeId->text().isEmpty())
        m_ui->txtEmployeeId->setFocus();
    else
        m_ui->txtPassword->setFocus();
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    LogonCredentials credentials{m_ui->txtEmployeeId->text().trimmed(), m_ui->txtPassword->text(),
                                 m_ui->txtServer->text().trimmed()};
    m_ui->txtPassword->clear();
    // The password stays in the box for this session only; ~/.pgpass is the place for one.
    QSettings().setValue(ServerKey, Connection::serverNameWithoutPassword(credentials.server));
    return credentials;
}

QString LogonDialog::offeredServer() const
{
    return m_ui->txtServer->text().trimmed();
}
