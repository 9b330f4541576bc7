#pragma once

#include "records/RecordValues.h"
#include "shell/NumberText.h"

#include <QDateTime>
#include <QString>

#include <memory>

class Connection;
class clsLocation;
class clsItemMaster;

// One inventory item at one location: its stock figures, prices, markups, stock levels and
// delivery history there, read in one call of sp_Inv_SearchItem_In_Invent. Writes nothing.
// The location and the item's master record are loaded on first read.
class clsItem
{
public:
    clsItem();
    ~clsItem();

    // The date a null date column gives, and the one a new record starts with.
    static QDateTime ZeroDate();

    // The connection for the record and the records it creates; when none is given, the current
    // user's connection is used.
    void setActiveConnection(Connection *connection) { m_connection = connection; }

    // True when the record holds that item afterwards: the item id already held (any location),
    // a blank item id, or a row found. A failure is shown ("Message") and gives false.
    bool LoadItem(const QString &itemId, const QString &locationId);
    // Opens the item search on the code; true when an item was chosen and loaded.
    bool SearchItem(const QString &itemCode, const QString &locationName, const QString &locationId);

    QString ItemID() const;
    void setItemID(const QString &value);
    std::shared_ptr<clsLocation> Location();
    void setLocation(std::shared_ptr<clsLocation> value);
    std::shared_ptr<clsItemMaster> ItemMaster();
    void setItemMaster(std::shared_ptr<clsItemMaster> value) { m_itemMaster = std::move(value); }

    qint16 MarkupIn() const;
    void setMarkupIn(IntegerArgument value);
    qint16 MarkupOut() const;
    void setMarkupOut(IntegerArgument value);
    Currency NetAmount() const;
    void setNetAmount(Currency value);
    double OnHand() const;
    void setOnHand(double value);
    double MaxStock() const { return m_maxStock; }
    void setMaxStock(double value) { m_maxStock = value; }
    double OnOrder() const;
    void setOnOrder(double value);
    Currency SellingPriceIn() const;
    void setSellingPriceIn(Currency value);
    Currency SellingPriceOut() const;
    void setSellingPriceOut(Currency value);
    qint16 ItemStatus() const;
    void setItemStatus(IntegerArgument value);
    Currency AverageCost() const;
    void setAverageCost(Currency value);

    double MinimumStockLevel() const { return m_minimumStockLevel; }
    void setMinimumStockLevel(double value) { m_minimumStockLevel = value; }
    double AveConsumption() const { return m_aveConsumption; }
    void setAveConsumption(double value) { m_aveConsumption = value; }
    QDateTime LastInventoryCount() const { return m_lastInventoryCount; }
    void setLastInventoryCount(const QDateTime &value) { m_lastInventoryCount = value; }
    QDateTime ExpiryDate() const { return m_expiryDate; }
    void setExpiryDate(const QDateTime &value) { m_expiryDate = value; }
    QString GLCode() const { return m_glCode; }
    void setGLCode(const QString &value) { m_glCode = value; }
    double POMonthsToDeliver() const { return m_poMonthsToDeliver; }
    void setPOMonthsToDeliver(double value) { m_poMonthsToDeliver = value; }
    bool MinimumOrAverageConsumption() const { return m_minimumOrAverageConsumption; }
    void setMinimumOrAverageConsumption(bool value) { m_minimumOrAverageConsumption = value; }
    QString StartDate() const { return m_startDate; }
    void setStartDate(const QString &value) { m_startDate = value; }
    QString EndDate() const { return m_endDate; }
    void setEndDate(const QString &value) { m_endDate = value; }
    double ListCost() const { return m_listCost; }
    void setListCost(double value) { m_listCost = value; }
    qint16 UOM() const { return m_uom; }
    void setUOM(IntegerArgument value) { m_uom = value; }
    QString UOMDescription() const { return m_uomDescription; }
    void setUOMDescription(const QString &value) { m_uomDescription = value; }
    QDateTime LastDeliveryDate() const { return m_lastDeliveryDate; }
    void setLastDeliveryDate(const QDateTime &value) { m_lastDeliveryDate = value; }
    double LastDeliveryQty() const { return m_lastDeliveryQty; }
    void setLastDeliveryQty(double value) { m_lastDeliveryQty = value; }
    qint16 Packing() const { return m_packing; }
    void setPacking(IntegerArgument value) { m_packing = value; }
    bool IsFloor() const { return m_isFloor; }
    void setIsFloor(bool value) { m_isFloor = value; }
    bool IsCeiling() const { return m_isCeiling; }
    void setIsCeiling(bool value) { m_isCeiling = value; }
    double Floor() const { return m_floor; }
    void setFloor(double value) { m_floor = value; }
    double Ceiling() const { return m_ceiling; }
    void setCeiling(double value) { m_ceiling = value; }
    bool IsADSStock() const { return m_isADSStock; }
    void setIsADSStock(bool value) { m_isADSStock = value; }
    double ADSStock() const { return m_adsStock; }
    void setADSStock(double value) { m_adsStock = value; }

private:
    Connection *connection() const;

    Connection *m_connection = nullptr;
    QString m_locationId;
    std::shared_ptr<clsLocation> m_location;
    std::shared_ptr<clsItemMaster> m_itemMaster;

    QString m_itemId;
    qint16 m_markupIn = 0;
    qint16 m_markupOut = 0;
    Currency m_netAmount;
    double m_onHand = 0;
    double m_maxStock = 0;
    double m_onOrder = 0;
    Currency m_sellingPriceIn;
    Currency m_sellingPriceOut;
    qint16 m_itemStatus = 0;
    Currency m_averageCost;
    double m_minimumStockLevel = 0;
    double m_aveConsumption = 0;
    QDateTime m_lastInventoryCount;
    QDateTime m_expiryDate;
    QString m_glCode;
    double m_poMonthsToDeliver = 0;
    bool m_minimumOrAverageConsumption = false;
    QString m_startDate;
    QString m_endDate;
    double m_listCost = 0;
    qint16 m_uom = 0;
    QString m_uomDescription;
    QDateTime m_lastDeliveryDate;
    double m_lastDeliveryQty = 0;
    qint16 m_packing = 0;
    bool m_isFloor = false;
    bool m_isCeiling = false;
    double m_floor = 0;
    double m_ceiling = 0;
    bool m_isADSStock = false;
    double m_adsStock = 0;
};
