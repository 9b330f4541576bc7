#pragma once

#include "platform/CurrentUser.h"

#include <QDialog>

#include <memory>

namespace Ui {
class LogonDialog;
}

// The log-on dialog of the current-user component: employee id, masked password and the
// "Server" box (empty for the embedded data folder), which this workstation remembers.
class LogonDialog : public QDialog, public LogonPrompt
{
    Q_OBJECT

public:
    explicit LogonDialog(QWidget *parent = nullptr);
    ~LogonDialog() override;

    // Shows the dialog modally; the typed credentials on OK, nothing on Cancel or close. The
    // password box is emptied each time, the employee id is kept for another try.
    std::optional<LogonCredentials> ask() override;
    QString offeredServer() const override;

private:
    std::unique_ptr<Ui::LogonDialog> m_ui;
};
