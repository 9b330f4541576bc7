#include "pickers/frmItemLookup.h"

#include "pickers/SearchKeys.h"
#include "ui_frmItemLookup.h"

#include "pickers/PickerResources.h"
#include "platform/Database.h"
#include "platform/Messages.h"
#include "widgets/FlexGrid.h"
#include "widgets/KeyEvents.h"
#include "widgets/LocationCombo.h"
#include "shell/NumberText.h"
#include "shell/Session.h"

#include <QApplication>
#include <QEvent>

namespace {


// Widths in twips of the code, name, description, supplier and the two markup columns.
constexpr int ColumnWidths[] = {1000, 3000, 2000, 3000, 2000, 2000};

// The Tag of one of the request window's location boxes; empty when the window is not open.
QString requestLocationTag(const char *boxName)
{
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (window->objectName() != QLatin1String("frmMain"))
            continue;
        if (auto *box = window->findChild<LocationCombo *>(QLatin1String(boxName)))
            return box->Tag();
    }
    return QString();
}

} // namespace

frmItemLookup::frmItemLookup(QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::frmItemLookup>())
{
    initPickerResources();
    m_ui->setupUi(this);
    m_ui->grdLookup->setEditTriggers(QAbstractItemView::NoEditTriggers);

    connect(m_ui->txtSearch, &QLineEdit::textChanged, this, &frmItemLookup::txtSearch_Change);
    KeyEvents::onKeyPress(m_ui->txtSearch, [](int &keyAscii) {
        if (keyAscii > 0 && keyAscii <= 0xFFFF)
            keyAscii = QChar(char16_t(keyAscii)).toUpper().unicode();
    });
    connect(m_ui->cmdSearch, &QPushButton::clicked, this, &frmItemLookup::cmdSearch_Click);
    connect(m_ui->cmdOptions_0, &QPushButton::clicked, this, [this] { cmdOptions_Click(0); });
    connect(m_ui->cmdOptions_1, &QPushButton::clicked, this, [this] { cmdOptions_Click(1); });

    FlexGrid *grid = m_ui->grdLookup;
    connect(grid, &FlexGrid::DblClick, this, [this] { cmdOptions_Click(1); });
    connect(grid, &FlexGrid::KeyDown, this, &frmItemLookup::grdLookup_KeyDown);
    connect(grid, &FlexGrid::GotFocus, this, [this] { setSelectDefault(true); });
    connect(grid, &FlexGrid::LostFocus, this, [this] { setSelectDefault(false); });

    m_ui->txtSearch->installEventFilter(this);
    m_ui->picSearch->installEventFilter(this);
}

frmItemLookup::~frmItemLookup() = default;

void frmItemLookup::Form_Load()
{
    m_exactMatch = false;
    gLookupResult = QString();
    m_ui->txtLocation->setText(m_locationName);

    // Filling the box must not search on its own: the load runs the one search below.
    m_loading = true;
    m_ui->txtSearch->setText(m_searchString);
    m_loading = false;
    RunItemSearch(m_searchString);
}

void frmItemLookup::done(int result)
{
    QDialog::done(result);
    Form_Unload();
}

void frmItemLookup::Form_Unload()
{
    m_ui->grdLookup->setDataSource(nullptr);
    m_result.reset();
}

QString frmItemLookup::BuildSearchQuery(const QString &searchText, const QString &addressedLocationId,
                                        const QString &requestingLocationId) const
{
    QString sql;
    if (m_locationCode.trimmed().isEmpty()) {
        sql = QStringLiteral("Select A.ItemID as Code, A.ItemName As [Product Name], ")
              + QStringLiteral("A.ItemDesc As Description, B.SupplierName As Supplier, A.MarkupIn As "
                               "[In-Patient Markup], A.MarkupOut As [Out-Patient Markup],")
              + QStringLiteral("Case when A.ItemStatus = 1 then 'Inactive' Else 'Active' End  As Status, "
                               "A.Packing, A.ListCost,  ")
              + QStringLiteral("C.ItemClassificationName ")
              + QStringLiteral("From INVENTORY..tbInvMaster A ")
              + QStringLiteral("Left Outer Join INVENTORY..tbInvSupplier B ON A.SupplierID = B.SupplierID ")
              + QStringLiteral("Left Outer Join INVENTORY..tbInvClassification C ON A.ItemClassificationID = "
                               "C.ItemClassificationID ")
              + QStringLiteral(" Where ( A.ItemStatus = 0 or A.ItemStatus is Null ) and "
                               "IsNull(C.IsFixedAsset,0) <> 1 and ");
    } else {
        sql = QStringLiteral("Select A.ItemID as Code, A.ItemName As [Product Name], ")
              + QStringLiteral("A.ItemDesc As Description, B.SupplierName As Supplier, D.Markup_In As "
                               "[In-Patient Markup], D.Markup_Out As [Out-Patient Markup],")
              + QStringLiteral("Case when D.ItemStatus = 1 then 'Inactive' Else 'Active' end  As Status, "
                               "A.Packing, A.ListCost,  ")
              + QStringLiteral("C.ItemClassificationName ")
              + QStringLiteral("From INVENTORY..tbInvMaster A ")
              + QStringLiteral("Left Outer Join INVENTORY..tbInvent D ON A.ItemID = D.ItemID ")
              + QStringLiteral("Left Outer Join INVENTORY..tbInvSupplier B ON A.SupplierID = B.SupplierID ")
              + QStringLiteral("Left Outer join INVENTORY..tbInvClassification C ON A.ItemClassificationID = "
                               "C.ItemClassificationID ")
              + QStringLiteral("Where D.LocationID = '") + SqlText(addressedLocationId)
              + QStringLiteral("' and D.ItemID in (Select itemID from INVENTORY..tbinvent where locationid = '")
              + SqlText(requestingLocationId) + QStringLiteral("' and itemStatus = 0) and ")
              + QStringLiteral(" ( D.ItemStatus = 0 or D.ItemStatus is Null ) and ( A.ItemStatus = 0 or "
                               "A.ItemStatus is Null ) and IsNull(C.IsFixedAsset,0) <> 1 and ");
    }

    if (IsNumeric(searchText))
        sql += QStringLiteral(" A.ItemID = '") + SqlText(searchText.trimmed()) + QStringLiteral("' ");
    else
        sql += QStringLiteral(" A.ItemName Like '") + SqlText(searchText.trimmed().toUpper())
               + QStringLiteral("%'");
    sql += QStringLiteral(" Order by A.ItemName, A.ItemDesc");
    return sql;
}

bool frmItemLookup::RunItemSearch(const QString &searchText)
{
    auto result = std::make_shared<Recordset>();
    try {
        const QString sql = BuildSearchQuery(searchText, requestLocationTag("cboLocation"),
                                             requestLocationTag("cboTargetLocation"));
        result->cursorLocation = CursorLocation::Client;
        result->Open(sql, CurrentConnection(), CursorType::Static, LockType::ReadOnly);
    } catch (const Error &e) {
        MsgBox(e.Description(), MsgButtons::OK, MsgIcon::None);
        return false;
    }

    FlexGrid *grid = m_ui->grdLookup;
    m_result = result;
    if (m_result->RecordCount() == 0) {
        grid->setEnabled(false);
        m_ui->cmdOptions_1->setEnabled(false);
        grid->setDataSource(nullptr);
        grid->Clear();
        return false;
    }

    if (m_result->RecordCount() == 1) {
        m_exactMatch = true;
        m_result->MoveFirst();
        m_searchString = m_result->Fields(QStringLiteral("Code")).toString();
    }
    grid->setEnabled(true);
    m_ui->cmdOptions_1->setEnabled(true);
    grid->setDataSource(m_result);
    for (int col = 0; col < int(std::size(ColumnWidths)); ++col)
        grid->setColWidth(col, ColumnWidths[col]);
    return true;
}

void frmItemLookup::txtSearch_Change()
{
    if (!m_loading)
        RunItemSearch(m_ui->txtSearch->text());
}

void frmItemLookup::cmdSearch_Click()
{
    if (RunItemSearch(m_ui->txtSearch->text()))
        m_ui->grdLookup->setFocus();
    else
        m_ui->txtSearch->setFocus();
}

void frmItemLookup::cmdOptions_Click(int index)
{
    if (index == 1) {
        FlexGrid *grid = m_ui->grdLookup;
        // A double-click on an empty or disabled grid chooses nothing.
        if (!m_ui->cmdOptions_1->isEnabled() || grid->Rows() <= 1)
            return;
        gLookupResult = grid->TextMatrix(grid->Row(), 0);
        accept();
        return;
    }
    reject();
}

void frmItemLookup::grdLookup_KeyDown(int &keyCode, int)
{
    EditSearchFromGridKey(m_ui->txtSearch, keyCode);
}

void frmItemLookup::setSearchDefault(bool on)
{
    m_ui->cmdSearch->setDefault(on);
}

void frmItemLookup::setSelectDefault(bool on)
{
    m_ui->cmdOptions_1->setDefault(on);
}

bool frmItemLookup::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ui->txtSearch) {
        if (event->type() == QEvent::FocusIn)
            setSearchDefault(true);
        else if (event->type() == QEvent::FocusOut)
            setSearchDefault(false);
    } else if (watched == m_ui->picSearch && event->type() == QEvent::MouseButtonRelease) {
        cmdSearch_Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
