#pragma once

#include <QString>

class FlexGrid;

// The look-ups the units of the request window share, below all of them: a user's departments,
// the request numbers, and the request on the selected line of the request list.

// Whether the user is assigned to the location (tbInvUserLocation).
bool UserHasLocationAccess(const QString &userId, const QString &locationId);

// The number a new request takes: the largest stored number plus one, "1" when there is none.
// A failure is thrown.
QString NextDocumentNumber();
// Whether a stored request carries the number.
bool DocumentNumberExists(const QString &documentNumber);

// Document number and requesting department id of the selected line of the request list;
// empty when no request line is selected.
QString ListedDocumentNumber(const FlexGrid &listing);
QString ListedTargetLocationId(const FlexGrid &listing);
