#pragma once

#include <QObject>
#include <QString>

#include <functional>

class frmMain;

// Saving, verifying and deleting requests: the rows of tbInvWithdrawRequest.
class RequestSaving : public QObject
{
    Q_OBJECT

public:
    explicit RequestSaving(frmMain &form);
    ~RequestSaving() override;

    // Writes the rows of the request in the details tab; false after a failure, already shown.
    bool SaveRequest();

    void cmdSave_Click();
    void cmdVerified_Click();
    void cmdVerify_Click();
    void cmdDeleteReq_Click();

    bool VerifyAfterSave = false;

    // The supervisor prompt: shown modally, it answers whether a supervisor was accepted and
    // who. Replaceable so that the window can be driven without the prompt.
    struct SupervisorAnswer
    {
        bool okCharge = false;
        QString verifyId;
    };
    using SupervisorPrompt = std::function<SupervisorAnswer()>;
    void setSupervisorPrompt(SupervisorPrompt prompt) { m_prompt = std::move(prompt); }
    SupervisorAnswer askSupervisor();

private:
    // A number typed for a new request that another request already carries is refused with the
    // message of "&Save"; the focus goes back to the number.
    bool typedNumberIsTaken(const QString &documentNumber);
    void showNumberTaken();

    frmMain &m_form;
    SupervisorPrompt m_prompt;
};
