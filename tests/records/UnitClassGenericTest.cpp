#include "records/clsGeneric.h"
#include "records/clsItemClass.h"
#include "records/clsUnitOfMeasure.h"
#include "tests/records/RecordsTesting.h"

namespace {

class UnitsClassesGenerics : public ::testing::Test
{
protected:
    UnitsClassesGenerics()
    {
        unit.setActiveConnection(session.connection());
        itemClass.setActiveConnection(session.connection());
        generic.setActiveConnection(session.connection());
        session.clearTrace();
    }

    TestSession session;
    clsUnitOfMeasure unit;
    clsItemClass itemClass;
    clsGeneric generic;
};

TEST_F(UnitsClassesGenerics, UnitsLoadByNumberAndZeroResets)
{
    session.raw(
        QStringLiteral("INSERT INTO tbInvUnitOfMeasure (UnitOfMeasureID, UnitOfMeasure, Status) VALUES "
                       "(41, 'PAIL', NULL)"));
    ASSERT_TRUE(unit.LoadUOM(41));
    EXPECT_EQ(session.trace(),
              QStringList{
                  QStringLiteral("Select * From INVENTORY..tbInvUnitOfMeasure Where UnitOfMeasureID = 41")});
    EXPECT_EQ(unit.Description(), QStringLiteral("PAIL"));
    EXPECT_EQ(unit.Status(), QString());

    session.clearTrace();
    EXPECT_TRUE(unit.LoadUOM(41));
    EXPECT_TRUE(unit.LoadUOM(0));
    EXPECT_TRUE(session.trace().isEmpty());
    EXPECT_EQ(unit.Description(), QString());

    EXPECT_FALSE(unit.LoadUOM(-3));
    EXPECT_EQ(session.trace().last(),
              QStringLiteral("Select * From INVENTORY..tbInvUnitOfMeasure Where UnitOfMeasureID = -3"));
}

TEST_F(UnitsClassesGenerics, ANewUnitGetsTheNextNumberWhileItsCodeStays)
{
    session.raw(QStringLiteral("DELETE FROM tbInvUnitOfMeasure"));
    session.raw(QStringLiteral("INSERT INTO tbInvUnitOfMeasure (UnitOfMeasureID, UnitOfMeasure) VALUES "
                               "(7, 'BOX'), (41, 'PAIL')"));
    unit.setCode(500);
    unit.setDescription(QStringLiteral("KID'S PACK"));
    unit.setStatus(QStringLiteral("A"));

    EXPECT_TRUE(unit.Update());
    EXPECT_EQ(
        session.trace(),
        (QStringList{
            QStringLiteral(
                "Select UnitOfMeasureID From INVENTORY..tbInvUnitOfMeasure Where UnitOfMeasureID = 500"),
            QStringLiteral(
                "Select Max( UnitOfMeasureID ) + 1 As NewCode From INVENTORY..tbInvUnitOfMeasure "),
            QStringLiteral(
                "Insert Into INVENTORY..tbInvUnitOfMeasure ( UnitOfMeasureID, UnitOfMeasure, Status ) "
                "Values ( 42 ,'KID''S PACK','A')")}));
    EXPECT_EQ(unit.Code(), 500);

    session.clearTrace();
    unit.setCode(42);
    unit.setStatus(QStringLiteral("I"));
    EXPECT_TRUE(unit.Update());
    EXPECT_EQ(session.trace().last(),
              QStringLiteral("Update INVENTORY..tbInvUnitOfMeasure Set UnitOfMeasure = "
                             "'KID''S PACK', Status = 'I' Where UnitOfMeasureID = 42"));
}

TEST_F(UnitsClassesGenerics, UnitFailuresCarryTheirSources)
{
    clsUnitOfMeasure unconnected;
    Error error = raisedBy([&] { unconnected.LoadUOM(3); });
    EXPECT_EQ(error.Number(), kRecordError);
    EXPECT_EQ(error.Source(), QStringLiteral("clsUnitOfMeasure:LoadUOM Method"));
    error = raisedBy([&] { unconnected.Update(); });
    EXPECT_EQ(error.Source(), QStringLiteral("clsUnitOfMeasure:Update Method"));
}

TEST_F(UnitsClassesGenerics, UnitSearchTakesTheNumberAtTheStartOfTheChoice)
{
    session.raw(QStringLiteral("INSERT INTO tbInvUnitOfMeasure (UnitOfMeasureID, UnitOfMeasure) VALUES "
                               "(42, 'CRATE')"));
    ScriptedLookups lookups;
    lookups.master.choice = QStringLiteral("41.5 CRATE");
    EXPECT_TRUE(unit.SearchUOM(QStringLiteral("CR")));
    EXPECT_EQ(lookups.master.lookupType, 3);
    EXPECT_EQ(lookups.master.searchString, QStringLiteral("CR"));
    EXPECT_EQ(unit.Code(), 42);
    EXPECT_EQ(unit.Description(), QStringLiteral("CRATE"));
}

TEST_F(UnitsClassesGenerics, ClassesLoadByLetterWithStatusDefault)
{
    session.raw(QStringLiteral(
        "INSERT INTO tbInvClassification (ItemClassificationID, ItemClassificationName, Status) "
        "VALUES ('Y', 'YARNS', NULL)"));
    ASSERT_TRUE(itemClass.LoadItemClass(QStringLiteral("Y")));
    EXPECT_EQ(session.trace(),
              QStringList{QStringLiteral(
                  "Select * From INVENTORY..tbInvClassification Where ItemClassificationID = 'Y'")});
    EXPECT_EQ(itemClass.Description(), QStringLiteral("YARNS"));
    EXPECT_EQ(itemClass.Status(), QStringLiteral("A"));

    session.clearTrace();
    EXPECT_TRUE(itemClass.LoadItemClass(QString()));
    EXPECT_TRUE(session.trace().isEmpty());
    EXPECT_EQ(itemClass.Code(), QString());
    EXPECT_EQ(itemClass.Status(), QString());
    EXPECT_FALSE(itemClass.LoadItemClass(QStringLiteral("Z'")));
    EXPECT_EQ(
        session.trace().last(),
        QStringLiteral("Select * From INVENTORY..tbInvClassification Where ItemClassificationID = 'Z'''"));
}

TEST_F(UnitsClassesGenerics, ANewClassGetsTheNextLetterOrKeepsAGivenCode)
{
    session.raw(QStringLiteral("DELETE FROM tbInvClassification"));
    session.raw(QStringLiteral(
        "INSERT INTO tbInvClassification (ItemClassificationID, ItemClassificationName) VALUES "
        "('A','a'),('B','b'),('C','c'),('D','d'),('E','e'),('F','f')"));
    itemClass.setCode(QStringLiteral("New"));
    itemClass.setDescription(QStringLiteral("GAUZE & TAPES"));
    itemClass.setStatus(QStringLiteral("A"));

    EXPECT_TRUE(itemClass.Update());
    EXPECT_EQ(itemClass.Code(), QStringLiteral("G"));
    EXPECT_EQ(
        session.trace(),
        (QStringList{
            QStringLiteral("Select * From INVENTORY..tbInvClassification Where ItemClassificationID = 'New'"),
            QStringLiteral(
                "Select Max( ItemClassificationID ) As MaxCode From INVENTORY..tbInvClassification "),
            QStringLiteral("Insert Into INVENTORY..tbInvClassification (ItemClassificationID,"
                           "ItemClassificationName, Status ) Values ('G','GAUZE & TAPES','A')")}));

    session.clearTrace();
    itemClass.setCode(QStringLiteral("K"));
    EXPECT_TRUE(itemClass.Update());
    EXPECT_EQ(itemClass.Code(), QStringLiteral("K"));
    EXPECT_EQ(session.trace().size(), 2);
    EXPECT_EQ(session.rawValue(QStringLiteral("SELECT COUNT(*) FROM tbInvClassification")).toInt(), 8);

    session.clearTrace();
    itemClass.setDescription(QStringLiteral("KIT'S"));
    EXPECT_TRUE(itemClass.Update());
    EXPECT_EQ(session.trace().last(),
              QStringLiteral("Update INVENTORY..tbInvClassification Set ItemClassificationName = 'KIT''S', "
                             "Status = 'A' Where ItemClassificationID = 'K'"));
}

TEST_F(UnitsClassesGenerics, AGeneratedClassNeedsAnExistingOne)
{
    session.raw(QStringLiteral("DELETE FROM tbInvClassification"));
    itemClass.setCode(QStringLiteral("  "));
    const Error error = raisedBy([&] { itemClass.Update(); });
    EXPECT_EQ(error.Number(), kRecordError);
    EXPECT_EQ(error.Source(), QStringLiteral("clsItemClass:Update Method"));
    EXPECT_EQ(session.rawValue(QStringLiteral("SELECT COUNT(*) FROM tbInvClassification")).toInt(), 0);
}

TEST_F(UnitsClassesGenerics, GenericsAreClassifiedByTheNodeBeforeTheFirstDot)
{
    session.raw(QStringLiteral("DELETE FROM tbforGeneric"));
    session.raw(QStringLiteral("DELETE FROM tbforClassification"));
    session.raw(QStringLiteral("INSERT INTO tbforClassification (Node_Key, ClassificationName) VALUES "
                               "('12', 'TWELVE'), ('4', 'FOUR'), ('7', 'SEVEN'), ('45', 'FORTY-FIVE')"));
    session.raw(
        QStringLiteral("INSERT INTO tbforGeneric (GenericID, GenericName, Node_Key) VALUES "
                       "('G1', 'UNDER TWELVE', '12.3'), ('G2', 'UNDER FOUR', '45'), "
                       "('G3', 'UNDER SEVEN', '7'), ('G4', 'NOWHERE', '9.1'), ('G''5', 'QUOTED', '7')"));

    ASSERT_TRUE(generic.LoadGeneric(QStringLiteral("G1")));
    EXPECT_EQ(
        session.trace(),
        QStringList{QStringLiteral(
            " Select C.GenericID, C.GenericName, D.ClassificationName  From tbforGeneric C Left Outer Join "
            " tbforClassification D ON SubString(C.Node_Key,1,Case When PatIndex('%.%',C.Node_Key) = 0 Then "
            "1 "
            "Else PatIndex('%.%',C.Node_Key) -1 End ) = D.Node_Key  Where C.GenericID = 'G1'")});
    EXPECT_EQ(generic.GenericName(), QStringLiteral("UNDER TWELVE"));
    EXPECT_EQ(generic.Classification(), QStringLiteral("TWELVE"));

    ASSERT_TRUE(generic.LoadGeneric(QStringLiteral("G2")));
    EXPECT_EQ(generic.Classification(), QStringLiteral("FOUR"));
    ASSERT_TRUE(generic.LoadGeneric(QStringLiteral("G3")));
    EXPECT_EQ(generic.Classification(), QStringLiteral("SEVEN"));
    ASSERT_TRUE(generic.LoadGeneric(QStringLiteral("G4")));
    EXPECT_EQ(generic.Classification(), QString());
    ASSERT_TRUE(generic.LoadGeneric(QStringLiteral("G'5")));
    EXPECT_EQ(generic.GenericID(), QStringLiteral("G'5"));

    session.clearTrace();
    EXPECT_FALSE(generic.LoadGeneric(QStringLiteral("NONE")));
    EXPECT_EQ(generic.GenericID(), QString());
    EXPECT_EQ(generic.GenericName(), QString());
    EXPECT_EQ(generic.Classification(), QString());
    EXPECT_FALSE(generic.LoadGeneric(QStringLiteral("NONE")));
    EXPECT_EQ(session.trace().size(), 2);
}

} // namespace
