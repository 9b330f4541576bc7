#include "records/clsItemMaster.h"

#include "platform/Database.h"
#include "platform/Messages.h"
#include "records/LookupWindows.h"
#include "records/TrappedProperty.h"
#include "records/RecordValues.h"
#include "records/clsGeneric.h"
#include "records/clsItemClass.h"
#include "records/clsSupplier.h"
#include "records/clsUnitOfMeasure.h"
#include "shell/Helpers.h"

namespace {

QString quoted(const QString &text)
{
    return SqlText(text);
}

QString bitText(bool value)
{
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

// Update writes the codes of the object members it holds; it does not load them.
template <typename T> T &held(const std::shared_ptr<T> &object)
{
    if (!object)
        throw Error(91, QStringLiteral("clsItemMaster"),
                    QStringLiteral("Object variable or With block variable not set"));
    return *object;
}

} // namespace

clsItemMaster::clsItemMaster() = default;

clsItemMaster::~clsItemMaster() = default;

void clsItemMaster::reset()
{
    m_itemId.clear();
    m_itemName.clear();
    m_itemDesc.clear();
    m_barCode.clear();
    m_supplierCode.clear();
    m_classificationCode.clear();
    m_genericCode.clear();
    m_manufacturerCode.clear();
    m_markupIn = 0;
    m_markupOut = 0;
    m_downTime = 0;
    m_listCost = Currency();
    m_freight = 0;
    m_salesTax = 0;
    m_itemStatus = 0;
    m_packing = 0;
    m_vat = 0;
    m_averageCost = Currency();
    m_unitOfMeasureCode = 0;
    m_endorseMedicine = QStringLiteral("X");
}

void clsItemMaster::releaseObjects()
{
    m_supplier.reset();
    m_itemClass.reset();
    m_unitOfMeasure.reset();
    m_generic.reset();
    m_manufacturer.reset();
}

bool clsItemMaster::LoadItem(const QString &itemId, Connection *)
{
    return Reraise(QStringLiteral("clsItemMaster:LoadItem Method"), [&] {
        if (itemId == m_itemId)
            return true;
        releaseObjects();
        if (TrimBlanks(itemId).isEmpty()) {
            reset();
            return true;
        }

        Recordset row;
        row.Open(QStringLiteral("Select * From INVENTORY..tbInvMaster Where ItemID = '") + quoted(itemId) +
                     QStringLiteral("'"),
                 &RequireConnection(m_connection), CursorType::Dynamic, LockType::ReadOnly);
        if (row.RecordCount() == 0) {
            reset();
            return false;
        }

        auto field = [&row](const char *name) { return row.Fields(QLatin1String(name)); };
        auto text = [&field](const char *name, const QVariant &defaultValue) {
            return ValueText(NullToDefault(field(name), defaultValue));
        };
        auto integer = [&field](const char *name) { return ValueInteger(NullToDefault(field(name), 0)); };
        auto number = [&field](const char *name) { return ValueDouble(NullToDefault(field(name), 0)); };
        auto currency = [&field](const char *name) { return ValueCurrency(NullToDefault(field(name), 0)); };

        // Every column is read before any member changes: a row that cannot be taken must not
        // leave the record holding the new code over part of the previous item.
        const QString id = ValueText(field("ItemID"));
        const QString name = text("ItemName", QString());
        const QString desc = text("ItemDesc", QString());
        const qint16 markupIn = integer("MarkupIn");
        const qint16 markupOut = integer("MarkupOut");
        const double downTime = number("DownTime");
        const Currency listCost = currency("ListCost");
        const double freight = number("Freight");
        const double salesTax = number("SalesTax");
        const qint16 itemStatus = integer("ItemStatus");
        const qint16 packing = integer("Packing");
        const qint16 vat = integer("VAT");
        const QString barCode = text("BarCode", 0);
        const QString supplierCode = text("SupplierID", QString());
        const QString classificationCode = text("ItemClassificationID", QString());
        const qint16 unitOfMeasureCode = integer("UnitOfMeasureID");
        const QString endorseMedicine = text("OralInject", QStringLiteral("X"));
        const Currency averageCost = currency("AverageCost");
        const QString genericCode = text("GenericID", QString());
        const QString manufacturerCode = text("ManufacturerID", QString());
        const bool seniorCitizenDiscount = ValueBoolean(field("IsSeniorDiscounted"));
        const bool withLotNumber = ValueBoolean(NullToDefault(field("WithLotNumber"), false));
        const QString medicareType = text("MedicareType", QStringLiteral("N"));
        const QString medicareCategory = text("MedicareCategory", QStringLiteral("A"));
        const QString glCode = text("GLCode", QString());

        m_itemId = id;
        m_itemName = name;
        m_itemDesc = desc;
        m_markupIn = markupIn;
        m_markupOut = markupOut;
        m_downTime = downTime;
        m_listCost = listCost;
        m_freight = freight;
        m_salesTax = salesTax;
        m_itemStatus = itemStatus;
        m_packing = packing;
        m_vat = vat;
        m_barCode = barCode;
        m_supplierCode = supplierCode;
        m_classificationCode = classificationCode;
        m_unitOfMeasureCode = unitOfMeasureCode;
        m_endorseMedicine = endorseMedicine;
        m_averageCost = averageCost;
        m_genericCode = genericCode;
        m_manufacturerCode = manufacturerCode;
        m_seniorCitizenDiscount = seniorCitizenDiscount;
        m_withLotNumber = withLotNumber;
        m_medicareType = medicareType;
        m_medicareCategory = medicareCategory;
        m_glCode = glCode;
        return true;
    });
}

QString clsItemMaster::insertStatement() const
{
    const QString medicare = m_withMedicare
                                 ? QStringLiteral("','") + quoted(m_medicareType) + QStringLiteral("',1,'")
                                 : QStringLiteral("','2',1,'");
    return QStringLiteral("Insert Into INVENTORY..tbInvMaster ") +
           QStringLiteral("(ItemID,ItemName, ItemDesc, SupplierId, MarkupIn, ") +
           QStringLiteral(" MarkupOut, DownTime, Listcost, ItemClassificationID, ItemStatus, ") +
           QStringLiteral(" UnitOfMeasureID, Packing, BarCode, MedicareType,IncludeInStatement,OralInject, "
                          "AverageCost, ManufacturerID, IsSeniorDiscounted, WithLOTNumber, MedicareCategory, "
                          "GLCode ) ") +
           QStringLiteral("Values ('") + quoted(TrimBlanks(m_itemId)) + QStringLiteral("','") +
           quoted(TrimBlanks(m_itemName)) + QStringLiteral("','") + quoted(TrimBlanks(m_itemDesc)) +
           QStringLiteral("','") + quoted(TrimBlanks(held(m_supplier).SupplierID())) + QStringLiteral("',") +
           Format(m_markupIn, QStringLiteral("#####0")) + QStringLiteral(",") +
           Format(m_markupOut, QStringLiteral("#####0")) + QStringLiteral(",") +
           Format(m_downTime, QStringLiteral("##0.00")) + QStringLiteral(",") +
           Format(m_listCost.toDouble(), QStringLiteral("#######0.0000")) + QStringLiteral(",'") +
           quoted(held(m_itemClass).Code()) + QStringLiteral("',") + SignedText(m_itemStatus) +
           QStringLiteral(",") + Format(held(m_unitOfMeasure).Code(), QStringLiteral("######0")) +
           QStringLiteral(",") + Format(m_packing, QStringLiteral("#####0")) + QStringLiteral(",'") +
           quoted(m_barCode) + medicare + quoted(m_endorseMedicine) + QStringLiteral("',") +
           Format(m_averageCost.toDouble(), QStringLiteral("#######0.0000")) + QStringLiteral(", '") +
           quoted(TrimBlanks(held(m_manufacturer).SupplierID())) + QStringLiteral("',") +
           bitText(m_seniorCitizenDiscount) + QStringLiteral(",") + bitText(m_withLotNumber) +
           QStringLiteral(",'") + quoted(m_medicareCategory) + QStringLiteral("','") + quoted(m_glCode) +
           QStringLiteral("')");
}

QString clsItemMaster::updateStatement() const
{
    const QString medicareType =
        m_withMedicare ? QStringLiteral(", MedicareType = '") + quoted(m_medicareType) + QStringLiteral("' ")
                       : QString();
    const QString afterItemClass = m_withMedicare ? QStringLiteral("'") : QStringLiteral("' ");
    return QStringLiteral("Update INVENTORY..tbInvMaster Set ItemName = '") + quoted(m_itemName) +
           QStringLiteral("', ItemDesc = '") + quoted(m_itemDesc) + QStringLiteral("', SupplierId = '") +
           quoted(held(m_supplier).SupplierID()) + QStringLiteral("', MarkupIn = ") +
           Format(m_markupIn, QStringLiteral("#####0")) + QStringLiteral(", MarkupOut = ") +
           Format(m_markupOut, QStringLiteral("#####0")) + QStringLiteral(", DownTime = ") +
           Format(m_downTime, QStringLiteral("##0.00")) + QStringLiteral(", Listcost = ") +
           Format(m_listCost.toDouble(), QStringLiteral("#######0.0000")) +
           QStringLiteral(", ItemClassificationID = '") + quoted(held(m_itemClass).Code()) +
           QStringLiteral("', ItemStatus = ") + SignedText(m_itemStatus) +
           QStringLiteral(", UnitOfMeasureID = ") +
           Format(held(m_unitOfMeasure).Code(), QStringLiteral("######0")) + QStringLiteral(", Packing = ") +
           Format(m_packing, QStringLiteral("#####0")) + QStringLiteral(", AverageCost = ") +
           Format(m_averageCost.toDouble(), QStringLiteral("#######0.0000")) +
           QStringLiteral(", BarCode = '") + quoted(m_barCode) + QStringLiteral("', OralInject = '") +
           quoted(m_endorseMedicine) + QStringLiteral("', ") + QStringLiteral(" ManufacturerID = '") +
           quoted(TrimBlanks(held(m_manufacturer).SupplierID())) + QStringLiteral("' ") +
           QStringLiteral(", IsSeniorDiscounted = ") + bitText(m_seniorCitizenDiscount) +
           QStringLiteral(", WithLOTNumber = ") + bitText(m_withLotNumber) + medicareType +
           QStringLiteral(", MedicareCategory = '") + quoted(m_medicareCategory) + QStringLiteral("' ") +
           QStringLiteral(", GLCode = '") + quoted(m_glCode) + QStringLiteral("', ItemClass = '") +
           quoted(m_itemClassTag) + afterItemClass + QStringLiteral(" Where ItemID = '") +
           quoted(TrimBlanks(m_itemId)) + QStringLiteral("'");
}

bool clsItemMaster::Update()
{
    QString description;
    try {
        Connection &connection = RequireConnection(m_connection);
        const ResultTable existing =
            connection.Execute(QStringLiteral("Select ItemID From INVENTORY..tbInvMaster Where ItemID = '") +
                               quoted(m_itemId) + QStringLiteral("'"));
        if (existing.rows.isEmpty()) {
            const ResultTable next = connection.Execute(
                QStringLiteral("Select Convert(VarChar(4),Max( Convert(Integer,Replace(itemid,'P','')) ) + "
                               "1)  as MaxCode From "
                               "INVENTORY..tbInvMaster"));
            if (next.rows.isEmpty() || next.rows.first().value(0).isNull())
                m_itemId = QStringLiteral("1");
            else
                m_itemId = ValueText(next.rows.first().value(0));
            connection.Execute(insertStatement());
        } else {
            connection.Execute(updateStatement());
        }
        return true;
    } catch (const Error &error) {
        description = error.Description();
    } catch (const std::exception &error) {
        description = QString::fromLocal8Bit(error.what());
    }
    MsgBox(description);
    RaiseError(9999, QStringLiteral("clsItemMaster:Update Method") + description);
}

bool clsItemMaster::SearchItem(const QString &lstrItemCode)
{
    std::unique_ptr<LookupWindow> window = createItemLookup();
    window->setLocationName(QString());
    window->setLocationCode(QString());
    window->setSearchString(lstrItemCode);
    const QString chosen = RunLookup(*window);
    window.reset();
    if (chosen.isEmpty())
        return false;
    return LoadItem(chosen);
}

std::shared_ptr<clsSupplier> clsItemMaster::Supplier()
{
    return Reraise(QStringLiteral("clsItemMaster:Supplier Property Get"), [&] {
        return LoadOnFirstRead(m_supplier, m_connection,
                               [&](clsSupplier &supplier) { supplier.LoadSupplier(m_supplierCode); });
    });
}

void clsItemMaster::setSupplier(std::shared_ptr<clsSupplier> value)
{
    Reraise(QStringLiteral("clsItemMaster:Supplier Property Set"), [&] { m_supplier = std::move(value); });
}

std::shared_ptr<clsSupplier> clsItemMaster::Manufacturer()
{
    return LoadOnFirstRead(m_manufacturer, m_connection,
                           [&](clsSupplier &manufacturer) { manufacturer.LoadSupplier(m_manufacturerCode); });
}

std::shared_ptr<clsItemClass> clsItemMaster::ItemClass()
{
    return Reraise(QStringLiteral("clsItemMaster:ItemClass Property Get"), [&] {
        return LoadOnFirstRead(m_itemClass, m_connection, [&](clsItemClass &itemClass) {
            itemClass.LoadItemClass(m_classificationCode);
        });
    });
}

void clsItemMaster::setItemClass(std::shared_ptr<clsItemClass> value)
{
    Reraise(QStringLiteral("clsItemMaster:ItemClass Property Set"), [&] { m_itemClass = std::move(value); });
}

std::shared_ptr<clsUnitOfMeasure> clsItemMaster::UnitOfMeasure()
{
    return LoadOnFirstRead(m_unitOfMeasure, m_connection,
                           [&](clsUnitOfMeasure &unit) { unit.LoadUOM(m_unitOfMeasureCode); });
}

std::shared_ptr<clsGeneric> clsItemMaster::Generic()
{
    return LoadOnFirstRead(m_generic, m_connection,
                           [&](clsGeneric &generic) { generic.LoadGeneric(m_genericCode); });
}

#define CLSITEMMASTER_TRAPPED_PROPERTY(Type, Name, member)                                                   \
    CLSITEMMASTER_TRAPPED_TEXT(Type, Type, Name, member)

#define CLSITEMMASTER_TRAPPED_TEXT(Type, ParameterType, Name, member)                                        \
    TRAPPED_PROPERTY(clsItemMaster, Type, ParameterType, Name, member)

#define CLSITEMMASTER_TRAPPED_INTEGER(Name, member) CLSITEMMASTER_TRAPPED_TEXT(qint16, IntegerArgument, Name, member)

CLSITEMMASTER_TRAPPED_INTEGER(VAT, m_vat)
CLSITEMMASTER_TRAPPED_INTEGER(Packing, m_packing)
CLSITEMMASTER_TRAPPED_INTEGER(ItemStatus, m_itemStatus)
CLSITEMMASTER_TRAPPED_PROPERTY(double, SalesTax, m_salesTax)
CLSITEMMASTER_TRAPPED_PROPERTY(double, Freight, m_freight)
CLSITEMMASTER_TRAPPED_PROPERTY(Currency, ListCost, m_listCost)
CLSITEMMASTER_TRAPPED_PROPERTY(double, DownTime, m_downTime)
CLSITEMMASTER_TRAPPED_INTEGER(MarkupOut, m_markupOut)
CLSITEMMASTER_TRAPPED_INTEGER(MarkupIn, m_markupIn)
CLSITEMMASTER_TRAPPED_TEXT(QString, const QString &, ItemDesc, m_itemDesc)
CLSITEMMASTER_TRAPPED_TEXT(QString, const QString &, ItemName, m_itemName)
CLSITEMMASTER_TRAPPED_TEXT(QString, const QString &, ItemID, m_itemId)

#undef CLSITEMMASTER_TRAPPED_PROPERTY
#undef CLSITEMMASTER_TRAPPED_TEXT
#undef CLSITEMMASTER_TRAPPED_INTEGER
