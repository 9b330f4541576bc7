#include "shell/Session.h"

#include "platform/CurrentUser.h"
#include "platform/Database.h"
#include "platform/Error.h"
#include "platform/Messages.h"
#include "platform/Shell.h"
#include "shell/Helpers.h"
#include "shell/NumberText.h"

CurrentUser *gCurrentUser = nullptr;
ShellObject *gShell = nullptr;
QString gCompany;
QString gAddress1;
QString gCurDate;
QString gClientName;
bool gAllowWDZeroOnHand = false;
bool gAutoWithdrawRequestNumber = false;
QString gDefaultLocationID;
QString gAllowedInventoryTypes;
bool gForceItemSearch = false;
QVariant gLookupResult;
std::shared_ptr<Report> gReport;

namespace {

const QString SiteSql = QStringLiteral("Select *, GetDate() as CurDate From Inventory..tbHospitalInfo");
const QString SwitchSql = QStringLiteral("Select KeyValue from Inventory..tbPharmaSwitch where idkey = '");

// The server's clock may come back as a date or as text; either way it is kept month-first.
QString DateValueText(const QVariant &value)
{
    if (value.isNull())
        return QString();
    if (value.metaType().id() == QMetaType::QDateTime)
        return DateTimeText(value.toDateTime());
    if (value.metaType().id() == QMetaType::QDate)
        return DateTimeText(QDateTime(value.toDate(), QTime(0, 0)));
    const QString text = value.toString();
    const QDateTime parsed = ParseDateTimeText(text);
    return parsed.isValid() ? DateTimeText(parsed) : text;
}

} // namespace

void ResetSession()
{
    gCurrentUser = nullptr;
    gShell = nullptr;
    gCompany.clear();
    gAddress1.clear();
    gCurDate.clear();
    gClientName.clear();
    gAllowWDZeroOnHand = false;
    gAutoWithdrawRequestNumber = false;
    gDefaultLocationID.clear();
    gAllowedInventoryTypes.clear();
    gForceItemSearch = false;
    gLookupResult = QVariant();
    gReport.reset();
}

Connection *CurrentConnection()
{
    Connection *connection = gCurrentUser ? gCurrentUser->sqlconnection() : nullptr;
    if (!connection)
        throw Error(91, QStringLiteral("Database"), QStringLiteral("The database connection is not open."));
    return connection;
}

bool VariantToBoolean(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return false;
    if (value.metaType().id() == QMetaType::Bool)
        return value.toBool();
    if (IsNumberValue(value))
        return value.toDouble() != 0;
    const QString text = value.toString().trimmed();
    if (text.compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (IsNumeric(text))
        return ToNumber(text) != 0;
    return false;
}

void LoadSiteInformation()
{
    Recordset rs;
    rs.cursorLocation = CursorLocation::Client;
    rs.Open(SiteSql, CurrentConnection(), CursorType::Dynamic, LockType::ReadOnly);
    if (rs.RecordCount() < 1) {
        MsgBox(QStringLiteral("No Hospital information was found"), MsgButtons::OK, MsgIcon::Information,
               QStringLiteral("MESSAGE"));
        rs.Close();
        return;
    }
    gCompany = rs.Fields(QStringLiteral("Company")).toString();
    gAddress1 = rs.Fields(QStringLiteral("Address1")).toString();
    gCurDate = DateValueText(rs.Fields(QStringLiteral("CurDate")));
    gClientName = rs.Fields(QStringLiteral("ClientName")).toString();
    gAllowWDZeroOnHand = VariantToBoolean(rs.Fields(QStringLiteral("AllowWDZeroOnHand")));
    if (IsSwitchOn(QStringLiteral("2")))
        gAutoWithdrawRequestNumber =
            VariantToBoolean(NullToDefault(rs.Fields(QStringLiteral("isAutoWithdrawRequestNumber")), false));
    if (rs.IsOpen())
        rs.Close();
}

bool IsSwitchOn(const QString &key)
{
    Recordset rs;
    rs.cursorLocation = CursorLocation::Client;
    rs.Open(SwitchSql + SqlText(key) + QStringLiteral("'"), CurrentConnection(), CursorType::Dynamic,
            LockType::BatchOptimistic);
    if (rs.Eof())
        return false;
    return VariantToBoolean(rs.Fields(QStringLiteral("KeyValue")));
}

bool Main(const StartupHooks &hooks)
{
    if (!hooks.currentUser || !hooks.shell)
        throw Error(429, QStringLiteral("Main"), QStringLiteral("ActiveX component can't create object"));
    gCurrentUser = hooks.currentUser;
    gShell = hooks.shell;
    gCurrentUser->setPasswordDeptCode(QStringLiteral("4"));
    gCurrentUser->ShowMain();
    if (!gCurrentUser->Connected())
        return false;
    LoadSiteInformation();
    gDefaultLocationID = QStringLiteral("94");
    gAllowedInventoryTypes = QStringLiteral("A");
    if (hooks.showEditor)
        hooks.showEditor();
    return true;
}
