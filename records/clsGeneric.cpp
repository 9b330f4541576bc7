#include "records/clsGeneric.h"

#include "platform/Database.h"
#include "records/RecordValues.h"
#include "shell/Helpers.h"

bool clsGeneric::LoadGeneric(const QString &GenericID)
{
    return Reraise(QStringLiteral("clsGeneric:LoadGeneric Method"), [&] {
        // The classification is the tree node before the generic's first "."; a key without a
        // "." is matched by its first character only.
        const ResultTable result =
            RequireConnection(m_connection)
                .Execute(QStringLiteral(" Select C.GenericID, C.GenericName, D.ClassificationName ") +
                         QStringLiteral(" From tbforGeneric C Left Outer Join ") +
                         QStringLiteral(" tbforClassification D ON SubString(C.Node_Key,1,Case When "
                                        "PatIndex('%.%',C.Node_Key) "
                                        "= 0 Then 1 Else PatIndex('%.%',C.Node_Key) -1 End ) = D.Node_Key ") +
                         QStringLiteral(" Where C.GenericID = '") + SqlText(GenericID) + QStringLiteral("'"));
        if (result.rows.isEmpty()) {
            m_genericId.clear();
            m_genericName.clear();
            m_classification.clear();
            return false;
        }
        Recordset row;
        row.OpenFrom(std::make_shared<const ResultTable>(result));
        const QString id = TextOrEmpty(row.Fields(QStringLiteral("GenericID")));
        const QString name = TextOrEmpty(row.Fields(QStringLiteral("GenericName")));
        const QString classification = TextOrEmpty(row.Fields(QStringLiteral("ClassificationName")));
        m_genericId = id;
        m_genericName = name;
        m_classification = classification;
        return true;
    });
}
