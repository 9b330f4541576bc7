#pragma once

#include <QString>

class Connection;

// A generic name with the classification its place in the classification tree falls under.
// Read only.
class clsGeneric
{
public:
    clsGeneric() = default;

    // Always queries; false (all texts empty) when no generic has the code.
    bool LoadGeneric(const QString &GenericID);

    QString Classification() const { return m_classification; }
    QString GenericName() const { return m_genericName; }
    QString GenericID() const { return m_genericId; }

    void setActiveConnection(Connection *connection) { m_connection = connection; }
    Connection *ActiveConnection() const { return m_connection; }

private:
    Connection *m_connection = nullptr;
    QString m_classification;
    QString m_genericName;
    QString m_genericId;
};
