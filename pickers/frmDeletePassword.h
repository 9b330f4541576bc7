#pragma once

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class frmDeletePassword;
}

// The supervisor password prompt. The caller shows it modally and reads OKCharge and, when that
// is true, VerifyID. The outcome stays readable after the window closes, until it is shown again.
class frmDeletePassword : public QDialog
{
    Q_OBJECT

public:
    explicit frmDeletePassword(QWidget *parent = nullptr);
    ~frmDeletePassword() override;

    bool OKCharge() const { return m_okCharge; }
    QString VerifyID() const { return m_verifyId; }

    int exec() override;

    // True when the staff register holds a supervisor (departments "4" and "00", rights "A"/"S")
    // with this id and password. Throws Error when the database fails.
    static bool GetPassword(const QString &strEmployeeID, const QString &strPassword);

    void cmdEnter_Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void Form_Activate();
    void txtUserID_KeyPress(int &keyAscii);
    void txtPassword_KeyPress(int &keyAscii);

    std::unique_ptr<Ui::frmDeletePassword> m_ui;
    bool m_okCharge = false;
    QString m_verifyId;
};
