#pragma once

#include <QString>

class Connection;

// One row of INVENTORY..tbInvClassification: an item classification with a letter code.
class clsItemClass
{
public:
    clsItemClass() = default;

    QString Status() const { return m_status; }
    void setStatus(const QString &value) { m_status = value; }

    void setActiveConnection(Connection *connection) { m_connection = connection; }
    Connection *ActiveConnection() const { return m_connection; }

    // Inserts when Code is not stored; a blank code or "New" is first replaced by the letter after
    // the largest stored code, which Code then holds. Otherwise updates the row.
    bool Update();

    QString Code() const;
    void setCode(const QString &value) { m_code = value; }

    // A blank code resets the record and gives true.
    bool LoadItemClass(const QString &ItemClassificationID);

    QString Description() const;
    void setDescription(const QString &value);

private:
    void reset();

    Connection *m_connection = nullptr;
    QString m_status;
    QString m_code;
    QString m_description;
};
