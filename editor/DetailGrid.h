#pragma once

#include <QObject>

class frmMain;

// The request's lines in grdDetails: Update, Add, Delete, the grid's keys and row changes, and
// the read-outs under it (grand total, line counter).
class DetailGrid : public QObject
{
    Q_OBJECT

public:
    explicit DetailGrid(frmMain &form);
    ~DetailGrid() override;

    void LoadGridRow();
    void ComputeGrandTotal();
    void ShowLineCounter();

    void cmdOK_Click();
    void cmdAdd_Click();
    void cmdDelete_Click();

    // Clears the grid to the header and one blank row (the layout of a new request).
    void ResetForNewRequest();

private:
    void connectControls();
    void grdDetails_DblClick();
    void grdDetails_KeyPress(int &keyAscii);
    void grdDetails_RowColChange();
    // Keeps the blank new-line row in view once the grid holds more lines than it shows.
    void keepLastRowInView();

    frmMain &m_form;
};
