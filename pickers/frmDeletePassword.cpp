#include "pickers/frmDeletePassword.h"

#include "ui_frmDeletePassword.h"

#include "pickers/core/modEncryption.h"
#include "platform/Database.h"
#include "platform/Messages.h"
#include "widgets/KeyEvents.h"
#include "shell/Session.h"

#include <QShowEvent>

namespace {

constexpr int KeyEnter = 13;
constexpr int KeyEscape = 27;

} // namespace

frmDeletePassword::frmDeletePassword(QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::frmDeletePassword>())
{
    m_ui->setupUi(this);
    connect(m_ui->cmdEnter, &QPushButton::clicked, this, &frmDeletePassword::cmdEnter_Click);
    KeyEvents::onKeyPress(m_ui->txtUserID, [this](int &keyAscii) { txtUserID_KeyPress(keyAscii); });
    KeyEvents::onKeyPress(m_ui->txtPassword, [this](int &keyAscii) { txtPassword_KeyPress(keyAscii); });
}

frmDeletePassword::~frmDeletePassword() = default;

int frmDeletePassword::exec()
{
    return QDialog::exec();
}

void frmDeletePassword::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        Form_Activate();
}

void frmDeletePassword::Form_Activate()
{
    m_okCharge = false;
    m_verifyId.clear();
    // Each showing starts blank, as a freshly loaded window does; no password lingers.
    m_ui->txtUserID->clear();
    m_ui->txtPassword->clear();
    m_ui->txtUserID->setFocus();
}

void frmDeletePassword::txtUserID_KeyPress(int &keyAscii)
{
    if (keyAscii == KeyEnter) {
        keyAscii = 0;
        m_ui->txtPassword->setFocus();
    } else if (keyAscii == KeyEscape) {
        keyAscii = 0;
        reject();
    }
}

void frmDeletePassword::txtPassword_KeyPress(int &keyAscii)
{
    if (keyAscii == KeyEnter) {
        keyAscii = 0;
        cmdEnter_Click();
    } else if (keyAscii == KeyEscape) {
        keyAscii = 0;
        reject();
    }
}

void frmDeletePassword::cmdEnter_Click()
{
    const QString employeeId = m_ui->txtUserID->text().trimmed();
    bool valid = false;
    try {
        valid = GetPassword(employeeId, m_ui->txtPassword->text().trimmed());
    } catch (const Error &e) {
        MsgBox(QStringLiteral("The password could not be checked.\n\n") + e.Description(), MsgButtons::OK,
               MsgIcon::Critical);
        m_ui->txtPassword->setFocus();
        return;
    }

    if (valid) {
        m_okCharge = true;
        m_verifyId = employeeId;
        accept();
        return;
    }
    MsgBox(QStringLiteral("Password not valid!"), MsgButtons::OK, MsgIcon::Information);
    m_ui->txtPassword->setFocus();
}

bool frmDeletePassword::GetPassword(const QString &strEmployeeID, const QString &strPassword)
{
    const QString scrambled = StaffPasswordForm(strPassword);
    const QString sql = QStringLiteral("Select EmployeeId, Password ")
                        + QStringLiteral("from password..tbpasswordmain ")
                        + QStringLiteral("where departmentid in ('4','00') ")
                        + QStringLiteral("and Right_Code1 = 'A' and Right_Code2 = 'S' ")
                        + QStringLiteral("and Employeeid = '") + SqlText(strEmployeeID)
                        + QStringLiteral("' and Password = '") + SqlText(scrambled) + QStringLiteral("'");

    Recordset rs;
    rs.cursorLocation = CursorLocation::Client;
    rs.Open(sql, CurrentConnection(), CursorType::Static, LockType::ReadOnly);
    const bool found = rs.RecordCount() > 0;
    rs.Close();
    return found;
}
