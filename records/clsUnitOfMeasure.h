#pragma once

#include "records/RecordValues.h"

#include <QString>

class Connection;

// One row of INVENTORY..tbInvUnitOfMeasure: a unit such as a box or a piece, with a numeric code.
class clsUnitOfMeasure
{
public:
    clsUnitOfMeasure() = default;

    QString Status() const { return m_status; }
    void setStatus(const QString &value) { m_status = value; }

    void setActiveConnection(Connection *connection) { m_connection = connection; }
    Connection *ActiveConnection() const { return m_connection; }

    // Inserts under the next free code when Code is not stored (Code keeps its value), else updates.
    bool Update();
    // Code 0 resets the record and gives true.
    bool LoadUOM(qint16 UnitOfMeasureID);

    QString Description() const;
    void setDescription(const QString &value);
    qint16 Code() const;
    void setCode(IntegerArgument value) { m_code = value; }

    // Opens the unit lookup; true when a unit was chosen and loaded.
    bool SearchUOM(const QString &UOMID);

private:
    void reset();

    Connection *m_connection = nullptr;
    QString m_status;
    QString m_description;
    qint16 m_code = 0;
};
