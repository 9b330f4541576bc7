#pragma once

#include "records/RecordValues.h"

#include <QDateTime>
#include <QString>

// One generic name of an ordering list with its figures; filled entirely by its owner
// (colGeneric::Add).
class GenericObject
{
public:
    void setGenericOrBrand(bool value) { m_genericOrBrand = value; }
    bool GenericOrBrand() const { return m_genericOrBrand; }
    void setListCost(double value) { m_listCost = value; }
    double ListCost() const { return m_listCost; }
    void setUOM_ID(const QString &value) { m_uomId = value; }
    QString UOM_ID() const { return m_uomId; }
    void setUOM(const QString &value) { m_uom = value; }
    QString UOM() const { return m_uom; }
    void setForOrderQuantity(double value) { m_forOrderQuantity = value; }
    double ForOrderQuantity() const { return m_forOrderQuantity; }
    void setIT(double value) { m_it = value; }
    double IT() const { return m_it; }
    void setAMC(double value) { m_amc = value; }
    double AMC() const { return m_amc; }
    void setBOH(double value) { m_boh = value; }
    double BOH() const { return m_boh; }
    void setLastDeliveryQuantity(IntegerArgument value) { m_lastDeliveryQuantity = value; }
    qint16 LastDeliveryQuantity() const { return m_lastDeliveryQuantity; }
    void setLastDeliveryDate(const QDateTime &value) { m_lastDeliveryDate = value; }
    QDateTime LastDeliveryDate() const { return m_lastDeliveryDate; }
    void setGLCode(const QString &value) { m_glCode = value; }
    QString GLCode() const { return m_glCode; }
    void setGenericName(const QString &value) { m_genericName = value; }
    QString GenericName() const { return m_genericName; }
    double DT() const { return m_dt; }
    void setDT(double value) { m_dt = value; }
    double SSL() const { return m_ssl; }
    void setSSL(double value) { m_ssl = value; }

private:
    bool m_genericOrBrand = false;
    double m_listCost = 0;
    QString m_uomId;
    QString m_uom;
    double m_forOrderQuantity = 0;
    double m_it = 0;
    double m_amc = 0;
    double m_boh = 0;
    qint16 m_lastDeliveryQuantity = 0;
    QDateTime m_lastDeliveryDate;
    QString m_glCode;
    QString m_genericName;
    double m_dt = 0;
    double m_ssl = 0;
};
