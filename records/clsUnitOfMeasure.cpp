#include "records/clsUnitOfMeasure.h"

#include "platform/Database.h"
#include "records/LookupWindows.h"
#include "records/RecordValues.h"
#include "shell/Helpers.h"

#include <cmath>

void clsUnitOfMeasure::reset()
{
    m_status.clear();
    m_description.clear();
    m_code = 0;
}

QString clsUnitOfMeasure::Description() const
{
    return Reraise(QStringLiteral("clsUnitOfMeasure:Description Property Get"),
                   [&] { return m_description; });
}

void clsUnitOfMeasure::setDescription(const QString &value)
{
    Reraise(QStringLiteral("clsUnitOfMeasure:Description Property Let"), [&] { m_description = value; });
}

qint16 clsUnitOfMeasure::Code() const
{
    return Reraise(QStringLiteral("clsUnitOfMeasure:Code Property Get"), [&] { return m_code; });
}

bool clsUnitOfMeasure::LoadUOM(qint16 UnitOfMeasureID)
{
    return Reraise(QStringLiteral("clsUnitOfMeasure:LoadUOM Method"), [&] {
        if (UnitOfMeasureID == m_code)
            return true;
        if (UnitOfMeasureID == 0) {
            reset();
            return true;
        }
        const ResultTable result =
            RequireConnection(m_connection)
                .Execute(
                    QStringLiteral("Select * From INVENTORY..tbInvUnitOfMeasure Where UnitOfMeasureID = ") +
                    QString::number(UnitOfMeasureID));
        if (result.rows.isEmpty()) {
            reset();
            return false;
        }
        Recordset row;
        row.OpenFrom(std::make_shared<const ResultTable>(result));
        const qint16 code = ValueInteger(row.Fields(QStringLiteral("UnitOfMeasureID")));
        const QString description = TextOrEmpty(row.Fields(QStringLiteral("UnitOfMeasure")));
        const QString status = TextOrEmpty(row.Fields(QStringLiteral("Status")));
        m_code = code;
        m_description = description;
        m_status = status;
        return true;
    });
}

bool clsUnitOfMeasure::Update()
{
    return Reraise(QStringLiteral("clsUnitOfMeasure:Update Method"), [&] {
        Connection &connection = RequireConnection(m_connection);
        const QString code = QString::number(m_code);
        const ResultTable existing = connection.Execute(
            QStringLiteral(
                "Select UnitOfMeasureID From INVENTORY..tbInvUnitOfMeasure Where UnitOfMeasureID = ") +
            code);
        if (existing.rows.isEmpty()) {
            const ResultTable next = connection.Execute(QStringLiteral(
                "Select Max( UnitOfMeasureID ) + 1 As NewCode From INVENTORY..tbInvUnitOfMeasure "));
            qint64 newCode = 1;
            if (!next.rows.isEmpty() && !next.rows.first().value(0).isNull())
                newCode = qint64(std::llround(ValueDouble(next.rows.first().value(0))));
            connection.Execute(
                QStringLiteral(
                    "Insert Into INVENTORY..tbInvUnitOfMeasure ( UnitOfMeasureID, UnitOfMeasure, Status ) "
                    "Values (") +
                SignedText(newCode) + QStringLiteral(" ,'") + SqlText(m_description) + QStringLiteral("','") +
                SqlText(m_status) + QStringLiteral("')"));
        } else {
            connection.Execute(QStringLiteral("Update INVENTORY..tbInvUnitOfMeasure Set UnitOfMeasure = '") +
                               SqlText(m_description) + QStringLiteral("', Status = '") + SqlText(m_status) +
                               QStringLiteral("' Where UnitOfMeasureID = ") + code);
        }
        return true;
    });
}

bool clsUnitOfMeasure::SearchUOM(const QString &UOMID)
{
    std::unique_ptr<LookupWindow> window = createMasterLookup();
    window->setSearchString(UOMID);
    window->setLookupType(3);
    const QString chosen = RunLookup(*window);
    window.reset();
    if (chosen.isEmpty())
        return false;
    return LoadUOM(ToInteger(Val(chosen)));
}
