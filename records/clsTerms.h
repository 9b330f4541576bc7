#pragma once

#include "records/RecordValues.h"

#include <QString>

class Connection;

// One row of INVENTORY..tbInvTerms: a payment term.
class clsTerms
{
public:
    clsTerms() = default;

    QString Status() const { return m_status; }
    void setStatus(const QString &value) { m_status = value; }

    void setActiveConnection(Connection *connection) { m_connection = connection; }
    Connection *ActiveConnection() const { return m_connection; }

    qint16 Code() const;
    void setCode(IntegerArgument value) { m_code = value; }

    // Inserts under the next free code when Code is not stored (Code keeps its value), else updates.
    bool Update();
    // Loads the term with this code or this text; code 0 resets the record and gives true.
    bool LoadTerms(qint16 TermsID, const QString &TermDesc);

    qint16 NumberOfDays() const { return m_numberOfDays; }
    void setNumberOfDays(IntegerArgument value) { m_numberOfDays = value; }
    QString Description() const { return m_description; }
    void setDescription(const QString &value) { m_description = value; }

    // Opens the terms lookup; true when a term was chosen and loaded.
    bool SearchTerms(const QString &TermsID);

private:
    void reset();

    Connection *m_connection = nullptr;
    QString m_status;
    qint16 m_code = 0;
    qint16 m_numberOfDays = 0;
    QString m_description;
};
