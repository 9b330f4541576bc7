#include "editor/StoredRequest.h"

#include "platform/Database.h"
#include "shell/NumberText.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QLocale>
#include <QVector>

#include <algorithm>

namespace {

// One value as bytes that tell every value apart, null included.
QByteArray canonicalValue(const QVariant &value)
{
    if (value.isNull())
        return QByteArrayLiteral("\x01null");
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
        return QByteArray::number(value.toLongLong());
    case QMetaType::Double:
        return QByteArray::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    case QMetaType::QDateTime:
        return value.toDateTime().toString(Qt::ISODateWithMs).toUtf8();
    default:
        return value.toString().toUtf8();
    }
}

QString trimmedText(const QVariant &value)
{
    return value.isNull() ? QString() : value.toString().trimmed();
}

// The first non-empty value of the column; rows of one request carry the same header values.
QString firstText(const ResultTable &rows, const char *column)
{
    const int index = rows.columnIndex(QLatin1String(column));
    for (const auto &row : rows.rows) {
        const QString text = trimmedText(row.at(index));
        if (!text.isEmpty())
            return text;
    }
    return QString();
}

} // namespace

StoredRequest StoredRequest::listed(const QString &documentNumber, bool processed, bool verified)
{
    StoredRequest request;
    request.m_documentNumber = documentNumber.trimmed();
    request.m_exists = true;
    if (processed)
        request.m_status = QStringLiteral("P");
    request.m_verified = verified;
    return request;
}

StoredRequest StoredRequest::read(Connection &connection, const QString &documentNumber)
{
    StoredRequest request;
    request.m_documentNumber = documentNumber.trimmed();
    // Inside a write's transaction the rows are locked before they are read: a server then waits for
    // any other program still changing them (the central supply marking them processed, say) and
    // keeps them as read until this transaction ends. Nothing is changed.
    if (connection.inTransaction())
        connection.Execute(QStringLiteral("Update INVENTORY..tbInvWithdrawRequest Set Status = Status Where "
                                          "DocumentNumber = '")
                           + SqlText(request.m_documentNumber) + QStringLiteral("'"));
    const ResultTable rows = connection.Execute(
        QStringLiteral("Select ItemID, Quantity, UnitCost, ForRetail, isADS, LocationID, TargetLocationID, "
                       "TransDate, UserID, Remarks, Verifiedby, verifiedDate, Status, ProcessDate, ProcessBy "
                       "From INVENTORY..tbInvWithdrawRequest Where DocumentNumber = '")
        + SqlText(request.m_documentNumber) + QStringLiteral("'"));
    request.m_exists = !rows.rows.isEmpty();
    if (!request.m_exists)
        return request;

    // The order of the rows is not part of what was saved, so the digest does not depend on it.
    // The lines of a request share their dates, so each date's text is made once per column.
    const int columns = int(rows.columns.size());
    QVector<std::pair<QDateTime, QByteArray>> lastDates(columns);
    QVector<QByteArray> rowTexts;
    rowTexts.reserve(rows.rows.size());
    for (const auto &row : rows.rows) {
        QByteArray text;
        text.reserve(256);
        for (int column = 0; column < row.size(); ++column) {
            if (column > 0)
                text += '\x1f';
            const QVariant &value = row.at(column);
            if (value.isNull() || value.typeId() != QMetaType::QDateTime || column >= columns) {
                text += canonicalValue(value);
                continue;
            }
            auto &[date, dateText] = lastDates[column];
            const QDateTime now = value.toDateTime();
            if (dateText.isNull() || now != date) {
                date = now;
                dateText = canonicalValue(value);
            }
            text += dateText;
        }
        rowTexts.append(std::move(text));
    }
    std::sort(rowTexts.begin(), rowTexts.end());
    QCryptographicHash digest(QCryptographicHash::Sha256);
    for (const QByteArray &text : std::as_const(rowTexts)) {
        digest.addData(text);
        digest.addData(QByteArrayView("\x1e", 1));
    }
    request.m_digest = digest.result();

    const QString deleted = QStringLiteral("D");
    const int status = rows.columnIndex(QStringLiteral("Status"));
    for (const auto &row : rows.rows) {
        const QString text = trimmedText(row.at(status)).toUpper();
        if (!text.isEmpty() && (request.m_status.isEmpty() || text == deleted))
            request.m_status = text;
    }
    request.m_verifiedBy = firstText(rows, "Verifiedby");
    request.m_verified = !request.m_verifiedBy.isEmpty();
    request.m_processedBy = firstText(rows, "ProcessBy");
    request.m_savedBy = firstText(rows, "UserID");
    const auto &first = rows.rows.first();
    request.m_remarks = first.at(rows.columnIndex(QStringLiteral("Remarks"))).toString();
    const QVariant transDate = first.at(rows.columnIndex(QStringLiteral("TransDate")));
    request.m_transDate = transDate.typeId() == QMetaType::QDateTime ? transDate.toDateTime()
                                                                     : ParseDateTimeText(transDate.toString());
    return request;
}

QString StoredRequest::closedState() const
{
    if (isDeleted())
        return QStringLiteral("deleted");
    if (isProcessed())
        return QStringLiteral("processed");
    if (isVerified())
        return QStringLiteral("verified");
    return QString();
}

bool StoredRequest::sameStateAs(const StoredRequest &now) const
{
    return m_exists == now.m_exists && isDeleted() == now.isDeleted() && isProcessed() == now.isProcessed()
        && isVerified() == now.isVerified();
}

StoredRequest::Change StoredRequest::changeTo(const StoredRequest &now) const
{
    if (m_exists && !now.m_exists)
        return {QStringLiteral("deleted"), QString()};
    if (now.isDeleted() && !isDeleted())
        return {QStringLiteral("deleted"), now.m_processedBy};
    if (now.isProcessed() && !isProcessed())
        return {QStringLiteral("processed"), now.m_processedBy};
    const bool verifiedByAnother = !m_verifiedBy.isEmpty() && now.m_verifiedBy != m_verifiedBy;
    if (now.isVerified() && (!isVerified() || verifiedByAnother))
        return {QStringLiteral("verified"), now.m_verifiedBy};
    if (!m_exists)
        return {QStringLiteral("saved"), now.m_savedBy};
    return {QStringLiteral("changed"), now.m_savedBy};
}
