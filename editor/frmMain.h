#pragma once

#include <QMainWindow>

#include <memory>

namespace Ui {
class frmMain;
}
class ItemFacts;
class LineEntry;
class DetailGrid;
class RequestList;
class RequestSaving;
class RestockSuggestion;
class RequestCopy;
class GridExport;

// The stock request editor: the one main window, with the "List" and "Details" tabs.
// Each concern of the window lives in a unit of its own that works on the same form:
// LineEntry (entry area and its validation), DetailGrid (the request's lines), RequestList
// (the list tab, reloading, printing choice), RequestSaving (save, verify, delete).
//
// Calls go down, events go up. The window puts the units together, calls them, and alone sets its
// mode (new request, viewing only, unsaved changes, the tab switches); a unit calls only the units
// below it (LineEntry the kit expansion, the kit expansion and the list the grid, the grid the item
// facts; all of them the shared look-ups) and reports to the window through its Notice members:
// a request saved, verified, deleted or loaded, a request to open, the list out of date.
class frmMain : public QMainWindow
{
    Q_OBJECT

public:
    explicit frmMain(QWidget *parent = nullptr);
    ~frmMain() override;

    Ui::frmMain &ui() { return *m_ui; }

    LineEntry &lineEntry() { return *m_lineEntry; }
    DetailGrid &detailGrid() { return *m_detailGrid; }
    RequestList &requestList() { return *m_requestList; }
    RequestSaving &requestSaving() { return *m_requestSaving; }
    RestockSuggestion &restockSuggestion() { return *m_restockSuggestion; }
    RequestCopy &requestCopy() { return *m_requestCopy; }
    GridExport &gridExport() { return *m_gridExport; }

    // The grids' context menu commands, also reached by their shortcuts while the grid has the
    // focus: the list's selected request copied into a new one, and either grid saved as CSV.
    void copySelectedRequest();
    void exportRequestList();
    void exportRequestLines();

    // Public members of the window.
    void LoadRights();
    void ClearAll();
    QString GetNewDocNumber();
    // The next number as GetNewDocNumber finds it, but a failure is thrown, not shown: saving
    // must not fall back to "1", which would replace the rows of request 1.
    QString nextDocumentNumber();
    bool Verify_DocumentNumber(const QString &documentNumber);
    void RefreshRequestList(); // forwards to RequestList

    bool PubIsVerifyInventoryRequest = false;
    bool IsNewRequest = false;
    bool TargetIsOrdinary = false;

    // Runs the start-up steps of the window (filling lists, rights, client and switch settings).
    void Form_Load();

    void cmdNew_Click();
    void cmdEdit_Click();
    void cmdCancel_Click();
    void cmdExit_Click();

    // Window-level key handling (Enter as Tab, apostrophe swallowed, letters upper-cased).
    void setKeyPreview(bool on);

    // Validation of the two header boxes, run when the focus leaves them (also by New).
    void cboLocation_Validate(bool &cancel);
    void cboTargetLocation_Validate(bool &cancel);

    void ApplyHeaderSwitches();

    // A request that is verified, processed or deleted is shown for viewing and printing only:
    // every control that would change its lines or save it is disabled.
    void setViewingOnly(bool viewingOnly);
    bool isViewingOnly() const { return m_viewingOnly; }

    // Whether the "Details" tab holds something that was not saved: a line typed, changed or
    // deleted, or a header field changed since the request was last loaded, saved or cleared.
    bool hasUnsavedChanges() const;
    // What the tab holds now is what is stored (or was deliberately abandoned).
    void markDetailsUnchanged();

protected:
    // Closing by the window's close box ends the program at once, unless the "Details" tab holds
    // unsaved changes: then it asks the same question as "E&xit".
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void SSTab1_Click(int previousTab);
    void cmdList_Click();
    void cmdDetails_Click();
    void connectUnits();
    void Form_KeyPress(QWidget *target, int &keyAscii);
    void connectControls();
    void resetTransDate();
    QStringList detailsContent() const;
    void addGridCommands();

    std::unique_ptr<Ui::frmMain> m_ui;
    std::unique_ptr<ItemFacts> m_itemFacts;
    std::unique_ptr<LineEntry> m_lineEntry;
    std::unique_ptr<DetailGrid> m_detailGrid;
    std::unique_ptr<RequestList> m_requestList;
    std::unique_ptr<RequestSaving> m_requestSaving;
    std::unique_ptr<RestockSuggestion> m_restockSuggestion;
    std::unique_ptr<RequestCopy> m_requestCopy;
    std::unique_ptr<GridExport> m_gridExport;
    int m_currentTab = 0;
    bool m_startingNewRequest = false; // New is switching to the details tab
    bool m_viewingOnly = false;
    bool m_exitConfirmed = false;
    QStringList m_unchangedDetails;
};
