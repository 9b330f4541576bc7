#pragma once

#include <QString>

#include <vector>

class Connection;

// An item the product search offers for a pair of locations (active at both and in the item
// file, not a fixed asset, not a kit), with its stock and levels at the requesting department,
// its stock at the location the request is addressed to, and the quantity of it that the
// department's open requests already ask for.
struct OfferedItem
{
    QString itemId;
    QString name;           // item name (trimmed), one blank, description: as the entry area shows it
    double averageCost = 0; // the item file's average cost, the unit cost line entry proposes

    double onHand = 0;      // at the department
    bool hasLevels = false; // minimum and maximum set at the department, maximum above 0
    double minimum = 0;
    double maximum = 0;
    double openQuantity = 0; // on the department's saved, unprocessed, undeleted requests

    double locationOnHand = 0; // at the location addressed
    bool locationIsADS = false;
    bool departmentIsADS = false;
};

// Reads the offered items in one statement; they come in item-name order. The request whose number is
// given (the one being edited) is left out of the open quantities: its lines are in the grid. With
// a request to copy, only the items of its lines are read. Throws Error.
std::vector<OfferedItem> ReadOfferedStock(Connection *connection, const QString &departmentId,
                                          const QString &locationId, const QString &editedDocument,
                                          const QString &copiedDocument = QString());

// The statement ReadOfferedStock sends.
QString OfferedStockStatement(const QString &departmentId, const QString &locationId,
                              const QString &editedDocument, const QString &copiedDocument = QString());

// What the department should ask for: up to its maximum, less what it holds and what its open
// requests already ask for, in whole units rounded up. 0 when it has no levels, holds more than
// its minimum, or is covered already.
double RestockQuantity(const OfferedItem &item);
