#include "records/clsItem.h"

#include "platform/Database.h"
#include "platform/Messages.h"
#include "records/LookupWindows.h"
#include "records/TrappedProperty.h"
#include "records/RecordValues.h"
#include "records/clsItemMaster.h"
#include "records/clsLocation.h"
#include "shell/Helpers.h"
#include "shell/Session.h"

namespace {

QVariant orDefault(const QVariant &value, const QVariant &defaultValue)
{
    return NullToDefault(value, defaultValue);
}

} // namespace

clsItem::clsItem()
    : m_lastInventoryCount(ZeroDate()), m_expiryDate(ZeroDate()), m_lastDeliveryDate(ZeroDate())
{
}

clsItem::~clsItem() = default;

QDateTime clsItem::ZeroDate()
{
    return QDateTime(QDate(1899, 12, 30), QTime(0, 0));
}

Connection *clsItem::connection() const
{
    return m_connection ? m_connection : CurrentConnection();
}

bool clsItem::LoadItem(const QString &itemId, const QString &locationId)
{
    try {
        if (itemId == m_itemId)
            return true;
        m_location.reset();
        m_itemMaster.reset();
        if (TrimBlanks(itemId).isEmpty())
            return true;

        Recordset row;
        row.Open(QStringLiteral("Inventory..sp_Inv_SearchItem_In_Invent '") + SqlText(itemId) +
                     QStringLiteral("','") + SqlText(locationId) + QStringLiteral("'"),
                 &RequireConnection(connection()), CursorType::Dynamic, LockType::ReadOnly);
        if (row.RecordCount() == 0)
            return false;

        auto field = [&row](const char *name) { return row.Fields(QLatin1String(name)); };
        const QDateTime zero = ZeroDate();

        // The row is taken whole or not at all: a row that cannot be read must not leave this
        // record claiming the new item id over the previous item's figures.
        clsItem loaded(*this);
        loaded.m_locationId = TextOrEmpty(field("LocationID"));
        loaded.m_itemId = ValueText(field("ItemID"));
        loaded.m_markupIn = ValueInteger(orDefault(field("Markup_In"), 0));
        loaded.m_markupOut = ValueInteger(orDefault(field("Markup_Out"), 0));
        loaded.m_netAmount = ValueCurrency(orDefault(field("NetAmount"), 0));
        loaded.m_onHand = ValueDouble(orDefault(field("OnHand"), 0));
        // The procedure returns the item's maximum stock level at the location beside the minimum.
        loaded.m_maxStock = ValueDouble(orDefault(field("MaxStockLevel"), 0));
        loaded.m_onOrder = ValueDouble(orDefault(field("OnOrder"), 0));
        loaded.m_sellingPriceIn = ValueCurrency(orDefault(field("SellingPriceIn"), 0));
        loaded.m_sellingPriceOut = ValueCurrency(orDefault(field("SellingPriceOut"), 0));
        loaded.m_itemStatus = ValueInteger(orDefault(field("ItemStatus"), 0));
        loaded.m_averageCost = ValueCurrency(orDefault(field("AverageCost"), 0));
        loaded.m_minimumStockLevel = ValueDouble(orDefault(field("MinStockLevel"), 0));
        loaded.m_aveConsumption = ValueDouble(orDefault(field("AveConsumption"), 0));
        loaded.m_lastInventoryCount = ValueDate(orDefault(field("LastInventoryCount"), zero));
        loaded.m_expiryDate = ValueDate(orDefault(field("ExpiryDate"), zero));
        loaded.m_glCode = TextOrEmpty(field("NewGLCode"));
        loaded.m_poMonthsToDeliver = ValueDouble(orDefault(field("POMonthsToDeliver"), 0));
        loaded.m_minimumOrAverageConsumption = ValueBoolean(field("MinimumOrAverage"));
        loaded.m_startDate = ValueText(field("StartDate"));
        loaded.m_endDate = ValueText(field("EndDate"));
        loaded.m_listCost = ValueDouble(field("ListCost"));
        loaded.m_uom = ValueInteger(field("UnitOfMeasureID"));
        loaded.m_uomDescription = ValueText(field("UnitOfMeasure"));
        loaded.m_lastDeliveryDate = ValueDate(field("Last DDate"));
        loaded.m_lastDeliveryQty = ValueDouble(field("Last Qty"));
        loaded.m_packing = ValueInteger(field("Packing"));
        loaded.m_isFloor = ValueBoolean(field("IsFloor"));
        loaded.m_isCeiling = ValueBoolean(field("IsCeiling"));
        loaded.m_floor = ValueDouble(field("Floor"));
        loaded.m_ceiling = ValueDouble(field("Ceiling"));
        loaded.m_isADSStock = ValueBoolean(field("IsADSStock"));
        loaded.m_adsStock = ValueDouble(field("ADSStock"));
        *this = loaded;
        return true;
    } catch (const Error &error) {
        MsgBox(error.Description(), MsgButtons::OK, MsgIcon::Critical, QStringLiteral("Message"));
    } catch (const std::exception &error) {
        MsgBox(QString::fromLocal8Bit(error.what()), MsgButtons::OK, MsgIcon::Critical,
               QStringLiteral("Message"));
    }
    return false;
}

bool clsItem::SearchItem(const QString &itemCode, const QString &locationName, const QString &locationId)
{
    std::unique_ptr<LookupWindow> window = createItemLookup();
    window->setLocationName(locationName);
    window->setLocationCode(locationId);
    window->setSearchString(itemCode);
    const QString chosen = RunLookup(*window);
    window.reset();
    if (chosen.isEmpty())
        return false;
    return LoadItem(chosen, locationId);
}

QString clsItem::ItemID() const
{
    return Reraise(QStringLiteral("clsItem:ItemID Property Get"), [&] { return m_itemId; });
}

void clsItem::setItemID(const QString &value)
{
    Reraise(QStringLiteral("clsItem:ItemID Property Let"), [&] { m_itemId = value; });
}

std::shared_ptr<clsLocation> clsItem::Location()
{
    return Reraise(QStringLiteral("clsItem:Location Property Get"), [&] {
        return LoadOnFirstRead(m_location, connection(),
                               [&](clsLocation &location) { location.LoadLocation(m_locationId); });
    });
}

void clsItem::setLocation(std::shared_ptr<clsLocation> value)
{
    Reraise(QStringLiteral("clsItem:Location Property Set"), [&] { m_location = std::move(value); });
}

std::shared_ptr<clsItemMaster> clsItem::ItemMaster()
{
    return LoadOnFirstRead(m_itemMaster, connection(),
                           [&](clsItemMaster &master) { master.LoadItem(m_itemId); });
}

#define CLSITEM_TRAPPED_PROPERTY(Type, Name, member) TRAPPED_PROPERTY(clsItem, Type, Type, Name, member)
#define CLSITEM_TRAPPED_INTEGER(Name, member) TRAPPED_PROPERTY(clsItem, qint16, IntegerArgument, Name, member)

CLSITEM_TRAPPED_INTEGER(MarkupIn, m_markupIn)
CLSITEM_TRAPPED_INTEGER(MarkupOut, m_markupOut)
CLSITEM_TRAPPED_PROPERTY(Currency, NetAmount, m_netAmount)
CLSITEM_TRAPPED_PROPERTY(double, OnHand, m_onHand)
CLSITEM_TRAPPED_PROPERTY(double, OnOrder, m_onOrder)
CLSITEM_TRAPPED_PROPERTY(Currency, SellingPriceIn, m_sellingPriceIn)
CLSITEM_TRAPPED_PROPERTY(Currency, SellingPriceOut, m_sellingPriceOut)
CLSITEM_TRAPPED_INTEGER(ItemStatus, m_itemStatus)
CLSITEM_TRAPPED_PROPERTY(Currency, AverageCost, m_averageCost)

#undef CLSITEM_TRAPPED_PROPERTY
#undef CLSITEM_TRAPPED_INTEGER
