// "Suggest": the restock rule on the demo hospital, requesting from the emergency room (10) to
// the central supply (94). Only the items a test gives levels have any.

#include "editor/DetailGrid.h"
#include "editor/RestockSuggestion.h"
#include "tests/editor/lines_fixture.h"

#include <QLabel>

namespace {

struct Stock
{
    const char *item;
    const char *onHand, *minimum, *maximum; // at the department; "NULL" for no level
};

class RestockSuggestionTest : public LinesFixture
{
protected:
    void SetUp() override
    {
        LinesFixture::SetUp();
        session().raw(QStringLiteral("UPDATE tbInvent SET MinStockLevel = NULL, MaxStockLevel = NULL "
                                     "WHERE LocationID = '10'"));
    }
    void TearDown() override
    {
        gAllowWDZeroOnHand = false;
        LinesFixture::TearDown();
    }

    void stock(std::initializer_list<Stock> rows)
    {
        for (const Stock &row : rows)
            session().raw(
                QStringLiteral("UPDATE tbInvent SET OnHand = %2, MinStockLevel = %3, MaxStockLevel = %4 "
                               "WHERE ItemID = '%1' AND LocationID = '10'")
                    .arg(QLatin1String(row.item), QLatin1String(row.onHand), QLatin1String(row.minimum),
                         QLatin1String(row.maximum)));
    }
    void suggest()
    {
        messages().clear();
        form().restockSuggestion().cmdSuggest_Click();
        processEvents();
    }
    // Item code -> quantity of every line in the grid, in grid order.
    QStringList lines() const
    {
        QStringList result;
        for (int row = 1; row < details()->Rows(); ++row)
            if (!cell(row, 0).isEmpty())
                result << cell(row, 0) + QLatin1Char('=') + cell(row, 2);
        return result;
    }
    int rowOf(const QString &code) const
    {
        for (int row = 1; row < details()->Rows(); ++row)
            if (cell(row, 0) == code)
                return row;
        return 0;
    }
    QString summary() const { return widget<QLabel>(QStringLiteral("lblSuggestion"))->text(); }
};

TEST_F(RestockSuggestionTest, ProposesMaximumLessOnHandLessOpenRequestsForItemsAtOrBelowMinimum)
{
    // Open requests from the emergency room (demo): 10001 20 (request 1) and 100 (3, verified),
    // 10003 5 (1), 10007 10 (2), 10012 12 (2); not counted: 10012 24 (4, processed), 10002 40
    // (5, deleted), 10012 20 (6, from another department).
    stock({
        {"10001", "5", "10", "200"},  // below: 200 - 5 - 120 open = 75
        {"10007", "4", "10", "50"},   // below: 50 - 4 - 10 = 36
        {"10012", "0", "5", "40"},    // below: 40 - 0 - 12 = 28
        {"10002", "2", "2", "10"},    // at the minimum: 8
        {"10023", "2.5", "5", "10"},  // 7.5 rounded up to 8
        {"10003", "1", "5", "10"},    // 10 - 1 - 5 = 4, an ADS-stock item at 94
        {"10009", "3", "5", "40"},    // covered: 40 - 3 - 50 open (request 2) < 0
        {"10020", "11", "10", "50"},  // above the minimum
        {"10021", "1", "NULL", "50"}, // no minimum
        {"10022", "1", "5", "0"},     // no maximum
        {"10290", "0", "5", "20"},    // a kit: entered by its code only
        {"10025", "0", "5", "20"},    // inactive in the item file (below)
        {"10026", "0", "5", "20"},    // inactive at the central supply (below)
        {"10027", "0", "5", "20"},    // inactive at the department (below)
    });
    session().raw(QStringLiteral("UPDATE tbInvMaster SET ItemStatus = 1 WHERE ItemID = '10025'"));
    session().raw(
        QStringLiteral("UPDATE tbInvent SET ItemStatus = 1 WHERE ItemID = '10026' AND LocationID = '94'"));
    session().raw(
        QStringLiteral("UPDATE tbInvent SET ItemStatus = 1 WHERE ItemID = '10027' AND LocationID = '10'"));

    suggest();

    QStringList proposed = lines();
    proposed.sort();
    EXPECT_EQ(proposed, (QStringList{"10001=75", "10002=8", "10003=4", "10007=36", "10012=28", "10023=8"}));
    EXPECT_EQ(messages().count(), 0);

    // Each line as line entry makes it: the unit cost from the average cost, the total, the
    // retail flag of an ordinary department, the ADS flag of the item at the location.
    const int paracetamol = rowOf(QStringLiteral("10001"));
    EXPECT_EQ(cell(paracetamol, 1), QStringLiteral("PARACETAMOL 500MG TABLET"));
    EXPECT_EQ(cell(paracetamol, 3), QStringLiteral("1.2500"));
    EXPECT_EQ(cell(paracetamol, 4), QStringLiteral("93.7500"));
    EXPECT_EQ(cell(paracetamol, 5), QStringLiteral("Y"));
    EXPECT_EQ(cell(paracetamol, 6), QStringLiteral("N"));
    EXPECT_EQ(cell(rowOf(QStringLiteral("10003")), 6), QStringLiteral("Y"));
    EXPECT_EQ(cell(details()->Rows() - 1, 0), QString()) << "the blank new-line row stays last";

    // 296 items at the department without levels, besides the ones given levels above.
    EXPECT_TRUE(summary().startsWith(QStringLiteral("6 lines proposed; ")));
    const auto *basis = form().restockSuggestion().basisOf(QStringLiteral("10001"));
    ASSERT_NE(basis, nullptr);
    EXPECT_EQ((std::vector<double>{basis->onHand, basis->minimum, basis->maximum, basis->openQuantity}),
              (std::vector<double>{5, 10, 200, 120}));
    selectGridRow(QStringLiteral("grdDetails"), paracetamol);
    EXPECT_TRUE(summary().contains(QStringLiteral("on hand 5, minimum 10, maximum 200, open requests 120")));
}

TEST_F(RestockSuggestionTest, NothingBelowItsMinimumIsSaidSo)
{
    stock({{"10020", "11", "10", "50"}});
    suggest();
    EXPECT_TRUE(lines().isEmpty());
    EXPECT_TRUE(summary().startsWith(QStringLiteral("Nothing is below its minimum; ")));
}

TEST_F(RestockSuggestionTest, LinesAlreadyInTheGridAreLeftAsTheyAre)
{
    stock({{"10007", "4", "10", "50"}, {"10012", "0", "5", "40"}});
    putLines({{"10007", "3", "78", "N", "N"}});
    suggest();
    EXPECT_EQ(lines(), (QStringList{"10007=3", "10012=28"}));
    EXPECT_EQ(cell(1, 3), QStringLiteral("78"));

    // A second suggestion adds nothing twice.
    suggest();
    EXPECT_EQ(lines(), (QStringList{"10007=3", "10012=28"}));
}

TEST_F(RestockSuggestionTest, TheEditedRequestIsNotCountedTwice)
{
    // Request 1 asks for 10005 (10); opened and that line removed, its stored quantity no longer
    // stands against the item.
    stock({{"10005", "2", "5", "30"}});
    click(QStringLiteral("cmdList"));
    selectGridRow(QStringLiteral("grdListing"), listRowOf(QString::fromLatin1(Demo::PendingDoc)));
    click(QStringLiteral("cmdDetails"));
    ASSERT_EQ(cell(2, 0), QStringLiteral("10005"));
    details()->setRow(2);
    form().detailGrid().cmdDelete_Click();
    suggest();
    EXPECT_TRUE(lines().contains(QStringLiteral("10005=28"))) << lines().join(QLatin1Char(' ')).toStdString();
}

TEST_F(RestockSuggestionTest, LineEntryChecksOfTheSiteApply)
{
    // 10002 has none at the central supply; 10007 has 12.4 there.
    stock({{"10002", "0", "5", "20"}, {"10007", "4", "10", "50"}});
    session().raw(
        QStringLiteral("UPDATE tbInvent SET OnHand = 12.4 WHERE ItemID = '10007' AND LocationID = '94'"));

    struct Case
    {
        const char *name;
        bool zeroOnHandRefused;
        bool switch5;
        QStringList expected;
        bool cut;
    } cases[] = {
        {"no checks", false, false, {"10002=20", "10007=36"}, false},
        {"zero on hand refused", true, false, {"10007=36"}, false},
        {"switch 5 cuts to the stock", false, true, {"10007=12"}, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        gAllowWDZeroOnHand = c.zeroOnHandRefused;
        session().raw(QStringLiteral("UPDATE tbPharmaSwitch SET KeyValue = '%1' WHERE idkey = '5'")
                          .arg(c.switch5 ? 1 : 0));
        form().ClearAll();
        suggest();
        QStringList proposed = lines();
        proposed.sort();
        EXPECT_EQ(proposed, c.expected);
        const auto *basis = form().restockSuggestion().basisOf(QStringLiteral("10007"));
        ASSERT_NE(basis, nullptr);
        EXPECT_EQ(basis->cutToStock, c.cut);
    }
}

} // namespace
