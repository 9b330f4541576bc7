#pragma once

#include "editor/Notice.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

namespace Ui {
class frmMain;
}
class DetailGrid;
class StoredRequest;

// The "List" tab: the requests addressed to the user's locations, the state and verification
// filters, opening a listed request into the "Details" tab, and the printing choice.
class RequestList : public QObject
{
    Q_OBJECT

public:
    // The list tab's controls on the window's form; a request opened fills the details tab's
    // header and its lines.
    RequestList(Ui::frmMain &ui, DetailGrid &lines);
    ~RequestList() override;

    // A request was loaded into the details tab, with its stored rows as read (none for "NEW").
    Notice<const StoredRequest &> requestLoaded;
    // The user chose the selected request to be opened (and may open it).
    Notice<> openRequested;

    void RefreshRequestList();
    // true loads the request of the selected list line; false the empty request ("NEW").
    void LoadRequest(bool selectedRequest);

    // Document number and requesting department id of the selected list line.
    QString selectedDocumentNumber() const;
    QString selectedTargetLocationId() const;

    // Prints the request shown ("Details" tab) or selected ("List" tab).
    void View();

    // The report engine's entry: the short or the full request report with its parameter values.
    // Tests replace it to see what would be printed.
    using PrintHook = std::function<void(bool shortForm, const QStringList &values)>;
    void setPrintHook(PrintHook hook) { m_printHook = std::move(hook); }
    static void printWithViewer(bool shortForm, const QStringList &values);
    // Parameter values of the report, in the order of its parameter fields.
    static QStringList reportValues(bool shortForm, const QString &documentNumber);

    void optOptions_Click();
    void chkverified_Click();
    void grdListing_DblClick();

    // The statement RefreshRequestList runs for the current filter.
    QString listStatement() const;

private:
    void showStoredHeader(const StoredRequest &stored);

    Ui::frmMain &m_ui;
    DetailGrid &m_lines;
    PrintHook m_printHook = &RequestList::printWithViewer;
};
