#include "pickers/frmLookup.h"

#include "pickers/SearchKeys.h"
#include "ui_frmLookup.h"

#include "pickers/PickerResources.h"
#include "platform/Database.h"
#include "platform/Messages.h"
#include "widgets/FlexGrid.h"
#include "widgets/KeyEvents.h"
#include "shell/NumberText.h"
#include "shell/Session.h"

#include <QEvent>

#include <cmath>

namespace {

constexpr double NameColumnWidth = 4199.811; // twips

QString captionFor(int lookupType)
{
    switch (lookupType) {
    case frmLookup::Supplier:
        return QStringLiteral("Supplier");
    case frmLookup::Terms:
        return QStringLiteral("Terms of Payment");
    case frmLookup::UnitOfMeasure:
        return QStringLiteral("Unit of Measure");
    default:
        return QString();
    }
}

} // namespace

frmLookup::frmLookup(QWidget *parent) : QDialog(parent), m_ui(std::make_unique<Ui::frmLookup>())
{
    initPickerResources();
    m_ui->setupUi(this);
    m_ui->grdLookup->setEditTriggers(QAbstractItemView::NoEditTriggers);

    KeyEvents::onKeyPress(m_ui->txtSearch, [](int &keyAscii) {
        if (keyAscii > 0 && keyAscii <= 0xFFFF)
            keyAscii = QChar(char16_t(keyAscii)).toUpper().unicode();
    });
    connect(m_ui->cmdSearch, &QPushButton::clicked, this, &frmLookup::cmdSearch_Click);
    connect(m_ui->cmdOptions_0, &QPushButton::clicked, this, [this] { cmdOptions_Click(0); });
    connect(m_ui->cmdOptions_1, &QPushButton::clicked, this, [this] { cmdOptions_Click(1); });

    FlexGrid *grid = m_ui->grdLookup;
    connect(grid, &FlexGrid::DblClick, this, [this] { cmdOptions_Click(1); });
    connect(grid, &FlexGrid::KeyDown, this, &frmLookup::grdLookup_KeyDown);
    connect(grid, &FlexGrid::GotFocus, this, [this] { m_ui->cmdOptions_1->setDefault(true); });
    connect(grid, &FlexGrid::LostFocus, this, [this] { m_ui->cmdOptions_1->setDefault(false); });

    m_ui->txtSearch->installEventFilter(this);
}

frmLookup::~frmLookup() = default;

void frmLookup::Form_Load()
{
    m_exactMatch = false;
    gLookupResult = QString();
    setWindowTitle(captionFor(m_lookupType));
    m_ui->txtSearch->setText(m_searchString);
    RunLookupQuery(m_searchString);
}

void frmLookup::done(int result)
{
    QDialog::done(result);
    Form_Unload();
}

void frmLookup::Form_Unload()
{
    m_ui->grdLookup->setDataSource(nullptr);
    m_result.reset();
}

QString frmLookup::BuildLookupQuery(int lookupType, const QString &searchText)
{
    const QString s = searchText.trimmed().toUpper();
    const bool numeric = IsNumeric(searchText);
    QString sql;

    switch (lookupType) {
    case Supplier:
        sql = QStringLiteral("Select DISTINCT SupplierName as Supplier,SupplierID As Code From "
                             "INVENTORY..tbinvSupplier ");
        if (numeric)
            sql += QStringLiteral(" Where SupplierID = '") + SqlText(s) + QStringLiteral("'");
        else
            sql += QStringLiteral(" Where SupplierName Like '") + SqlText(s) + QStringLiteral("%'");
        sql += QStringLiteral(" and  (not Status = 'I' or Status is null) ORDER by SupplierName");
        break;
    case Terms:
        sql = QStringLiteral("Select DISTINCT Terms AS [Terms of Payment] , TermsID as Code From "
                             "INVENTORY..tbinvTerms ");
        // The id goes bare; only a numeric text takes this form.
        if (numeric)
            sql += QStringLiteral(" Where TermsID = ") + s;
        else
            sql += QStringLiteral(" Where Terms Like '") + SqlText(s) + QStringLiteral("%'");
        sql += QStringLiteral(" and  (not Status = 'I' or Status is null) Order by Terms");
        break;
    case UnitOfMeasure:
        sql = QStringLiteral("Select UnitOfMeasure As [Unit of Measure], UnitOfMeasureID as Code From "
                             "INVENTORY..tbinvUnitOfMeasure ");
        if (numeric)
            sql += QStringLiteral(" Where UnitOfMeasureID = ") + s;
        else
            sql += QStringLiteral(" Where UnitOfMeasure Like '") + SqlText(s) + QStringLiteral("%'");
        sql += QStringLiteral(" and ( Not Status = 'I' or Status is Null ) Order by UnitOfMeasure");
        break;
    default:
        break;
    }
    return sql;
}

bool frmLookup::RunLookupQuery(const QString &searchText)
{
    auto result = std::make_shared<Recordset>();
    try {
        const QString sql = BuildLookupQuery(m_lookupType, searchText);
        if (sql.isEmpty())
            throw Error(Error::DatabaseError, QStringLiteral("frmLookup"),
                        QStringLiteral("Command text was not set for the command object."));
        result->cursorLocation = CursorLocation::Client;
        result->Open(sql, CurrentConnection(), CursorType::Static, LockType::ReadOnly);
    } catch (const Error &e) {
        MsgBox(e.Description(), MsgButtons::OK, MsgIcon::None);
        return false;
    }

    m_result = result;
    const bool found = m_result->RecordCount() > 0;
    FlexGrid *grid = m_ui->grdLookup;
    if (found && m_result->RecordCount() == 1) {
        m_exactMatch = true;
        m_result->MoveFirst();
        m_searchString = m_result->Fields(QStringLiteral("Code")).toString();
    }
    grid->setEnabled(found);
    m_ui->cmdOptions_1->setEnabled(found);
    grid->setDataSource(m_result);
    grid->setColWidth(0, int(std::lround(NameColumnWidth)));
    return found;
}

void frmLookup::cmdSearch_Click()
{
    if (RunLookupQuery(m_ui->txtSearch->text()))
        m_ui->grdLookup->setFocus();
    else
        m_ui->txtSearch->setFocus();
}

void frmLookup::cmdOptions_Click(int index)
{
    if (index == 1) {
        FlexGrid *grid = m_ui->grdLookup;
        // A double-click on an empty or disabled grid chooses nothing.
        if (!m_ui->cmdOptions_1->isEnabled() || grid->Rows() <= 1)
            return;
        const int codeColumn = 1;
        grid->setCol(codeColumn);
        gLookupResult = grid->TextMatrix(grid->Row(), codeColumn);
        accept();
        return;
    }
    reject();
}

void frmLookup::grdLookup_KeyDown(int &keyCode, int)
{
    EditSearchFromGridKey(m_ui->txtSearch, keyCode);
}

bool frmLookup::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ui->txtSearch) {
        if (event->type() == QEvent::FocusIn)
            m_ui->cmdSearch->setDefault(true);
        else if (event->type() == QEvent::FocusOut)
            m_ui->cmdSearch->setDefault(false);
    }
    return QDialog::eventFilter(watched, event);
}
