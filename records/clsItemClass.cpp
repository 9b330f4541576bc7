#include "records/clsItemClass.h"

#include "platform/Database.h"
#include "records/RecordValues.h"
#include "shell/Helpers.h"

void clsItemClass::reset()
{
    m_status.clear();
    m_code.clear();
    m_description.clear();
}

QString clsItemClass::Code() const
{
    return Reraise(QStringLiteral("clsItemClass:Code Property Get"), [&] { return m_code; });
}

QString clsItemClass::Description() const
{
    return Reraise(QStringLiteral("clsItemClass:Description Property Get"), [&] { return m_description; });
}

void clsItemClass::setDescription(const QString &value)
{
    Reraise(QStringLiteral("clsItemClass:Description Property Let"), [&] { m_description = value; });
}

bool clsItemClass::LoadItemClass(const QString &ItemClassificationID)
{
    return Reraise(QStringLiteral("clsItemClass:LoadItemClass Method"), [&] {
        if (ItemClassificationID == m_code)
            return true;
        if (TrimBlanks(ItemClassificationID).isEmpty()) {
            reset();
            return true;
        }
        const ResultTable result =
            RequireConnection(m_connection)
                .Execute(QStringLiteral(
                             "Select * From INVENTORY..tbInvClassification Where ItemClassificationID = '") +
                         SqlText(ItemClassificationID) + QStringLiteral("'"));
        if (result.rows.isEmpty()) {
            reset();
            return false;
        }
        Recordset row;
        row.OpenFrom(std::make_shared<const ResultTable>(result));
        const QString description = TextOrEmpty(row.Fields(QStringLiteral("ItemClassificationName")));
        const QString code = TextOrEmpty(row.Fields(QStringLiteral("ItemClassificationID")));
        const QVariant status = row.Fields(QStringLiteral("Status"));
        m_description = description;
        m_code = code;
        m_status = status.isNull() ? QStringLiteral("A") : ValueText(status);
        return true;
    });
}

bool clsItemClass::Update()
{
    return Reraise(QStringLiteral("clsItemClass:Update Method"), [&] {
        Connection &connection = RequireConnection(m_connection);
        const ResultTable existing = connection.Execute(
            QStringLiteral("Select * From INVENTORY..tbInvClassification Where ItemClassificationID = '") +
            SqlText(m_code) + QStringLiteral("'"));
        if (existing.rows.isEmpty()) {
            if (TrimBlanks(m_code).isEmpty() || m_code == QLatin1String("New")) {
                const ResultTable last = connection.Execute(QStringLiteral(
                    "Select Max( ItemClassificationID ) As MaxCode From INVENTORY..tbInvClassification "));
                if (last.rows.isEmpty()) {
                    m_code = QStringLiteral("A");
                } else {
                    // An empty table gives a null largest code, which has no next letter.
                    const QString largest = ValueText(last.rows.first().value(0));
                    if (largest.isEmpty())
                        throw Error(5, QStringLiteral("clsItemClass"),
                                    QStringLiteral("Invalid procedure call or argument"));
                    m_code = QString(QChar(char16_t(largest.at(0).unicode() + 1)));
                }
            }
            connection.Execute(QStringLiteral("Insert Into INVENTORY..tbInvClassification "
                                              "(ItemClassificationID,ItemClassificationName, Status ) ") +
                               QStringLiteral("Values ('") + SqlText(m_code) + QStringLiteral("','") +
                               SqlText(m_description) + QStringLiteral("','") + SqlText(m_status) +
                               QStringLiteral("')"));
        } else {
            connection.Execute(
                QStringLiteral("Update INVENTORY..tbInvClassification Set ItemClassificationName = '") +
                SqlText(m_description) + QStringLiteral("', Status = '") + SqlText(m_status) +
                QStringLiteral("' Where ItemClassificationID = '") + SqlText(m_code) + QStringLiteral("'"));
        }
        return true;
    });
}
