#pragma once

#include <QString>

#include <memory>

class Connection;
class clsTerms;

// One row of INVENTORY..tbInvSupplier: a supplier or manufacturer. Its payment terms are a
// record of their own, loaded when first read.
class clsSupplier
{
public:
    clsSupplier();
    ~clsSupplier();

    QString ContactPerson() const { return m_contactPerson; }
    void setContactPerson(const QString &value) { m_contactPerson = value; }
    bool VATSupplier() const { return m_vatSupplier; }
    void setVATSupplier(bool value) { m_vatSupplier = value; }
    bool FreeGoods() const { return m_freeGoods; }
    void setFreeGoods(bool value) { m_freeGoods = value; }
    QString TelNum() const { return m_telNum; }
    void setTelNum(const QString &value) { m_telNum = value; }

    // Opens the supplier lookup on the code; true when a supplier was chosen and loaded.
    bool SearchSupplier(const QString &SupplierID);

    std::shared_ptr<clsTerms> Terms();
    void setTerms(std::shared_ptr<clsTerms> value) { m_terms = std::move(value); }

    QString Status() const { return m_status; }
    void setStatus(const QString &value) { m_status = value; }

    void setActiveConnection(Connection *connection) { m_connection = connection; }
    Connection *ActiveConnection() const { return m_connection; }

    // Inserts under the next free code when SupplierID is not stored (SupplierID keeps its value),
    // else updates the row.
    bool Update();
    // True when loaded, when the code is blank (the record is reset) or already loaded.
    bool LoadSupplier(const QString &SupplierID);

    QString Address3() const { return m_address3; }
    void setAddress3(const QString &value) { m_address3 = value; }
    QString Address2() const { return m_address2; }
    void setAddress2(const QString &value) { m_address2 = value; }
    QString Address1() const { return m_address1; }
    void setAddress1(const QString &value) { m_address1 = value; }
    QString SupplierType() const { return m_supplierType; }
    void setSupplierType(const QString &value) { m_supplierType = value; }
    QString SupplierName() const { return m_supplierName; }
    void setSupplierName(const QString &value) { m_supplierName = value; }
    QString SupplierID() const { return m_supplierId; }
    void setSupplierID(const QString &value) { m_supplierId = value; }

private:
    void reset();

    Connection *m_connection = nullptr;
    std::shared_ptr<clsTerms> m_terms;

    QString m_contactPerson;
    bool m_vatSupplier = false;
    bool m_freeGoods = false;
    QString m_telNum;
    QString m_status;
    QString m_address3;
    QString m_address2;
    QString m_address1;
    QString m_supplierType;
    QString m_supplierName;
    QString m_supplierId;
    qint16 m_termsCode = 0;
};
