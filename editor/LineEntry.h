#pragma once

#include "editor/Notice.h"

#include <QObject>
#include <QString>

namespace Ui {
class frmMain;
}
class DetailGrid;
class ItemFacts;
class QWidget;

// The item entry area of the details tab: the code, quantity and unit cost boxes with their
// validation, the item facts beside them, the line total, the retail options and their keys.
class LineEntry : public QObject
{
    Q_OBJECT

public:
    // The entry area's controls on the window's form; a kit entered expands into the lines.
    LineEntry(QWidget &window, Ui::frmMain &ui, ItemFacts &facts, DetailGrid &lines);
    ~LineEntry() override;

    // The retail option was chosen: the request list is out of date.
    Notice<> listOutOfDate;

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
    void focusUpdateIfEnabled();

    QWidget &m_window;
    Ui::frmMain &m_ui;
    ItemFacts &m_facts;
    DetailGrid &m_lines;
};
