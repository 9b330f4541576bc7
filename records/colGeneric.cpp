#include "records/colGeneric.h"

#include "platform/Error.h"
#include "records/RecordValues.h"

#include <cmath>

namespace {

const QString collectionSource = QStringLiteral("colGeneric");

[[noreturn]] void invalidArgument()
{
    throw Error(5, collectionSource, QStringLiteral("Invalid procedure call or argument"));
}

bool isText(const QVariant &value)
{
    return value.typeId() == QMetaType::QString;
}

} // namespace

std::shared_ptr<GenericObject> colGeneric::Add(const QString &GenericName, const QString &GLCode,
                                               const QDateTime &LastDeliveryDate, double LastDeliveryQuantity,
                                               double BOH, double AMC, double IT, double ForOrderQuantity,
                                               const QString &strUOM, const QString &strUOM_ID,
                                               double dblListCost, bool blnGenericOrBrand, double dblDT,
                                               double dblSSL, const QString &sKey)
{
    const qint16 lastDeliveryQuantity = ToInteger(LastDeliveryQuantity);
    if (!sKey.isEmpty()) {
        for (const QString &key : std::as_const(m_keys)) {
            if (key.compare(sKey, Qt::CaseInsensitive) == 0)
                throw Error(
                    457, collectionSource,
                    QStringLiteral("This key is already associated with an element of this collection"));
        }
    }

    auto entry = std::make_shared<GenericObject>();
    entry->setGenericName(GenericName);
    entry->setGLCode(GLCode);
    entry->setLastDeliveryDate(LastDeliveryDate);
    entry->setLastDeliveryQuantity(lastDeliveryQuantity);
    entry->setBOH(BOH);
    entry->setAMC(AMC);
    entry->setIT(IT);
    entry->setForOrderQuantity(ForOrderQuantity);
    entry->setUOM(strUOM);
    entry->setUOM_ID(strUOM_ID);
    entry->setListCost(dblListCost);
    entry->setGenericOrBrand(blnGenericOrBrand);
    entry->setDT(dblDT);
    entry->setSSL(dblSSL);

    m_entries.append(entry);
    m_keys.append(sKey);
    return entry;
}

qsizetype colGeneric::indexOf(const QVariant &vntIndexKey) const
{
    if (isText(vntIndexKey)) {
        const QString key = vntIndexKey.toString();
        if (!key.isEmpty()) {
            for (qsizetype i = 0; i < m_keys.size(); ++i) {
                if (m_keys.at(i).compare(key, Qt::CaseInsensitive) == 0)
                    return i;
            }
        }
        invalidArgument();
    }
    bool ok = false;
    const double position = vntIndexKey.toDouble(&ok);
    if (!ok || !std::isfinite(position))
        invalidArgument();
    const double whole = RoundHalfEven(position);
    if (whole < 1 || whole > double(m_entries.size()))
        throw Error(9, collectionSource, QStringLiteral("Subscript out of range"));
    return qsizetype(whole) - 1;
}

std::shared_ptr<GenericObject> colGeneric::Item(const QVariant &vntIndexKey) const
{
    return m_entries.at(indexOf(vntIndexKey));
}

void colGeneric::Remove(const QVariant &vntIndexKey)
{
    const qsizetype index = indexOf(vntIndexKey);
    m_entries.removeAt(index);
    m_keys.removeAt(index);
}
