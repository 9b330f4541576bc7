#include "editor/frmKitEntry.h"

#include "platform/Database.h"
#include "widgets/Application.h"
#include "shell/Session.h"
#include "ui_frmKitEntry.h"

#include <QLayout>

namespace {

const QString KitItemsQuery = QStringLiteral("Inventory..sp_Inv_KitofItems '");
const QString KitGridFormat = QStringLiteral("<Code |>Product Name |>Qty. |<UnitCost |<Packing |For Retail ");

bool s_allItems = false;

} // namespace

frmKitEntry::frmKitEntry(QWidget *parent) : QDialog(parent), m_ui(std::make_unique<Ui::frmKitEntry>())
{
    m_ui->setupUi(this);

    connect(m_ui->chkAddAllItems, &QCheckBox::clicked, this,
            [this] { setAllItems(m_ui->chkAddAllItems->isChecked()); });
    connect(m_ui->cmdSelect, &QPushButton::clicked, this, [this] { cmdSelect_Click(); });
    connect(m_ui->flexMSHDetails, &FlexGrid::DblClick, this, [this] { cmdSelect_Click(); });
    connect(m_ui->cmdClose, &QPushButton::clicked, this, &QDialog::reject);
}

frmKitEntry::~frmKitEntry() = default;

bool frmKitEntry::AllItems()
{
    return s_allItems;
}

void frmKitEntry::setAllItems(bool allItems)
{
    s_allItems = allItems;
}

int frmKitEntry::exec()
{
    // The grid's widths follow its own width, which the layout gives it only once it runs.
    if (layout())
        layout()->activate();
    LoadKitItems(m_itemId);
    return QDialog::exec();
}

void frmKitEntry::LoadKitItems(const QString &kitItemCode)
{
    FlexGrid *grid = m_ui->flexMSHDetails;
    grid->setRedraw(false);
    if (m_components && m_components->IsOpen())
        m_components->Close();

    try {
        auto components = std::make_shared<Recordset>();
        components->cursorLocation = CursorLocation::Client;
        components->Open(KitItemsQuery + SqlText(kitItemCode) + QLatin1Char('\''),
                         CurrentConnection(), CursorType::Static,
                         LockType::ReadOnly);
        m_components = components;

        FormatKitGrid();
        const bool any = m_components->RecordCount() > 0;
        grid->setEnabled(any);
        m_ui->cmdSelect->setEnabled(any);
        if (any)
            grid->setDataSource(m_components);
    } catch (...) {
        grid->setRedraw(true);
        throw;
    }
    grid->setRedraw(true);
}

void frmKitEntry::FormatKitGrid()
{
    FlexGrid *grid = m_ui->flexMSHDetails;
    grid->Clear();
    grid->setRows(2);
    grid->setCols(7);
    grid->setFormatString(KitGridFormat);
    grid->setColWidth(1, grid->ColWidth(1) * 4);
    grid->setColWidth(0, grid->width() * 15 / 7);
    for (int col : {2, 3, 4})
        grid->setColWidth(col, grid->ColWidth(0));
    grid->setColWidth(5, 1000);
    grid->setColWidth(6, 1000);
}

void frmKitEntry::cmdSelect_Click()
{
    FlexGrid *grid = m_ui->flexMSHDetails;
    m_itemId = grid->TextMatrix(grid->Row(), 0);
    accept();
}
