#include "platform/Error.h"
#include "shell/Helpers.h"
#include "shell/Session.h"
#include "tests/support/TestSession.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <stdexcept>

namespace {

const QString BarcodeSql = QStringLiteral("Select ItemID from INVENTORY..tbInvMaster Where Barcode = '%1'");

Error CaughtError(const std::function<void()> &body)
{
    try {
        body();
    } catch (const Error &e) {
        return e;
    }
    ADD_FAILURE() << "no error was raised";
    return Error(0, QString(), QString());
}

} // namespace

TEST(Helpers, ItemIdFromBarcodeResolvesOnlyKnownBarcodes)
{
    TestSession session;
    session.clearTrace();

    EXPECT_EQ(ItemIdFromBarcode(QString()), QString());
    EXPECT_TRUE(session.trace().isEmpty()) << "an empty code must not reach the database";

    EXPECT_EQ(ItemIdFromBarcode(QString::fromLatin1(Demo::ParacetamolBarcode)),
              QString::fromLatin1(Demo::ParacetamolId));
    EXPECT_EQ(session.trace(), QStringList{BarcodeSql.arg(QString::fromLatin1(Demo::ParacetamolBarcode))});

    // An item id that is no barcode comes back unchanged.
    EXPECT_EQ(ItemIdFromBarcode(QString::fromLatin1(Demo::XylocaineId)), QString::fromLatin1(Demo::XylocaineId));
}

TEST(Helpers, ItemIdFromBarcodeKeepsAQuoteInsideTheLiteral)
{
    TestSession session;
    session.raw(QStringLiteral("UPDATE tbInvMaster SET Barcode = 'AB''12' WHERE ItemID = '10004'"));
    session.clearTrace();

    EXPECT_EQ(ItemIdFromBarcode(QStringLiteral("AB'12")), QString::fromLatin1(Demo::XylocaineId));
    EXPECT_EQ(ItemIdFromBarcode(QStringLiteral("X' OR '1'='1")), QStringLiteral("X' OR '1'='1"));
    ASSERT_EQ(session.trace().size(), 2);
    EXPECT_EQ(session.trace().at(0), BarcodeSql.arg(QStringLiteral("AB''12")));
    EXPECT_EQ(session.trace().at(1), BarcodeSql.arg(QStringLiteral("X'' OR ''1''=''1")));
    EXPECT_EQ(session.messages().count(), 0);
}

TEST(Helpers, ItemIdFromBarcodeWithoutASessionFailsCleanly)
{
    ResetSession();
    const Error e = CaughtError([] { ItemIdFromBarcode(QStringLiteral("4800010010001")); });
    EXPECT_EQ(e.Number(), 91);
}

TEST(Helpers, NullToDefaultReplacesOnlyNull)
{
    EXPECT_EQ(NullToDefault(QVariant(), false), QVariant(false));
    EXPECT_EQ(NullToDefault(QVariant(QMetaType::fromType<int>()), 7), QVariant(7));
    EXPECT_EQ(NullToDefault(QVariant(QMetaType::fromType<QString>()), QStringLiteral("x")), QVariant(QStringLiteral("x")));
    EXPECT_EQ(NullToDefault(0, 1), QVariant(0));
    EXPECT_EQ(NullToDefault(QString(), QStringLiteral("x")), QVariant(QString()));
    EXPECT_EQ(NullToDefault(false, true), QVariant(false));
}

TEST(Helpers, RaiseErrorAddsTheApplicationBase)
{
    Error e = CaughtError([] { RaiseError(9999, QStringLiteral("clsItem:ItemID Property Let")); });
    EXPECT_EQ(e.Number(), -2147211505);
    EXPECT_EQ(e.Source(), QStringLiteral("clsItem:ItemID Property Let"));
    EXPECT_EQ(e.Description(), QStringLiteral("An unknown error has occurred!"));

    e = CaughtError([] { RaiseError(-262144, QStringLiteral("edge")); });
    EXPECT_EQ(e.Number(), std::numeric_limits<qint32>::min());

    e = CaughtError([] { RaiseError(-262145, QStringLiteral("edge")); });
    EXPECT_EQ(e.Number(), 6);
    EXPECT_EQ(e.Description(), QStringLiteral("Overflow"));
    EXPECT_EQ(e.Source(), QStringLiteral("edge"));
}

TEST(Helpers, ReraiseHidesTheUnderlyingFailure)
{
    const Error e = CaughtError([] {
        Reraise(QStringLiteral("clsItemMaster:LoadItem Method"), []() -> int { throw std::runtime_error("disk"); });
    });
    EXPECT_EQ(e.Number(), -2147211505);
    EXPECT_EQ(e.Source(), QStringLiteral("clsItemMaster:LoadItem Method"));
    EXPECT_EQ(e.Description(), QStringLiteral("An unknown error has occurred!"));

    EXPECT_EQ(Reraise(QStringLiteral("x"), [] { return 5; }), 5);
}
