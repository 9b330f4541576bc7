#pragma once

#include "platform/Messages.h"

#include <QList>
#include <QString>

#include <memory>

class CurrentUser;
class frmMain;

struct RequestLine
{
    QString itemId;
    QString quantity;
    QString unitCost;
};

// Works the request window as a clerk would, on databases of its own choosing: logs the
// employee on, loads the site settings, opens frmMain and saves, edits, verifies and deletes
// requests through the window's own buttons. Used by the multi-process client and by the fault
// tests, so that both exercise the real save path. Messages are recorded, never shown.
class RequestDriver
{
public:
    // database: a data folder, or a database on a PostgreSQL server as libpq's connection string.
    RequestDriver(const QString &database, const QString &employeeCode);
    ~RequestDriver();

    RequestDriver(const RequestDriver &) = delete;
    RequestDriver &operator=(const RequestDriver &) = delete;

    frmMain &form() { return *m_form; }
    MessageRecorder &messages() { return m_messages; }

    // Each returns false when the window refused or reported a failure (see messages()).
    // saveNew gives the number the window assigned, empty when the save failed.
    QString saveNew(const QList<RequestLine> &lines, const QString &remarks);
    bool edit(const QString &documentNumber, const QList<RequestLine> &lines, const QString &remarks);
    bool verify(const QString &documentNumber, const QString &supervisorId);
    bool remove(const QString &documentNumber);

    // The same work in two steps, so that another workstation can act in between: first what the
    // user does before pressing a button, then the button.
    bool openRequest(const QString &documentNumber); // the list re-read, the request opened
    bool selectListed(const QString &documentNumber); // the list re-read, the request selected
    void startNew(const QString &typedNumber = QString());
    bool saveShownWith(const QList<RequestLine> &lines, const QString &remarks);
    bool verifyShown(const QString &supervisorId);
    bool removeSelected();

private:
    void putLines(const QList<RequestLine> &lines);
    bool saveShown();

    MessageRecorder m_messages;
    std::unique_ptr<CurrentUser> m_user;
    std::unique_ptr<frmMain> m_form;
};
