#pragma once

#include <QObject>

class frmMain;

// The item entry area of the details tab: the code, quantity and unit cost boxes with their
// validation, the item facts beside them, the line total, the retail options and their keys.
class LineEntry : public QObject
{
    Q_OBJECT

public:
    explicit LineEntry(frmMain &form);
    ~LineEntry() override;

    void ShowItemDetails();
    void ComputeLineTotal();

    // Validation of the code box (also run by the "..." button); cancel keeps the focus there.
    void txtProdCode_Validate(bool &cancel);
    void txtWithdraw_Validate(bool &cancel);
    void txtUnitCost_Validate(bool &cancel);

private:
    frmMain &m_form;
};
