#pragma once

#include "records/RecordValues.h"

#include <QString>

class Connection;

// One row of INVENTORY..tbInvLocation: a location's id, name, status and flags. Loads by id and
// writes itself back, inserting under the next free numeric id when the id is not yet stored.
class clsLocation
{
public:
    clsLocation() = default;

    bool AllowedForPO() const { return m_allowedForPO; }
    void setAllowedForPO(bool value) { m_allowedForPO = value; }
    // The flags hold what the table gives: -1 for true, 0 for false, 1 when the column is null.
    qint16 isDispensingArea() const { return m_isDispensingArea; }
    void setisDispensingArea(IntegerArgument value) { m_isDispensingArea = value; }
    qint16 IsWareHouse() const { return m_isWareHouse; }
    void setIsWareHouse(IntegerArgument value) { m_isWareHouse = value; }
    QString Status() const { return m_status; }
    void setStatus(const QString &value) { m_status = value; }

    void setActiveConnection(Connection *connection) { m_connection = connection; }
    Connection *ActiveConnection() const { return m_connection; }

    // Inserts when Code is not in the table (the new id is not kept in Code), else updates.
    // A failure is shown, then re-raised.
    bool Update();

    QString Code() const;
    void setCode(const QString &value) { m_code = value; }

    // True when the row was found; otherwise the record is reset and false returned.
    bool LoadLocation(const QString &locationId);

    QString Description() const;
    void setDescription(const QString &value);

private:
    void reset();

    QString m_code;
    QString m_description;
    QString m_status = QStringLiteral("A");
    qint16 m_isWareHouse = 1;
    qint16 m_isDispensingArea = 1;
    bool m_allowedForPO = false;
    Connection *m_connection = nullptr;
};
