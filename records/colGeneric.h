#pragma once

#include "records/GenericObject.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariant>

#include <memory>

// An ordered list of generic names for ordering. Entries are reached by position (from 1, in the
// order of adding) or by their text key, which is compared without regard to letter case.
// A duplicate key, a position out of range or an unknown key fails with Error.
class colGeneric
{
public:
    using Entries = QList<std::shared_ptr<GenericObject>>;

    // The last delivery quantity is brought to the nearest whole number (halves to even); one
    // outside the 16-bit range fails before anything is added. An empty key adds an entry
    // reachable only by position.
    std::shared_ptr<GenericObject> Add(const QString &GenericName, const QString &GLCode,
                                       const QDateTime &LastDeliveryDate, double LastDeliveryQuantity,
                                       double BOH, double AMC, double IT, double ForOrderQuantity,
                                       const QString &strUOM, const QString &strUOM_ID, double dblListCost,
                                       bool blnGenericOrBrand, double dblDT, double dblSSL,
                                       const QString &sKey = QString());

    // A number is a position; a text is a key.
    std::shared_ptr<GenericObject> Item(const QVariant &vntIndexKey) const;
    qint32 Count() const { return qint32(m_entries.size()); }
    void Remove(const QVariant &vntIndexKey);

    Entries::const_iterator begin() const { return m_entries.cbegin(); }
    Entries::const_iterator end() const { return m_entries.cend(); }

private:
    qsizetype indexOf(const QVariant &vntIndexKey) const;

    Entries m_entries;
    QList<QString> m_keys; // beside each entry; empty when it has none
};
