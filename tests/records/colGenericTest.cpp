#include "records/colGeneric.h"
#include "tests/records/RecordsTesting.h"

namespace {

std::shared_ptr<GenericObject> addEntry(colGeneric &list, const QString &name, double lastQuantity,
                                        const QString &key = QString())
{
    return list.Add(name, QStringLiteral("GL"), QDateTime(QDate(2026, 3, 1), QTime(0, 0)), lastQuantity, 1, 2,
                    3, 4, QStringLiteral("BOX"), QStringLiteral("7"), 9.5, true, 5, 6, key);
}

TEST(GenericList, AddCarriesEveryFigureAndRoundsTheLastDeliveryHalvesToEven)
{
    colGeneric list;
    const auto entry = addEntry(list, QStringLiteral("ONE"), 2.5);
    EXPECT_EQ(entry->LastDeliveryQuantity(), 2);
    EXPECT_EQ(addEntry(list, QStringLiteral("TWO"), 3.5)->LastDeliveryQuantity(), 4);
    EXPECT_EQ(addEntry(list, QStringLiteral("THREE"), -2.5)->LastDeliveryQuantity(), -2);

    // Fifteen arguments in a row: each figure must land in its own member.
    const QList<double> figures{entry->BOH(), entry->AMC(), entry->IT(),      entry->ForOrderQuantity(),
                                entry->DT(),  entry->SSL(), entry->ListCost()};
    EXPECT_EQ(figures, (QList<double>{1, 2, 3, 4, 5, 6, 9.5}));
    EXPECT_EQ(entry->UOM(), QStringLiteral("BOX"));
    EXPECT_EQ(entry->UOM_ID(), QStringLiteral("7"));
    EXPECT_EQ(entry->GLCode(), QStringLiteral("GL"));
}

TEST(GenericList, AQuantityOutsideTheIntegerRangeAddsNothing)
{
    colGeneric list;
    EXPECT_THROW(addEntry(list, QStringLiteral("HUGE"), 32767.5, QStringLiteral("K")), Error);
    EXPECT_THROW(addEntry(list, QStringLiteral("NEGATIVE"), -32769), Error);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(addEntry(list, QStringLiteral("EDGE"), 32767, QStringLiteral("K"))->LastDeliveryQuantity(),
              32767);
}

TEST(GenericList, EntriesAreReachedByPositionOrByKeyWhateverItsCase)
{
    colGeneric list;
    addEntry(list, QStringLiteral("FIRST"), 1, QStringLiteral("amox"));
    addEntry(list, QStringLiteral("SECOND"), 1);
    addEntry(list, QStringLiteral("THIRD"), 1, QStringLiteral("para"));

    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Item(1)->GenericName(), QStringLiteral("FIRST"));
    EXPECT_EQ(list.Item(2)->GenericName(), QStringLiteral("SECOND"));
    EXPECT_EQ(list.Item(QStringLiteral("PARA"))->GenericName(), QStringLiteral("THIRD"));
    EXPECT_EQ(list.Item(QStringLiteral("amox"))->GenericName(), QStringLiteral("FIRST"));

    QStringList order;
    for (const auto &entry : list)
        order << entry->GenericName();
    EXPECT_EQ(order,
              (QStringList{QStringLiteral("FIRST"), QStringLiteral("SECOND"), QStringLiteral("THIRD")}));
}

TEST(GenericList, DuplicateKeysUnknownKeysAndBadPositionsFail)
{
    colGeneric list;
    addEntry(list, QStringLiteral("FIRST"), 1, QStringLiteral("K1"));
    EXPECT_THROW(addEntry(list, QStringLiteral("AGAIN"), 1, QStringLiteral("k1")), Error);
    EXPECT_EQ(list.Count(), 1);

    EXPECT_THROW(list.Item(0), Error);
    EXPECT_THROW(list.Item(2), Error);
    EXPECT_THROW(list.Item(QStringLiteral("K2")), Error);
    EXPECT_THROW(list.Item(QString()), Error);
    EXPECT_THROW(list.Remove(5), Error);
    EXPECT_EQ(list.Count(), 1);
}

TEST(GenericList, RemoveKeepsTheOthersInOrderAndFreesTheKey)
{
    colGeneric list;
    addEntry(list, QStringLiteral("FIRST"), 1, QStringLiteral("K1"));
    const auto second = addEntry(list, QStringLiteral("SECOND"), 1, QStringLiteral("K2"));
    addEntry(list, QStringLiteral("THIRD"), 1);

    list.Remove(QStringLiteral("K2"));
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Item(2)->GenericName(), QStringLiteral("THIRD"));
    EXPECT_THROW(list.Item(QStringLiteral("K2")), Error);
    // A caller's reference outlives the removal.
    EXPECT_EQ(second->GenericName(), QStringLiteral("SECOND"));

    list.Remove(1);
    EXPECT_EQ(list.Item(1)->GenericName(), QStringLiteral("THIRD"));
    addEntry(list, QStringLiteral("NEW K2"), 1, QStringLiteral("K2"));
    EXPECT_EQ(list.Item(QStringLiteral("K2"))->GenericName(), QStringLiteral("NEW K2"));
}

} // namespace
