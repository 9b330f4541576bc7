#include "records/OfferedStock.h"

#include "platform/Database.h"
#include "records/RecordValues.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <utility>

namespace {

// The department's open quantities are summed per item in the statement itself, so that the
// whole suggestion is one read however many items the department stocks.
QString OpenQuantities(const QString &departmentId, const QString &editedDocument)
{
    return QStringLiteral("Left Outer Join (Select R.ItemID, Sum(R.Quantity) As OpenQuantity "
                          "From INVENTORY..tbInvWithdrawRequest R Where R.TargetLocationID = '") +
           SqlText(departmentId) +
           QStringLiteral("' and isnull(R.Status,'') = '' and R.DocumentNumber <> '") +
           SqlText(editedDocument.trimmed()) +
           QStringLiteral("' Group By R.ItemID) O On O.ItemID = T.ItemID ");
}

double Number(const QVariant &value)
{
    return value.isNull() ? 0.0 : ValueDouble(value);
}

} // namespace

QString OfferedStockStatement(const QString &departmentId, const QString &locationId,
                              const QString &editedDocument, const QString &copiedDocument)
{
    // A copy needs the request's own items only: a few hundred, not the department's thousands.
    const QString copiedItems =
        copiedDocument.isEmpty()
            ? QString()
            : QStringLiteral(" and T.ItemID In (Select W.ItemID From INVENTORY..tbInvWithdrawRequest W Where "
                             "W.DocumentNumber = '") +
                  SqlText(copiedDocument.trimmed()) + QStringLiteral("')");
    return QStringLiteral(
               "Select A.ItemID, A.ItemName, A.ItemDesc, A.AverageCost, T.OnHand, T.MinStockLevel, "
               "T.MaxStockLevel, T.IsADSStock As DepartmentADS, D.OnHand As LocationOnHand, "
               "D.IsADSStock As LocationADS, IsNull(O.OpenQuantity,0) As OpenQuantity ") +
           QStringLiteral("From INVENTORY..tbInvent T ") +
           QStringLiteral("Join INVENTORY..tbInvent D On D.ItemID = T.ItemID ") +
           QStringLiteral("Join INVENTORY..tbInvMaster A On A.ItemID = T.ItemID ") +
           QStringLiteral("Left Outer Join INVENTORY..tbInvClassification C On A.ItemClassificationID = "
                          "C.ItemClassificationID ") +
           OpenQuantities(departmentId, editedDocument) + QStringLiteral("Where T.LocationID = '") +
           SqlText(departmentId) + QStringLiteral("' and T.ItemStatus = 0 and D.LocationID = '") +
           SqlText(locationId) +
           QStringLiteral("' and ( D.ItemStatus = 0 or D.ItemStatus is Null ) and ( A.ItemStatus = 0 or "
                          "A.ItemStatus is Null ) and IsNull(C.IsFixedAsset,0) <> 1 ") +
           QStringLiteral("and not exists (Select K.KitID From INVENTORY..tbInvKit K Where K.KitID = A.KitID "
                          "and not K.Active = 'I')") +
           copiedItems;
}

std::vector<OfferedItem> ReadOfferedStock(Connection *connection, const QString &departmentId,
                                          const QString &locationId, const QString &editedDocument,
                                          const QString &copiedDocument)
{
    const ResultTable table =
        RequireConnection(connection)
            .Execute(OfferedStockStatement(departmentId, locationId, editedDocument, copiedDocument));
    const auto column = [&table](const char *name) { return table.columnIndex(QLatin1String(name)); };
    const int itemId = column("ItemID"), itemName = column("ItemName"), itemDesc = column("ItemDesc"),
              averageCost = column("AverageCost"), onHand = column("OnHand"),
              minimum = column("MinStockLevel"), maximum = column("MaxStockLevel"),
              departmentAds = column("DepartmentADS"), locationOnHand = column("LocationOnHand"),
              locationAds = column("LocationADS"), openQuantity = column("OpenQuantity");

    std::vector<OfferedItem> items;
    std::vector<std::pair<QString, QString>> names; // item name and description, for the order
    items.reserve(size_t(table.rows.size()));
    for (const QVector<QVariant> &row : table.rows) {
        OfferedItem item;
        item.itemId = ValueText(row.at(itemId));
        item.name =
            TextOrEmpty(row.at(itemName)).trimmed() + QLatin1Char(' ') + TextOrEmpty(row.at(itemDesc));
        item.averageCost = row.at(averageCost).isNull() ? 0.0 : ValueCurrency(row.at(averageCost)).toDouble();
        item.onHand = Number(row.at(onHand));
        item.hasLevels =
            !row.at(minimum).isNull() && !row.at(maximum).isNull() && Number(row.at(maximum)) > 0;
        item.minimum = Number(row.at(minimum));
        item.maximum = Number(row.at(maximum));
        item.departmentIsADS = !row.at(departmentAds).isNull() && ValueBoolean(row.at(departmentAds));
        item.locationOnHand = Number(row.at(locationOnHand));
        item.locationIsADS = !row.at(locationAds).isNull() && ValueBoolean(row.at(locationAds));
        item.openQuantity = Number(row.at(openQuantity));
        items.push_back(item);
        names.push_back({TextOrEmpty(row.at(itemName)), TextOrEmpty(row.at(itemDesc))});
    }
    // Sorted here rather than by the statement: ordered by name, a planner reads the whole item
    // file in name order instead of the department's few thousand items.
    std::vector<size_t> order(items.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(), [&names](size_t a, size_t b) {
        const int byName = names[a].first.compare(names[b].first, Qt::CaseInsensitive);
        return byName != 0 ? byName < 0 : names[a].second.compare(names[b].second, Qt::CaseInsensitive) < 0;
    });
    std::vector<OfferedItem> sorted;
    sorted.reserve(items.size());
    for (size_t index : order)
        sorted.push_back(std::move(items[index]));
    return sorted;
}

double RestockQuantity(const OfferedItem &item)
{
    if (!item.hasLevels || item.onHand > item.minimum)
        return 0;
    // A hair of tolerance so that a shortfall of 4.0000000001 from floating arithmetic stays 4.
    const double quantity = std::ceil(item.maximum - item.onHand - item.openQuantity - 1e-9);
    return quantity > 0 ? quantity : 0;
}
