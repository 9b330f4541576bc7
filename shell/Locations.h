#pragma once

#include <QString>

#include <memory>

class Recordset;

// What the location routines need of a location box: a list bound to a recordset, the text
// shown, and the Tag that holds the accepted location's id.
class LocationList
{
public:
    virtual ~LocationList() = default;
    // Binds the list to the recordset, showing listField; nullptr leaves it unbound and empty.
    virtual void setRowSource(std::shared_ptr<Recordset> rowSource, const QString &listField) = 0;
    virtual QString Text() const = 0;
    virtual void setText(const QString &text) = 0;
    virtual QString Tag() const = 0;
    virtual void setTag(const QString &tag) = 0;
};

void LoadLocation(LocationList &list, bool excludeDispensing, bool preselectDefault, bool excludeWarehouse,
                  bool orderableOnly, bool userLocationsOnly);

// Resolves a location name; locationId receives its id (empty when not found or refused) and
// notBothWarehouseAndDispensing is true when the location is not both a warehouse and a
// dispensing area.
bool CheckLocationAccess(const QString &locationName, bool checkInventoryType, QString &locationId,
                         bool &notBothWarehouseAndDispensing);
