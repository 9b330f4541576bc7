#pragma once

#include <QObject>
#include <QString>

class frmMain;
class clsItem;

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

    void cmdCode_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void connectControls();
    void validateCode(bool &cancel);
    // The item boxes shared by the code validation and ShowItemDetails.
    void fillItemFacts(clsItem &item);
    void focusUpdateIfEnabled();

    frmMain &m_form;
};

// A number typed in an entry box or held in a grid cell. Numeric texts (thousands separators
// allowed) are read at their full value; any other text reads its leading number, as Val does.
double EntryValue(const QString &text);

// Whether an entry text is a number the request can hold: numeric, finite and no larger than
// the largest amount a currency column stores.
bool IsEntryNumber(const QString &text);
