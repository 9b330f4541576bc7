#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

class Connection;

// The stored rows of one request as this window last read or wrote them: a digest of every row
// (lines, header, verification, processing, deletion) and the facts a refusal names. A save or a
// delete reads the rows again inside its transaction and writes only when they are unchanged, so
// a window that was opened before another workstation's write never overwrites it.
class StoredRequest
{
public:
    // A request that has no rows: a new one.
    StoredRequest() = default;
    // A request as the list shows it: its state, without its rows.
    static StoredRequest listed(const QString &documentNumber, bool processed, bool verified);
    // Reads every row of the request on the connection (inside the caller's transaction, if any).
    static StoredRequest read(Connection &connection, const QString &documentNumber);

    QString documentNumber() const { return m_documentNumber; }
    bool exists() const { return m_exists; }
    bool isDeleted() const { return m_status == QLatin1String("D"); }
    // Processed outside this system ("P", or any other mark but deletion).
    bool isProcessed() const { return !m_status.isEmpty() && !isDeleted(); }
    bool isVerified() const { return m_verified; }
    // Only a pending, unverified request may be written back.
    bool isOpenForChanges() const { return !isDeleted() && !isProcessed() && !isVerified(); }
    // "verified", "processed" or "deleted"; empty while open for changes.
    QString closedState() const;

    // The header values every line carries, as stored: a window that shows them writes them back
    // unchanged. Empty and invalid for a request without rows.
    QString remarks() const { return m_remarks; }
    QDateTime transDate() const { return m_transDate; }

    bool sameRowsAs(const StoredRequest &now) const { return m_exists == now.m_exists && m_digest == now.m_digest; }
    bool sameStateAs(const StoredRequest &now) const;

    // What another workstation did between this reading and `now`, and who, as far as the rows tell.
    struct Change
    {
        QString what; // "changed", "saved", "verified", "processed", "deleted"
        QString by;   // an employee id; empty when the rows do not tell
    };
    Change changeTo(const StoredRequest &now) const;

private:
    QString m_documentNumber;
    bool m_exists = false;
    QByteArray m_digest;
    QString m_status;
    bool m_verified = false;
    QString m_verifiedBy; // empty when only the state is known
    QString m_processedBy;
    QString m_savedBy;
    QString m_remarks;
    QDateTime m_transDate;
};
