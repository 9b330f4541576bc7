#include "records/clsSupplier.h"
#include "records/clsTerms.h"
#include "tests/records/RecordsTesting.h"

namespace {

class SupplierAndTerms : public ::testing::Test
{
protected:
    SupplierAndTerms()
    {
        session.raw(QStringLiteral("DELETE FROM tbInvSupplier"));
        session.raw(QStringLiteral("DELETE FROM tbInvTerms"));
        session.raw(
            QStringLiteral("INSERT INTO tbInvTerms (TermsID, Terms, NoDays, Status) VALUES "
                           "(5, '30 DAYS', 30, 'A'), (7, 'COD', NULL, NULL), (12, '60 DAYS', 60, 'A')"));
        session.raw(
            QStringLiteral("INSERT INTO tbInvSupplier (SupplierID, SupplierName, Status, SupplierType, "
                           "Address1, TermsID, TelNum, FreeGoods, isVAT, ContactPerson) VALUES "
                           "('7', 'MEDIX TRADING', 'A', 'S', 'QUAY 1', 5, '555', 1, 0, 'ANA'), "
                           "('9', 'NOTERMS INC', 'A', 'M', NULL, NULL, NULL, 0, 1, NULL)"));
        supplier.setActiveConnection(session.connection());
        terms.setActiveConnection(session.connection());
        session.clearTrace();
    }

    TestSession session;
    clsSupplier supplier;
    clsTerms terms;
};

TEST_F(SupplierAndTerms, LoadsASupplierAndItsTermsOnFirstRead)
{
    ASSERT_TRUE(supplier.LoadSupplier(QStringLiteral("7")));
    EXPECT_EQ(session.trace(),
              QStringList{QStringLiteral("Select * From INVENTORY..tbInvSupplier Where SupplierID = '7'")});
    EXPECT_EQ(supplier.SupplierName(), QStringLiteral("MEDIX TRADING"));
    EXPECT_TRUE(supplier.FreeGoods());
    EXPECT_FALSE(supplier.VATSupplier());
    EXPECT_EQ(supplier.ContactPerson(), QStringLiteral("ANA"));

    EXPECT_EQ(supplier.Terms()->Description(), QStringLiteral("30 DAYS"));
    EXPECT_EQ(supplier.Terms()->NumberOfDays(), 30);
    EXPECT_EQ(
        statementsStartingWith(session, QStringLiteral("Select * From INVENTORY..tbInvTerms")),
        QStringList{QStringLiteral("Select * From INVENTORY..tbInvTerms Where TermsID =  5 or Terms = ''")});

    session.clearTrace();
    EXPECT_TRUE(supplier.LoadSupplier(QStringLiteral("7")));
    EXPECT_TRUE(session.trace().isEmpty());
    EXPECT_TRUE(supplier.LoadSupplier(QStringLiteral("  ")));
    EXPECT_TRUE(session.trace().isEmpty());
    EXPECT_EQ(supplier.SupplierName(), QString());
    EXPECT_EQ(supplier.Terms()->Code(), 0);
}

TEST_F(SupplierAndTerms, AnUnknownSupplierResetsTheRecord)
{
    ASSERT_TRUE(supplier.LoadSupplier(QStringLiteral("7")));
    EXPECT_FALSE(supplier.LoadSupplier(QStringLiteral("404")));
    EXPECT_EQ(supplier.SupplierID(), QString());
    EXPECT_EQ(supplier.Address1(), QString());
    // Status and the flags are not part of the reset.
    EXPECT_EQ(supplier.Status(), QStringLiteral("A"));
    EXPECT_TRUE(supplier.FreeGoods());
}

TEST_F(SupplierAndTerms, ANullFlagFailsTheLoadWithItsSource)
{
    session.raw(QStringLiteral("UPDATE tbInvSupplier SET FreeGoods = NULL WHERE SupplierID = '9'"));
    const Error error = raisedBy([&] { supplier.LoadSupplier(QStringLiteral("9")); });
    EXPECT_EQ(error.Number(), kRecordError);
    EXPECT_EQ(error.Source(), QStringLiteral("clsSupplier:LoadSupplier Method"));
}

TEST_F(SupplierAndTerms, UpdateWritesNullForNoTermsAndQuotesDoubled)
{
    ASSERT_TRUE(supplier.LoadSupplier(QStringLiteral("9")));
    ASSERT_EQ(supplier.Terms()->Code(), 0);
    supplier.setSupplierName(QStringLiteral("O'HARA & SONS"));
    session.clearTrace();

    EXPECT_TRUE(supplier.Update());
    ASSERT_EQ(session.trace().size(), 2);
    EXPECT_EQ(session.trace().at(0),
              QStringLiteral("Select SupplierID From INVENTORY..tbInvSupplier Where SupplierID = '9'"));
    EXPECT_EQ(
        session.trace().at(1),
        QStringLiteral("Update INVENTORY..tbInvSupplier Set SupplierName = 'O''HARA & SONS', Status = 'A', "
                       "SupplierType = 'M', Address1 = '', Address2 = '', Address3 = '', TermsID = null, "
                       "TelNum = '', FreeGoods = 0, isVAT = 1, ContactPerson = '' where SupplierID = '9'"));

    clsSupplier reread;
    reread.setActiveConnection(session.connection());
    ASSERT_TRUE(reread.LoadSupplier(QStringLiteral("9")));
    EXPECT_EQ(reread.SupplierName(), QStringLiteral("O'HARA & SONS"));
}

TEST_F(SupplierAndTerms, UpdateOfANewSupplierInsertsUnderTheNextCode)
{
    auto noTerms = std::make_shared<clsTerms>();
    supplier.setTerms(noTerms);
    supplier.setSupplierID(QStringLiteral("NEW"));
    supplier.setSupplierName(QStringLiteral("FRESH"));
    supplier.setStatus(QStringLiteral("A"));
    supplier.setVATSupplier(true);

    EXPECT_TRUE(supplier.Update());
    ASSERT_EQ(session.trace().size(), 3);
    EXPECT_EQ(
        session.trace().at(1),
        QStringLiteral("Select Convert( VarChar(4),Max( Convert(Integer,SupplierID) ) + 1) As NewSupplierID "
                       "From INVENTORY..tbInvSupplier "));
    EXPECT_EQ(session.trace().at(2),
              QStringLiteral(
                  "Insert Into INVENTORY..tbInvSupplier (SupplierID, SupplierName, Status, SupplierType, "
                  "Address1, Address2, Address3, TermsID, TelNum, FreeGoods, isVAT, ContactPerson ) "
                  "Values ('10','FRESH ','A','','','','', 0,'', 0,1,'' )"));
    EXPECT_EQ(supplier.SupplierID(), QStringLiteral("NEW"));

    session.raw(QStringLiteral("DELETE FROM tbInvSupplier"));
    EXPECT_TRUE(supplier.Update());
    EXPECT_EQ(session.rawValue(QStringLiteral("SELECT SupplierID FROM tbInvSupplier")).toString(),
              QStringLiteral("1"));
}

TEST_F(SupplierAndTerms, UpdateWithoutTermsRaisesWithTheDescription)
{
    supplier.setSupplierID(QStringLiteral("7"));
    const Error error = raisedBy([&] { supplier.Update(); });
    EXPECT_EQ(error.Number(), kRecordError);
    EXPECT_TRUE(error.Source().startsWith(QStringLiteral("clsSupplier:Update Method :")));
    EXPECT_GT(error.Source().size(), QStringLiteral("clsSupplier:Update Method :").size());
    EXPECT_TRUE(session.messages().texts().isEmpty());
}

TEST_F(SupplierAndTerms, TermsLoadByCodeOrText)
{
    EXPECT_TRUE(terms.LoadTerms(0, QStringLiteral("anything")));
    EXPECT_TRUE(session.trace().isEmpty());

    ASSERT_TRUE(terms.LoadTerms(99, QStringLiteral(" COD ")));
    EXPECT_EQ(session.trace(),
              QStringList{QStringLiteral(
                  "Select * From INVENTORY..tbInvTerms Where TermsID =  99 or Terms = 'COD'")});
    EXPECT_EQ(terms.Code(), 7);
    EXPECT_EQ(terms.NumberOfDays(), 0);
    EXPECT_EQ(terms.Status(), QString());

    EXPECT_FALSE(terms.LoadTerms(98, QStringLiteral("NONE")));
    EXPECT_EQ(terms.Code(), 0);
    EXPECT_EQ(terms.Description(), QString());
}

TEST_F(SupplierAndTerms, TermsUpdateInsertsOrUpdates)
{
    terms.setCode(40);
    terms.setDescription(QStringLiteral("NET'90"));
    terms.setNumberOfDays(90);
    terms.setStatus(QStringLiteral("A"));
    EXPECT_TRUE(terms.Update());
    ASSERT_EQ(session.trace().size(), 3);
    EXPECT_EQ(session.trace().at(0),
              QStringLiteral("Select * From INVENTORY..tbInvTerms Where TermsID = 40"));
    EXPECT_EQ(session.trace().at(1),
              QStringLiteral("Select Max( TermsID ) + 1 As NewCode From INVENTORY..tbInvTerms"));
    EXPECT_EQ(session.trace().at(2),
              QStringLiteral("Insert Into INVENTORY..tbInvTerms ( TermsID, Terms, NoDays, Status ) "
                             "Values ( 13,'NET''90', 90,'A')"));
    EXPECT_EQ(terms.Code(), 40);

    session.clearTrace();
    terms.setCode(13);
    terms.setNumberOfDays(-1);
    EXPECT_TRUE(terms.Update());
    EXPECT_EQ(session.trace().at(1),
              QStringLiteral("Update INVENTORY..tbInvTerms Set Terms = 'NET''90', NoDays = -1, "
                             "Status = 'A' Where TermsID = 13"));
}

TEST_F(SupplierAndTerms, SearchesLoadTheChosenRow)
{
    ScriptedLookups lookups;
    lookups.master.choice = QStringLiteral("12");
    EXPECT_TRUE(terms.SearchTerms(QStringLiteral("60")));
    EXPECT_EQ(lookups.master.lookupType, 2);
    EXPECT_EQ(terms.Code(), 12);

    // The number at the start of the choice, halves to even.
    lookups.master.choice = QStringLiteral("4.5 days");
    EXPECT_FALSE(terms.SearchTerms(QString()));
    EXPECT_EQ(statementsStartingWith(session, QStringLiteral("Select * From INVENTORY..tbInvTerms")).last(),
              QStringLiteral("Select * From INVENTORY..tbInvTerms Where TermsID =  4 or Terms = ''"));

    lookups.master.exactMatch = true;
    EXPECT_TRUE(supplier.SearchSupplier(QStringLiteral("7")));
    EXPECT_EQ(lookups.master.lookupType, 1);
    EXPECT_EQ(supplier.SupplierName(), QStringLiteral("MEDIX TRADING"));

    lookups.master.exactMatch = false;
    lookups.master.choice.clear();
    EXPECT_FALSE(supplier.SearchSupplier(QStringLiteral("ZZ")));
}

} // namespace
