#pragma once

#include <QObject>

namespace Ui {
class frmMain;
}
class ItemFacts;

// The request's lines in grdDetails: Update, Add, Delete, the grid's keys and row changes, and
// the read-outs under it (grand total, line counter).
class DetailGrid : public QObject
{
    Q_OBJECT

public:
    // The grid and the entry area's controls on the window's form; a line taken into the entry
    // area shows its item's facts.
    DetailGrid(Ui::frmMain &ui, ItemFacts &facts);
    ~DetailGrid() override;

    void LoadGridRow();
    void ComputeGrandTotal();
    void ShowLineCounter();

    void cmdOK_Click();
    void cmdAdd_Click();
    void cmdDelete_Click();

    // Clears the grid to the header and one blank row (the layout of a new request).
    void ResetForNewRequest();

    // A request shown for viewing only keeps its lines: the grid's "." key deletes none. The
    // window tells the grid when it shows a request so.
    void setViewingOnly(bool viewingOnly) { m_viewingOnly = viewingOnly; }

private:
    void connectControls();
    void grdDetails_DblClick();
    void grdDetails_KeyPress(int &keyAscii);
    void grdDetails_RowColChange();
    // Keeps the blank new-line row in view once the grid holds more lines than it shows.
    void keepLastRowInView();

    Ui::frmMain &m_ui;
    ItemFacts &m_facts;
    bool m_viewingOnly = false;
};
