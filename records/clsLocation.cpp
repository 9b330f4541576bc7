#include "records/clsLocation.h"

#include "platform/Database.h"
#include "platform/Messages.h"
#include "records/RecordValues.h"
#include "shell/Helpers.h"

namespace {

// Sent with a sign position, so that true (-1), false ( 0) and the null default ( 1) read as
// the table holds them.
QString flagText(qint16 flag)
{
    return SignedText(flag);
}

QString bitText(bool value)
{
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

void clsLocation::reset()
{
    m_code.clear();
    m_description.clear();
    m_status = QStringLiteral("A");
    m_isWareHouse = 1;
    m_isDispensingArea = 1;
}

QString clsLocation::Code() const
{
    return Reraise(QStringLiteral("clsLocation:Code Property Get"), [&] { return m_code; });
}

QString clsLocation::Description() const
{
    return Reraise(QStringLiteral("clsLocation:Description Property Get"), [&] { return m_description; });
}

void clsLocation::setDescription(const QString &value)
{
    Reraise(QStringLiteral("clsLocation:Description Property Let"), [&] { m_description = value; });
}

bool clsLocation::LoadLocation(const QString &locationId)
{
    return Reraise(QStringLiteral("clsLocation:LoadLocation Method"), [&] {
        const ResultTable result =
            RequireConnection(m_connection)
                .Execute(QStringLiteral("Select * From INVENTORY..tbInvLocation Where LocationID = '") +
                         SqlText(locationId) + QStringLiteral("'"));
        if (result.rows.isEmpty()) {
            reset();
            return false;
        }
        Recordset row;
        row.OpenFrom(std::make_shared<const ResultTable>(result));

        // Read everything before storing anything, so a row that cannot be taken leaves the
        // record as it was.
        const QString code = TextOrEmpty(row.Fields(QStringLiteral("LocationID")));
        const QString description = TextOrEmpty(row.Fields(QStringLiteral("Location")));
        const QVariant status = row.Fields(QStringLiteral("Status"));
        const QVariant wareHouse = row.Fields(QStringLiteral("IsWareHouse"));
        const QVariant dispensing = row.Fields(QStringLiteral("isDispensingArea"));
        const bool allowedForPO = ValueBoolean(row.Fields(QStringLiteral("AllowOrder")));
        const QString statusText = status.isNull() ? QStringLiteral("A") : ValueText(status);
        const qint16 wareHouseFlag = wareHouse.isNull() ? qint16(1) : ValueInteger(wareHouse);
        const qint16 dispensingFlag = dispensing.isNull() ? qint16(1) : ValueInteger(dispensing);

        m_code = code;
        m_description = description;
        m_status = statusText;
        m_isWareHouse = wareHouseFlag;
        m_isDispensingArea = dispensingFlag;
        m_allowedForPO = allowedForPO;
        return true;
    });
}

bool clsLocation::Update()
{
    try {
        Connection &connection = RequireConnection(m_connection);
        const ResultTable existing =
            connection.Execute(QStringLiteral("Select * From INVENTORY..tbInvLocation Where LocationID = '") +
                               SqlText(m_code) + QStringLiteral("'"));
        if (existing.rows.isEmpty()) {
            const ResultTable next = connection.Execute(QStringLiteral(
                "Select Convert( VarChar(4),Max( Convert(Integer,LocationID ) ) + 1 ) As NewLocationID From "
                "INVENTORY..tbInvLocation"));
            QString newId = QStringLiteral("1");
            if (!next.rows.isEmpty()) {
                const QVariant value = next.rows.first().value(0);
                if (!value.isNull())
                    newId = ValueText(value);
            }
            connection.Execute(
                QStringLiteral(
                    "Insert Into INVENTORY..tbInvLocation (LocationId, Location, Status, IsWareHouse, "
                    "isDispensingArea, AllowOrder ) ") +
                QStringLiteral("Values ('") + SqlText(newId) + QStringLiteral("',' ") +
                SqlText(m_description) + QStringLiteral("','") + SqlText(m_status) + QStringLiteral("',") +
                flagText(m_isWareHouse) + QStringLiteral(",") + flagText(m_isDispensingArea) +
                QStringLiteral(",") + bitText(m_allowedForPO) + QStringLiteral(")"));
        } else {
            connection.Execute(
                QStringLiteral("Update INVENTORY..tbInvLocation Set Location = '") + SqlText(m_description) +
                QStringLiteral("', Status = '") + SqlText(m_status) + QStringLiteral("', isWarehouse = ") +
                flagText(m_isWareHouse) + QStringLiteral(", isDispensingArea = ") +
                flagText(m_isDispensingArea) + QStringLiteral(", AllowOrder = ") + bitText(m_allowedForPO) +
                QStringLiteral(" Where LocationID = '") + SqlText(m_code) + QStringLiteral("'"));
        }
        return true;
    } catch (const Error &error) {
        MsgBox(error.Description());
    } catch (const std::exception &error) {
        MsgBox(QString::fromLocal8Bit(error.what()));
    }
    RaiseError(9999, QStringLiteral("clsLocation:Update Method"));
}
