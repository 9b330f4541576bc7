#include "records/clsSupplier.h"

#include "platform/Database.h"
#include "records/LookupWindows.h"
#include "records/RecordValues.h"
#include "records/clsTerms.h"
#include "shell/Helpers.h"

namespace {

QString bitText(bool value)
{
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

clsSupplier::clsSupplier() = default;

clsSupplier::~clsSupplier() = default;

void clsSupplier::reset()
{
    m_supplierId.clear();
    m_supplierName.clear();
    m_supplierType.clear();
    m_address1.clear();
    m_address2.clear();
    m_address3.clear();
    m_telNum.clear();
    m_termsCode = 0;
}

bool clsSupplier::LoadSupplier(const QString &SupplierID)
{
    return Reraise(QStringLiteral("clsSupplier:LoadSupplier Method"), [&] {
        if (SupplierID == m_supplierId)
            return true;
        m_terms.reset();
        if (TrimBlanks(SupplierID).isEmpty()) {
            reset();
            return true;
        }
        const ResultTable result =
            RequireConnection(m_connection)
                .Execute(QStringLiteral("Select * From INVENTORY..tbInvSupplier Where SupplierID = '") +
                         SqlText(SupplierID) + QStringLiteral("'"));
        if (result.rows.isEmpty()) {
            reset();
            return false;
        }
        Recordset row;
        row.OpenFrom(std::make_shared<const ResultTable>(result));
        auto field = [&row](const char *name) { return row.Fields(QLatin1String(name)); };

        // Read the whole row before storing it, so a row that cannot be taken changes nothing.
        const QString id = TextOrEmpty(field("SupplierID"));
        const QString name = TextOrEmpty(field("SupplierName"));
        const QString status = TextOrEmpty(field("Status"));
        const QString type = TextOrEmpty(field("SupplierType"));
        const QString address1 = TextOrEmpty(field("Address1"));
        const QString address2 = TextOrEmpty(field("Address2"));
        const QString address3 = TextOrEmpty(field("Address3"));
        const bool freeGoods = ValueBoolean(field("FreeGoods"));
        const qint16 termsCode = ValueInteger(NullToDefault(field("TermsID"), 0));
        const QString telNum = TextOrEmpty(field("TelNum"));
        const bool vat = ValueBoolean(field("isVAT"));
        const QString contactPerson = TextOrEmpty(field("ContactPerson"));

        m_supplierId = id;
        m_supplierName = name;
        m_status = status;
        m_supplierType = type;
        m_address1 = address1;
        m_address2 = address2;
        m_address3 = address3;
        m_freeGoods = freeGoods;
        m_termsCode = termsCode;
        m_telNum = telNum;
        m_vatSupplier = vat;
        m_contactPerson = contactPerson;
        return true;
    });
}

std::shared_ptr<clsTerms> clsSupplier::Terms()
{
    return LoadOnFirstRead(m_terms, m_connection,
                           [&](clsTerms &terms) { terms.LoadTerms(m_termsCode, QString()); });
}

bool clsSupplier::Update()
{
    QString description;
    try {
        // The held terms are written as they are; Update does not load them.
        if (!m_terms)
            throw Error(91, QStringLiteral("clsSupplier"),
                        QStringLiteral("Object variable or With block variable not set"));
        const qint16 termsCode = m_terms->Code();
        const QString termsText = termsCode == 0 ? QStringLiteral("null") : SignedText(termsCode);

        Connection &connection = RequireConnection(m_connection);
        const ResultTable existing = connection.Execute(
            QStringLiteral("Select SupplierID From INVENTORY..tbInvSupplier Where SupplierID = '") +
            SqlText(m_supplierId) + QStringLiteral("'"));
        if (existing.rows.isEmpty()) {
            const ResultTable next = connection.Execute(QStringLiteral(
                "Select Convert( VarChar(4),Max( Convert(Integer,SupplierID) ) + 1) As NewSupplierID From "
                "INVENTORY..tbInvSupplier "));
            QString newId = QStringLiteral("1");
            if (!next.rows.isEmpty() && !next.rows.first().value(0).isNull())
                newId = ValueText(next.rows.first().value(0));
            connection.Execute(
                QStringLiteral(
                    "Insert Into INVENTORY..tbInvSupplier (SupplierID, SupplierName, Status, SupplierType, "
                    "Address1, Address2, Address3, TermsID, TelNum, FreeGoods, isVAT, ContactPerson ) "
                    "Values ('") +
                SqlText(newId) + QStringLiteral("','") + SqlText(m_supplierName) + QStringLiteral(" ','") +
                SqlText(m_status) + QStringLiteral("','") + SqlText(m_supplierType) + QStringLiteral("','") +
                SqlText(m_address1) + QStringLiteral("','") + SqlText(m_address2) + QStringLiteral("','") +
                SqlText(m_address3) + QStringLiteral("',") + SignedText(termsCode) + QStringLiteral(",'") +
                SqlText(m_telNum) + QStringLiteral("', ") + bitText(m_freeGoods) + QStringLiteral(",") +
                bitText(m_vatSupplier) + QStringLiteral(",'") + SqlText(m_contactPerson) +
                QStringLiteral("' )"));
        } else {
            connection.Execute(
                QStringLiteral("Update INVENTORY..tbInvSupplier Set SupplierName = '") +
                SqlText(m_supplierName) + QStringLiteral("', Status = '") + SqlText(m_status) +
                QStringLiteral("', SupplierType = '") + SqlText(m_supplierType) +
                QStringLiteral("', Address1 = '") + SqlText(m_address1) + QStringLiteral("', Address2 = '") +
                SqlText(m_address2) + QStringLiteral("', Address3 = '") + SqlText(m_address3) +
                QStringLiteral("', TermsID = ") + termsText + QStringLiteral(", TelNum = '") +
                SqlText(m_telNum) + QStringLiteral("', ") + QStringLiteral("FreeGoods = ") +
                bitText(m_freeGoods) + QStringLiteral(", isVAT = ") + bitText(m_vatSupplier) +
                QStringLiteral(", ContactPerson = '") + SqlText(m_contactPerson) +
                QStringLiteral("' where SupplierID = '") + SqlText(m_supplierId) + QStringLiteral("'"));
        }
        return true;
    } catch (const Error &error) {
        description = error.Description();
    } catch (const std::exception &error) {
        description = QString::fromLocal8Bit(error.what());
    }
    RaiseError(9999, QStringLiteral("clsSupplier:Update Method :") + description);
}

bool clsSupplier::SearchSupplier(const QString &SupplierID)
{
    std::unique_ptr<LookupWindow> window = createMasterLookup();
    window->setSearchString(SupplierID);
    window->setLookupType(1);
    const QString chosen = RunLookup(*window);
    window.reset();
    if (chosen.isEmpty())
        return false;
    return LoadSupplier(chosen);
}
