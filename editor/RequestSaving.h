#pragma once

#include "editor/Notice.h"
#include "editor/StoredRequest.h"

#include <QObject>
#include <QString>

#include <functional>

namespace Ui {
class frmMain;
}
class Connection;
class QWidget;

// Saving, verifying and deleting requests: the rows of tbInvWithdrawRequest.
class RequestSaving : public QObject
{
    Q_OBJECT

public:
    // The details tab and the list's selection on the window's form; the supervisor prompt opens
    // over the window.
    RequestSaving(QWidget &window, Ui::frmMain &ui);
    ~RequestSaving() override;

    // "&Save" wrote the request.
    Notice<> saved;
    // "&Verify" wrote the request (and the supervisor, when one was accepted).
    Notice<> verified;
    // The request selected in the list was marked deleted.
    Notice<> deleted;
    // A write was refused because another workstation changed the request: the list is out of date.
    Notice<> listOutOfDate;
    // The details tab holds what is stored now.
    Notice<> detailsStored;
    // The stored request the window holds is another one, or changed state (see rememberOpened).
    Notice<const StoredRequest &> openedChanged;

    // Writes the rows of the request in the details tab; false after a failure, already shown.
    bool SaveRequest();

    void cmdSave_Click();
    void cmdVerified_Click();
    void cmdVerify_Click();
    void cmdDeleteReq_Click();

    bool VerifyAfterSave = false;

    // The stored request the window holds, as it was opened or last written here; a request that
    // is no longer pending and unverified is shown for viewing only. New holds no stored rows.
    void rememberOpened(const StoredRequest &request);
    const StoredRequest &opened() const { return m_opened; }

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
    struct Refusal;

    // The document number checks of "&Save": not empty, a whole number when typed, not taken.
    // Each refusal is shown, with the focus in the number's box.
    bool documentNumberAccepted();
    // A number typed for a new request that another request already carries is refused with the
    // message of "&Save"; the focus goes back to the number.
    bool typedNumberIsTaken(const QString &documentNumber);
    void showNumberTaken();

    // Inside the save's transaction: throws a Refusal when the stored rows are not the ones the
    // window opened, or the typed number has been taken meanwhile.
    void refuseUnlessUnchanged(Connection &connection, const QString &number);
    // Records the supervisor on the rows just saved, in a transaction of its own that first checks
    // that nobody changed them while the prompt was open.
    bool recordVerification(Connection &connection, const QString &number, const QString &verifyId);
    void showRefusal(const Refusal &refusal);

    StoredRequest m_opened;

    QWidget &m_window;
    Ui::frmMain &m_ui;
    SupervisorPrompt m_prompt;
};
