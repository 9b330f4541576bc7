#include "platform/Database.h"
#include "shell/Locations.h"
#include "shell/Session.h"
#include "tests/support/TestSession.h"

#include <gtest/gtest.h>

namespace {

const QString Active = QStringLiteral("( Not Status = 'I' or Status is Null )");
const QString ListPrefix = QStringLiteral("Select Location, LocationID From INVENTORY..tbInvLocation Where ");
const QString DefaultSql = QStringLiteral("Select Location From INVENTORY..tbInvLocation Where LocationID = '%1'");
const QString ByNameSql = QStringLiteral("Select * From INVENTORY..tbInvLocation Where Location = '%1'");

class FakeLocationList : public LocationList
{
public:
    void setRowSource(std::shared_ptr<Recordset> rowSource, const QString &listField) override
    {
        ++bindings;
        m_rowSource = std::move(rowSource);
        m_listField = listField;
    }
    QString Text() const override { return m_text; }
    void setText(const QString &text) override { m_text = text; }
    QString Tag() const override { return m_tag; }
    void setTag(const QString &tag) override { m_tag = tag; }

    QStringList names() const
    {
        QStringList names;
        if (!m_rowSource)
            return names;
        const auto table = m_rowSource->table();
        const int column = table->columnIndex(m_listField);
        for (const auto &row : table->rows)
            names << row.value(column).toString();
        return names;
    }

    int bindings = 0;
    QString m_listField;

private:
    std::shared_ptr<Recordset> m_rowSource;
    QString m_text;
    QString m_tag;
};

struct AccessResult
{
    bool accepted;
    QString id;
    bool notBoth;
};

AccessResult Check(const QString &name, bool checkType)
{
    AccessResult r{false, QStringLiteral("stale"), true};
    r.accepted = CheckLocationAccess(name, checkType, r.id, r.notBoth);
    return r;
}

QString Latin(const char *text)
{
    return QString::fromLatin1(text);
}

} // namespace

TEST(LoadLocation, EachChoiceOfFlagsIssuesItsStatement)
{
    const struct
    {
        bool excludeDispensing, excludeWarehouse, orderableOnly;
        QString statement;
    } cases[] = {
        {true, true, false, ListPrefix + "( isWarehouse = 0 or isDispensingArea = 0 ) AND " + Active + " ORDER BY Location"},
        {true, true, true, ListPrefix + "( isWarehouse = 0 or isDispensingArea = 0 ) AND " + Active + " ORDER BY Location"},
        {false, true, true, ListPrefix + "isWarehouse = 0 AND " + Active + " ORDER BY Location"},
        {true, false, false, ListPrefix + "isDispensingArea = 0 AND " + Active + " ORDER BY Location"},
        {false, false, false, ListPrefix + "Not Status = 'I' or Status is Null  ORDER BY Location"},
        {false, false, true, ListPrefix + "AllowOrder = 1 AND " + Active + " ORDER BY Location"},
    };
    TestSession session;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.statement.toStdString());
        FakeLocationList list;
        session.clearTrace();
        LoadLocation(list, c.excludeDispensing, false, c.excludeWarehouse, c.orderableOnly, false);
        EXPECT_EQ(session.trace(), QStringList{c.statement});
        EXPECT_EQ(list.bindings, 1);
        EXPECT_EQ(list.m_listField, QStringLiteral("Location"));
        EXPECT_FALSE(list.names().contains(Latin(Demo::InactiveStore)));
    }
    EXPECT_EQ(session.messages().count(), 0);
}

TEST(LoadLocation, AddressedLocationsLeaveOutWarehouseDispensingAreasAndPreselectTheDefault)
{
    TestSession session;
    session.raw(QStringLiteral("UPDATE tbInvLocation SET Status = NULL WHERE LocationID = '10'"));
    FakeLocationList list;
    list.setTag(QStringLiteral("old"));
    session.clearTrace();
    LoadLocation(list, true, true, true, false, false);

    ASSERT_EQ(session.trace().size(), 2);
    EXPECT_EQ(session.trace().at(1), DefaultSql.arg(QStringLiteral("94")));
    const QStringList names = list.names();
    EXPECT_TRUE(names.contains(Latin(Demo::CentralSupply)));   // a warehouse only
    EXPECT_TRUE(names.contains(Latin(Demo::EmergencyRoom)));   // Status null is active
    EXPECT_FALSE(names.contains(Latin(Demo::MainPharmacy)));   // both warehouse and dispensing area
    EXPECT_FALSE(names.contains(Latin(Demo::InactiveStore)));
    EXPECT_EQ(list.Text(), Latin(Demo::CentralSupply));
    EXPECT_EQ(list.Tag(), QStringLiteral("94"));
}

TEST(LoadLocation, MissingDefaultLeavesTextAndTagEmpty)
{
    TestSession session;
    gDefaultLocationID = QStringLiteral("nowhere'");
    FakeLocationList list;
    list.setTag(QStringLiteral("old"));
    session.clearTrace();
    LoadLocation(list, true, true, true, false, false);

    EXPECT_EQ(session.trace().value(1), DefaultSql.arg(QStringLiteral("nowhere''")));
    EXPECT_EQ(list.Text(), QString());
    EXPECT_EQ(list.Tag(), QString());
    EXPECT_EQ(session.messages().count(), 0);
}

TEST(LoadLocation, UserLocationsComeFromTheEmployeesAssignment)
{
    TestSession clerk;
    FakeLocationList list;
    clerk.clearTrace();
    // The other flags are ignored for the user's own locations.
    LoadLocation(list, true, false, true, true, true);

    EXPECT_EQ(clerk.trace(), QStringList{QStringLiteral("INVENTORY..sp_Inv_UserLocation '1001'")});
    QStringList names = list.names();
    names.sort();
    QStringList expected{Latin(Demo::CentralSupply), Latin(Demo::EmergencyRoom), Latin(Demo::Icu)};
    expected.sort();
    EXPECT_EQ(names, expected);
    EXPECT_EQ(list.Tag(), QString());
}

TEST(LoadLocation, EmployeeWithoutLocationsGetsAnUnboundList)
{
    TestSession nurse(Latin(Demo::NurseId));
    FakeLocationList list;
    LoadLocation(list, false, false, false, false, true);
    EXPECT_EQ(list.bindings, 0);
    EXPECT_EQ(nurse.messages().count(), 0);
}

TEST(LoadLocation, FailureIsShownWithItsOrigin)
{
    TestSession session;
    session.raw(QStringLiteral("DROP TABLE tbInvLocation"));
    FakeLocationList list;
    LoadLocation(list, true, true, true, false, false);

    ASSERT_EQ(session.messages().count(), 1);
    const Message m = session.messages().last();
    EXPECT_TRUE(m.text.startsWith(QStringLiteral("Called from: Sub LoadLocation -"))) << m.text.toStdString();
    EXPECT_GT(m.text.size(), QStringLiteral("Called from: Sub LoadLocation -").size());
    EXPECT_EQ(m.buttons, MsgButtons::OK);
    EXPECT_EQ(list.bindings, 0);
}

TEST(CheckLocationAccess, ResolvesNamesAndWarehouseFlags)
{
    TestSession session;
    session.clearTrace();

    AccessResult r = Check(Latin(Demo::CentralSupply), true);
    EXPECT_TRUE(r.accepted);
    EXPECT_EQ(r.id, Latin(Demo::CentralSupplyId));
    EXPECT_TRUE(r.notBoth);
    EXPECT_EQ(session.trace(), QStringList{ByNameSql.arg(Latin(Demo::CentralSupply))});

    r = Check(Latin(Demo::MainPharmacy), true);
    EXPECT_TRUE(r.accepted);
    EXPECT_EQ(r.id, Latin(Demo::MainPharmacyId));
    EXPECT_FALSE(r.notBoth);

    session.raw(QStringLiteral("UPDATE tbInvLocation SET isWarehouse = NULL, isDispensingArea = NULL "
                               "WHERE LocationID = '10'"));
    r = Check(Latin(Demo::EmergencyRoom), false);
    EXPECT_TRUE(r.accepted);
    EXPECT_FALSE(r.notBoth);

    r = Check(QStringLiteral("NO SUCH PLACE"), true);
    EXPECT_FALSE(r.accepted);
    EXPECT_EQ(r.id, QString());
    EXPECT_FALSE(r.notBoth);
    EXPECT_EQ(session.messages().count(), 0);
}

TEST(CheckLocationAccess, NameWithAQuoteStaysOneLiteral)
{
    TestSession session;
    session.raw(QStringLiteral("INSERT INTO tbInvLocation (LocationID, Location, isWarehouse, isDispensingArea, "
                               "AllowOrder) VALUES ('77', 'ST. JUDE''S WARD', 0, 0, 1)"));
    session.clearTrace();

    const AccessResult r = Check(QStringLiteral("ST. JUDE'S WARD"), true);
    EXPECT_TRUE(r.accepted);
    EXPECT_EQ(r.id, QStringLiteral("77"));
    EXPECT_EQ(session.trace(), QStringList{ByNameSql.arg(QStringLiteral("ST. JUDE''S WARD"))});
    EXPECT_FALSE(Check(QStringLiteral("x' or '1'='1"), true).accepted);
    EXPECT_EQ(session.messages().count(), 0);
}

TEST(CheckLocationAccess, InventoryTypeCheck)
{
    TestSession session;
    session.raw(QStringLiteral("UPDATE tbInvLocation SET InventoryType = 'MS' WHERE LocationID = '94'"));
    session.raw(QStringLiteral("UPDATE tbInvLocation SET InventoryType = NULL WHERE LocationID = '10'"));
    const QString central = Latin(Demo::CentralSupply);

    const struct
    {
        const char *allowed;
        QString name;
        bool accepted;
    } cases[] = {
        {"A", central, true},   {"S", central, true}, {"MS", central, true}, {"X", central, false},
        {"s", central, false},  {"", central, false}, {"X", Latin(Demo::EmergencyRoom), true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.allowed) + " " + c.name.toStdString());
        session.messages().clear();
        gAllowedInventoryTypes = Latin(c.allowed);
        const AccessResult r = Check(c.name, true);
        EXPECT_EQ(r.accepted, c.accepted);
        if (c.accepted) {
            EXPECT_FALSE(r.id.isEmpty());
            EXPECT_EQ(session.messages().count(), 0);
        } else {
            EXPECT_EQ(r.id, QString());
            ASSERT_EQ(session.messages().count(), 1);
            EXPECT_EQ(session.messages().last().text, QStringLiteral("Unauthorized Access..."));
            EXPECT_EQ(session.messages().last().title, AppTitle());
        }
    }

    // Without the type check every existing location passes.
    gAllowedInventoryTypes = QStringLiteral("X");
    session.messages().clear();
    EXPECT_TRUE(Check(central, false).accepted);
    EXPECT_EQ(session.messages().count(), 0);
}

TEST(CheckLocationAccess, FailureIsShownAndRefuses)
{
    TestSession session;
    session.raw(QStringLiteral("DROP TABLE tbInvLocation"));
    const AccessResult r = Check(Latin(Demo::CentralSupply), false);
    EXPECT_FALSE(r.accepted);
    EXPECT_EQ(r.id, QString());
    ASSERT_EQ(session.messages().count(), 1);
    EXPECT_FALSE(session.messages().last().text.isEmpty());
}
