#include "editor/LineEntry.h"

#include "editor/EntryNumbers.h"
#include "editor/ItemFacts.h"
#include "editor/KitExpansion.h"
#include "platform/Messages.h"
#include "platform/Shell.h"
#include "widgets/Application.h"
#include "widgets/KeyEvents.h"
#include "widgets/Validation.h"
#include "records/clsItem.h"
#include "records/clsItemMaster.h"
#include "shell/Helpers.h"
#include "shell/NumberText.h"
#include "shell/Session.h"
#include "ui_frmMain.h"

#include <QEvent>
#include <QTimer>

namespace {

const QString CostFormat = QStringLiteral("########0.0000");
const QString EnteredCostFormat = QStringLiteral("#########0.0000");
const QString QuantityFormat = QStringLiteral("#########0");
const QString TotalFormat = QStringLiteral("###,###,##0.0000");

double AsDouble(Currency value) { return value.toDouble(); }

void SendTab()
{
    if (gShell)
        gShell->SendKeys(QStringLiteral("{Tab}"));
}

} // namespace

LineEntry::LineEntry(QWidget &window, Ui::frmMain &ui, ItemFacts &facts, DetailGrid &lines)
    : m_window(window), m_ui(ui), m_facts(facts), m_lines(lines)
{
    connectControls();
}

LineEntry::~LineEntry()
{
    Ui::frmMain &ui = m_ui;
    Validation::detach(ui.txtProdCode);
    Validation::detach(ui.txtWithdraw);
    Validation::detach(ui.txtUnitCost);
}

void LineEntry::connectControls()
{
    Ui::frmMain &ui = m_ui;

    Validation::attach(ui.txtProdCode, [this](bool &cancel) { txtProdCode_Validate(cancel); });
    Validation::attach(ui.txtWithdraw, [this](bool &cancel) { txtWithdraw_Validate(cancel); });
    Validation::attach(ui.txtUnitCost, [this](bool &cancel) { txtUnitCost_Validate(cancel); });

    // Any change of the entry, typed or copied in from the grid, may be placed in the grid.
    for (QLineEdit *box : {ui.txtProdCode, ui.txtWithdraw, ui.txtUnitCost})
        connect(box, &QLineEdit::textChanged, this, [this] { m_ui.cmdOK->setEnabled(true); });

    ui.txtProdCode->installEventFilter(this);
    ui.txtWithdraw->installEventFilter(this);

    const auto enterAsTab = [](int &keyAscii) {
        if (keyAscii == 13) {
            keyAscii = 0;
            SendTab();
        }
    };
    for (QWidget *control : std::initializer_list<QWidget *>{ui.txtProdCode, ui.txtProdName, ui.txtWithdraw,
                                                             ui.txtTotalCost, ui.txtTransDate, ui.cmdCode})
        KeyEvents::onKeyPress(control, enterAsTab);

    const auto enterToUpdate = [this](int &keyAscii) {
        if (keyAscii == 13) {
            keyAscii = 0;
            focusUpdateIfEnabled();
        }
    };
    for (QWidget *control : std::initializer_list<QWidget *>{ui.txtUnitCost, ui.optConsumed_0, ui.optConsumed_1})
        KeyEvents::onKeyPress(control, enterToUpdate);

    connect(ui.cmdCode, &QPushButton::clicked, this, GuardedSlot([this] { cmdCode_Click(); }));

    connect(ui.optConsumed_0, &QRadioButton::toggled, this, [this](bool selected) {
        if (selected)
            Guarded([this] { listOutOfDate(); });
    });
}

bool LineEntry::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn) {
        if (auto *box = qobject_cast<QLineEdit *>(watched)) {
            // Deferred: a mouse press that brings the focus would otherwise place the caret
            // and drop the selection again.
            QTimer::singleShot(0, box, [box] {
                if (box->hasFocus())
                    box->selectAll();
            });
        }
    }
    return QObject::eventFilter(watched, event);
}

void LineEntry::focusUpdateIfEnabled()
{
    QPushButton *update = m_ui.cmdOK;
    if (update->isEnabled())
        update->setFocus(Qt::OtherFocusReason);
}

void LineEntry::cmdCode_Click()
{
    gForceItemSearch = true;
    bool cancel = false;
    txtProdCode_Validate(cancel);
}

void LineEntry::txtProdCode_Validate(bool &cancel)
{
    cancel = false;
    try {
        validateCode(cancel);
    } catch (...) {
        // A failure while looking the code up leaves the entry as it is; the user corrects the
        // code or tries again.
        cancel = true;
    }
    gForceItemSearch = false;
}

void LineEntry::validateCode(bool &cancel)
{
    Ui::frmMain &ui = m_ui;

    const QString typed = ui.txtProdCode->text().trimmed();
    // "..." searches whatever the box holds, an empty box too: it lists every item of the location.
    if (typed.isEmpty() && !gForceItemSearch) {
        ui.txtProdName->clear();
        return;
    }

    if (!typed.isEmpty())
        ui.txtProdCode->setText(ItemIdFromBarcode(typed));

    LocationCombo *location = gClientName == QLatin1String("BEX") ? ui.cboTargetLocation : ui.cboLocation;

    clsItem item;
    item.setActiveConnection(CurrentConnection());
    const QString searchText = gForceItemSearch ? QString() : ui.txtProdCode->text();
    if (!item.SearchItem(searchText, location->Text(), location->Tag()))
        return;

    if (gAllowWDZeroOnHand) {
        if (item.OnHand() <= 0) {
            MsgBox(QStringLiteral("Zero Item Onhand"), MsgButtons::OK, MsgIcon::Critical, QStringLiteral("HEY!"));
            MsgBox(QStringLiteral("Enter another item"), MsgButtons::OK, MsgIcon::Information, QStringLiteral("OK"));
            ui.txtProdCode->setFocus(Qt::OtherFocusReason);
            cancel = true;
            return;
        }
        // The grid line takes the code box's text, so it must hold the chosen item's code even
        // when the item was found by its name.
        ui.txtProdCode->setText(item.ItemID());
    } else {
        ui.txtProdCode->setText(item.ItemID());
        KitExpansion kits(m_window, *ui.txtProdCode, *ui.grdDetails, m_lines);
        const QString code = ui.txtProdCode->text();
        if (kits.IsKit(code)) {
            kits.Offer(code);
            return;
        }
    }

    m_facts.fill(item);

    const QString unitCost = ui.txtUnitCost->text().trimmed();
    if (unitCost.isEmpty() || unitCost == QLatin1String("0.00"))
        ui.txtUnitCost->setText(Format(AsDouble(item.ItemMaster()->AverageCost()), CostFormat));

    if (item.IsADSStock())
        ui.chkAdS->setChecked(true);

    ui.txtWithdraw->setFocus(Qt::OtherFocusReason);
}

void LineEntry::txtWithdraw_Validate(bool &cancel)
{
    Ui::frmMain &ui = m_ui;
    cancel = false;

    if (ui.txtWithdraw->text().trimmed().isEmpty())
        ui.txtWithdraw->setText(QStringLiteral("0"));

    const QString text = ui.txtWithdraw->text();
    if (!IsEntryNumber(text)) {
        MsgBox(QStringLiteral("Invalid entry..."), MsgButtons::OK);
        cancel = true;
        return;
    }

    const double quantity = EntryValue(text);
    if (IsSwitchOn(QStringLiteral("5")) && EntryValue(ui.txtOnhand->text()) < quantity) {
        MsgBox(QStringLiteral("Quantity must be less than or equal to Current Stock..."), MsgButtons::OK,
               MsgIcon::Information, QStringLiteral("MESSAGE"));
        cancel = true;
        return;
    }

    ui.txtWithdraw->setText(Format(quantity, QuantityFormat));
    ComputeLineTotal();
}

void LineEntry::txtUnitCost_Validate(bool &cancel)
{
    Ui::frmMain &ui = m_ui;
    cancel = false;

    if (ui.txtUnitCost->text().trimmed().isEmpty())
        ui.txtUnitCost->setText(QStringLiteral("0.00"));

    const QString text = ui.txtUnitCost->text();
    if (!IsEntryNumber(text)) {
        MsgBox(QStringLiteral("Invalid entry..."), MsgButtons::OK);
        cancel = true;
        return;
    }

    const double cost = EntryValue(text);
    ui.txtAverageCost->setText(Format(cost, EnteredCostFormat));
    if (!(cost > 0))
        ui.txtUnitCost->setText(QStringLiteral("0.00"));
    ComputeLineTotal();
}

void LineEntry::ComputeLineTotal()
{
    Ui::frmMain &ui = m_ui;
    const QString quantityText = ui.txtWithdraw->text();
    const QString costText = ui.txtUnitCost->text();
    const double quantity = IsEntryNumber(quantityText) ? EntryValue(quantityText) : 0.0;
    const double cost = IsEntryNumber(costText) ? EntryValue(costText) : 0.0;
    ui.txtTotalCost->setText(Format(quantity * cost, TotalFormat));
}

void LineEntry::ShowItemDetails()
{
    m_facts.ShowItemDetails();
}
