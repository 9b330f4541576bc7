#include "editor/ItemFacts.h"

#include "widgets/WaitCursor.h"
#include "records/clsItem.h"
#include "records/clsItemMaster.h"
#include "shell/Helpers.h"
#include "shell/NumberText.h"
#include "shell/Session.h"
#include "ui_frmMain.h"

namespace {

const QString CostFormat = QStringLiteral("########0.0000");

double AsDouble(Currency value) { return value.toDouble(); }

} // namespace

ItemFacts::ItemFacts(Ui::frmMain &ui) : m_ui(ui) {}

void ItemFacts::fill(clsItem &item)
{
    Ui::frmMain &ui = m_ui;
    const auto master = item.ItemMaster();

    ui.txtProdName->setText(master->ItemName().trimmed() + QLatin1Char(' ') + master->ItemDesc());
    ui.txtListCost->setText(GeneralNumber(AsDouble(master->ListCost())));
    ui.txtPacking->setText(QString::number(master->Packing()));
    ui.txtOnhand->setText(GeneralNumber(item.OnHand()));
    ui.txtAverageCost->setText(Format(AsDouble(master->AverageCost()), CostFormat));
    ui.txtUOM->setText(item.UOMDescription());
    ui.txtMax->setText(GeneralNumber(item.MaxStock()));
    ui.txtMin->setText(GeneralNumber(item.MinimumStockLevel()));

    const bool ads = item.IsADSStock();
    ui.chkAdS->setVisible(ads);
    ui.lblADSStock->setVisible(ads);
    if (ads)
        ui.lblADSStock->setText(GeneralNumber(item.ADSStock()));
}

void ItemFacts::ShowItemDetails()
{
    WaitCursor wait;
    Ui::frmMain &ui = m_ui;

    clsItem item;
    item.setActiveConnection(CurrentConnection());
    // A blank code (the new-line row) names no item, although loading a blank id succeeds.
    const QString code = ui.txtProdCode->text();
    if (!code.trimmed().isEmpty() && item.LoadItem(code, ui.cboLocation->Tag())) {
        ui.txtProdCode->setText(item.ItemID());
        fill(item);
        return;
    }

    for (QLineEdit *box : {ui.txtProdCode, ui.txtProdName, ui.txtListCost, ui.txtPacking, ui.txtOnhand,
                           ui.txtAverageCost, ui.txtUnitCost, ui.txtUOM})
        box->clear();
}
