#pragma once

#include "records/RecordValues.h"
#include "shell/NumberText.h"

#include <QString>

#include <memory>

class Connection;
class clsSupplier;
class clsGeneric;
class clsItemClass;
class clsUnitOfMeasure;

// One row of INVENTORY..tbInvMaster, the hospital-wide catalogue entry of an item. Loads by item
// code and writes itself back (an insert under a generated code when the code is not stored).
// The supplier, manufacturer, classification, unit of measure and generic name are records of
// their own, loaded by the stored codes when first read and dropped when another item is loaded.
class clsItemMaster
{
public:
    clsItemMaster();
    ~clsItemMaster();

    clsItemMaster(const clsItemMaster &) = delete;
    clsItemMaster &operator=(const clsItemMaster &) = delete;

    QString GLCode() const { return m_glCode; }
    void setGLCode(const QString &value) { m_glCode = value; }
    bool ByProduct() const { return m_byProduct; }
    void setByProduct(bool value) { m_byProduct = value; }
    // Decides whether MedicareType is written: without medicare an insert writes "2" and an update
    // leaves the stored type alone.
    bool WithMedicare() const { return m_withMedicare; }
    void setWithMedicare(bool value) { m_withMedicare = value; }
    QString MedicareType() const { return m_medicareType; }
    void setMedicareType(const QString &value) { m_medicareType = value; }
    QString MedicareCategory() const { return m_medicareCategory; }
    void setMedicareCategory(const QString &value) { m_medicareCategory = value; }
    bool WithLotNumber() const { return m_withLotNumber; }
    void setWithLotNumber(bool value) { m_withLotNumber = value; }
    bool SeniorCitizenDiscount() const { return m_seniorCitizenDiscount; }
    void setSeniorCitizenDiscount(bool value) { m_seniorCitizenDiscount = value; }

    std::shared_ptr<clsSupplier> Manufacturer();
    void setManufacturer(std::shared_ptr<clsSupplier> value) { m_manufacturer = std::move(value); }
    std::shared_ptr<clsGeneric> Generic();
    void setGeneric(std::shared_ptr<clsGeneric> value) { m_generic = std::move(value); }

    Currency AverageCost() const { return m_averageCost; }
    void setAverageCost(Currency value) { m_averageCost = value; }
    QString EndorseMedicine() const { return m_endorseMedicine; }
    void setEndorseMedicine(const QString &value) { m_endorseMedicine = value; }

    std::shared_ptr<clsUnitOfMeasure> UnitOfMeasure();
    void setUnitOfMeasure(std::shared_ptr<clsUnitOfMeasure> value) { m_unitOfMeasure = std::move(value); }

    void setActiveConnection(Connection *connection) { m_connection = connection; }
    Connection *ActiveConnection() const { return m_connection; }

    QString BarCode() const { return m_barCode; }
    void setBarCode(const QString &value) { m_barCode = value; }

    // Inserts under a generated code when no row has ItemID (ItemID then holds that code), else
    // updates the row. A failure is shown, then re-raised with its description in the source.
    bool Update();
    // True when loaded, when the code is blank (the record is reset) or already loaded; false
    // when no row has the code. The connection argument is not used.
    bool LoadItem(const QString &itemId, Connection *activeConnection = nullptr);

    qint16 VAT() const;
    void setVAT(IntegerArgument value);
    qint16 Packing() const;
    void setPacking(IntegerArgument value);
    qint16 ItemStatus() const;
    void setItemStatus(IntegerArgument value);

    std::shared_ptr<clsItemClass> ItemClass();
    void setItemClass(std::shared_ptr<clsItemClass> value);

    double SalesTax() const;
    void setSalesTax(double value);
    double Freight() const;
    void setFreight(double value);
    Currency ListCost() const;
    void setListCost(Currency value);
    double DownTime() const;
    void setDownTime(double value);
    qint16 MarkupOut() const;
    void setMarkupOut(IntegerArgument value);
    qint16 MarkupIn() const;
    void setMarkupIn(IntegerArgument value);

    std::shared_ptr<clsSupplier> Supplier();
    void setSupplier(std::shared_ptr<clsSupplier> value);

    QString ItemDesc() const;
    void setItemDesc(const QString &value);
    QString ItemName() const;
    void setItemName(const QString &value);
    QString ItemID() const;
    void setItemID(const QString &value);

    // Opens the item search over the whole catalogue; true when an item was chosen and loaded.
    bool SearchItem(const QString &lstrItemCode);

    // Written to the ItemClass column by Update; never loaded.
    QString ItemClassTag() const { return m_itemClassTag; }
    void setItemClassTag(const QString &value) { m_itemClassTag = value; }

private:
    void reset();
    void releaseObjects();
    QString insertStatement() const;
    QString updateStatement() const;

    Connection *m_connection = nullptr;

    QString m_glCode;
    bool m_byProduct = false;
    bool m_withMedicare = false;
    QString m_medicareType;
    QString m_medicareCategory;
    bool m_withLotNumber = false;
    bool m_seniorCitizenDiscount = false;
    QString m_itemClassTag;

    QString m_itemId;
    QString m_itemName;
    QString m_itemDesc;
    QString m_barCode;
    qint16 m_markupIn = 0;
    qint16 m_markupOut = 0;
    double m_downTime = 0;
    Currency m_listCost;
    double m_freight = 0;
    double m_salesTax = 0;
    qint16 m_itemStatus = 0;
    qint16 m_packing = 0;
    qint16 m_vat = 0;
    Currency m_averageCost;
    QString m_endorseMedicine = QStringLiteral("X");

    // Codes read by LoadItem for loading the object members.
    QString m_supplierCode;
    QString m_classificationCode;
    qint16 m_unitOfMeasureCode = 0;
    QString m_genericCode;
    QString m_manufacturerCode;

    std::shared_ptr<clsSupplier> m_supplier;
    std::shared_ptr<clsSupplier> m_manufacturer;
    std::shared_ptr<clsItemClass> m_itemClass;
    std::shared_ptr<clsUnitOfMeasure> m_unitOfMeasure;
    std::shared_ptr<clsGeneric> m_generic;
};
