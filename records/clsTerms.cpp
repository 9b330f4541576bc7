#include "records/clsTerms.h"

#include "platform/Database.h"
#include "records/LookupWindows.h"
#include "records/RecordValues.h"
#include "shell/Helpers.h"

#include <cmath>

void clsTerms::reset()
{
    m_description.clear();
    m_numberOfDays = 0;
    m_code = 0;
    m_status.clear();
}

qint16 clsTerms::Code() const
{
    return Reraise(QStringLiteral("clsTerms:Code Property Get"), [&] { return m_code; });
}

bool clsTerms::LoadTerms(qint16 TermsID, const QString &TermDesc)
{
    return Reraise(QStringLiteral("clsTerms:LoadTerms Method"), [&] {
        if (TermsID == m_code)
            return true;
        if (TermsID == 0) {
            reset();
            return true;
        }
        const ResultTable result =
            RequireConnection(m_connection)
                .Execute(QStringLiteral("Select * From INVENTORY..tbInvTerms Where TermsID = ") +
                         SignedText(TermsID) + QStringLiteral(" or Terms = '") +
                         SqlText(TrimBlanks(TermDesc)) + QStringLiteral("'"));
        if (result.rows.isEmpty()) {
            reset();
            return false;
        }
        Recordset row;
        row.OpenFrom(std::make_shared<const ResultTable>(result));
        const qint16 code = ValueInteger(row.Fields(QStringLiteral("TermsID")));
        const QString description = ValueText(row.Fields(QStringLiteral("Terms")));
        const qint16 days = ValueInteger(NullToDefault(row.Fields(QStringLiteral("Nodays")), 0));
        const QString status = TextOrEmpty(row.Fields(QStringLiteral("Status")));
        m_code = code;
        m_description = description;
        m_numberOfDays = days;
        m_status = status;
        return true;
    });
}

bool clsTerms::Update()
{
    return Reraise(QStringLiteral("clsTerms:Update Method"), [&] {
        Connection &connection = RequireConnection(m_connection);
        const QString code = QString::number(m_code);
        const ResultTable existing =
            connection.Execute(QStringLiteral("Select * From INVENTORY..tbInvTerms Where TermsID = ") + code);
        if (existing.rows.isEmpty()) {
            const ResultTable next = connection.Execute(
                QStringLiteral("Select Max( TermsID ) + 1 As NewCode From INVENTORY..tbInvTerms"));
            qint64 newCode = 1;
            if (!next.rows.isEmpty() && !next.rows.first().value(0).isNull())
                newCode = qint64(std::llround(ValueDouble(next.rows.first().value(0))));
            connection.Execute(
                QStringLiteral("Insert Into INVENTORY..tbInvTerms ( TermsID, Terms, NoDays, Status ) "
                               "Values (") +
                SignedText(newCode) + QStringLiteral(",'") + SqlText(m_description) + QStringLiteral("',") +
                SignedText(m_numberOfDays) + QStringLiteral(",'") + SqlText(m_status) + QStringLiteral("')"));
        } else {
            connection.Execute(QStringLiteral("Update INVENTORY..tbInvTerms Set Terms = '") +
                               SqlText(m_description) + QStringLiteral("', NoDays = ") +
                               QString::number(m_numberOfDays) + QStringLiteral(", Status = '") +
                               SqlText(m_status) + QStringLiteral("' Where TermsID = ") + code);
        }
        return true;
    });
}

bool clsTerms::SearchTerms(const QString &TermsID)
{
    std::unique_ptr<LookupWindow> window = createMasterLookup();
    window->setSearchString(TermsID);
    window->setLookupType(2);
    const QString chosen = RunLookup(*window);
    window.reset();
    if (chosen.isEmpty())
        return false;
    return LoadTerms(ToInteger(Val(chosen)), QString());
}
