#include "shell/Locations.h"

#include "platform/CurrentUser.h"
#include "platform/Database.h"
#include "platform/Error.h"
#include "platform/Messages.h"
#include "shell/Session.h"

namespace {

const QString UserLocationSql = QStringLiteral("INVENTORY..sp_Inv_UserLocation '");
const QString NotWarehouseOrNotDispensingSql = QStringLiteral(
    "Select Location, LocationID From INVENTORY..tbInvLocation Where ( isWarehouse = 0 or isDispensingArea = 0 ) "
    "AND ( Not Status = 'I' or Status is Null ) ORDER BY Location");
const QString NotWarehouseSql = QStringLiteral(
    "Select Location, LocationID From INVENTORY..tbInvLocation Where isWarehouse = 0 "
    "AND ( Not Status = 'I' or Status is Null ) ORDER BY Location");
const QString NotDispensingSql = QStringLiteral(
    "Select Location, LocationID From INVENTORY..tbInvLocation Where isDispensingArea = 0 "
    "AND ( Not Status = 'I' or Status is Null ) ORDER BY Location");
const QString ActiveLocationsSql = QStringLiteral(
    "Select Location, LocationID From INVENTORY..tbInvLocation Where Not Status = 'I' or Status is Null  "
    "ORDER BY Location");
const QString OrderableLocationsSql = QStringLiteral(
    "Select Location, LocationID From INVENTORY..tbInvLocation Where AllowOrder = 1 "
    "AND ( Not Status = 'I' or Status is Null ) ORDER BY Location");
const QString DefaultLocationSql =
    QStringLiteral("Select Location From INVENTORY..tbInvLocation Where LocationID = '");
const QString LocationByNameSql = QStringLiteral("Select * From INVENTORY..tbInvLocation Where Location = '");
const QString UnauthorizedText = QStringLiteral("Unauthorized Access...");

QString LocationListSql(bool excludeDispensing, bool excludeWarehouse, bool orderableOnly, bool userLocationsOnly)
{
    if (userLocationsOnly) {
        const QString employee = gCurrentUser ? gCurrentUser->EmployeeCode() : QString();
        return UserLocationSql + SqlText(employee) + QStringLiteral("'");
    }
    if (excludeWarehouse && excludeDispensing)
        return NotWarehouseOrNotDispensingSql;
    if (excludeWarehouse)
        return NotWarehouseSql;
    if (excludeDispensing)
        return NotDispensingSql;
    if (!orderableOnly)
        return ActiveLocationsSql;
    return OrderableLocationsSql;
}

QVariant FirstRowValue(const ResultTable &table, const QString &column)
{
    const int index = table.columnIndex(column);
    if (table.rows.isEmpty() || index < 0)
        throw Error(3265, QStringLiteral("Recordset"),
                    QStringLiteral("Item cannot be found in the collection corresponding to the requested name "
                                   "or ordinal."));
    return table.rows.first().value(index);
}

bool IsZero(const QVariant &flag)
{
    if (flag.isNull())
        return false;
    bool ok = false;
    const double value = flag.toDouble(&ok);
    return ok && value == 0;
}

} // namespace

void LoadLocation(LocationList &list, bool excludeDispensing, bool preselectDefault, bool excludeWarehouse,
                  bool orderableOnly, bool userLocationsOnly)
{
    std::shared_ptr<Recordset> rs;
    try {
        list.setTag(QString());
        rs = std::make_shared<Recordset>();
        rs->cursorLocation = CursorLocation::Client;
        rs->Open(LocationListSql(excludeDispensing, excludeWarehouse, orderableOnly, userLocationsOnly),
                 CurrentConnection(), CursorType::Dynamic, LockType::ReadOnly);
        if (rs->RecordCount() > 0)
            list.setRowSource(rs, QStringLiteral("Location"));
        if (preselectDefault) {
            const ResultTable table =
                CurrentConnection()->Execute(DefaultLocationSql + SqlText(gDefaultLocationID) + QStringLiteral("'"));
            if (!table.rows.isEmpty()) {
                list.setText(FirstRowValue(table, QStringLiteral("Location")).toString());
                list.setTag(gDefaultLocationID);
            }
        }
    } catch (const Error &e) {
        MsgBox(QStringLiteral("Called from: Sub LoadLocation -") + e.Description());
    } catch (const std::exception &e) {
        MsgBox(QStringLiteral("Called from: Sub LoadLocation -") + QString::fromUtf8(e.what()));
    }
}

bool CheckLocationAccess(const QString &locationName, bool checkInventoryType, QString &locationId,
                         bool &notBothWarehouseAndDispensing)
{
    locationId.clear();
    notBothWarehouseAndDispensing = false;
    try {
        const ResultTable table =
            CurrentConnection()->Execute(LocationByNameSql + SqlText(locationName) + QStringLiteral("'"));
        if (table.rows.isEmpty())
            return false;
        locationId = FirstRowValue(table, QStringLiteral("LocationID")).toString();
        const QString inventoryType = FirstRowValue(table, QStringLiteral("InventoryType")).toString();
        notBothWarehouseAndDispensing = IsZero(FirstRowValue(table, QStringLiteral("IsWareHouse")))
            || IsZero(FirstRowValue(table, QStringLiteral("isDispensingArea")));
        if (!checkInventoryType)
            return true;
        if (!gAllowedInventoryTypes.isEmpty()
            && (gAllowedInventoryTypes == QStringLiteral("A") || inventoryType.isEmpty()
                || inventoryType.contains(gAllowedInventoryTypes, Qt::CaseSensitive)))
            return true;
        locationId.clear();
        MsgBox(UnauthorizedText);
        return false;
    } catch (const Error &e) {
        MsgBox(e.Description());
    } catch (const std::exception &e) {
        MsgBox(QString::fromUtf8(e.what()));
    }
    return false;
}
