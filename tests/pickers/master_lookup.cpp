#include "pickers/frmLookup.h"

#include "PickerTestSupport.h"
#include "pickers/PickerWindows.h"
#include "widgets/FlexGrid.h"
#include "records/LookupWindows.h"
#include "shell/Session.h"
#include "tests/support/TestSession.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class MasterLookupTest : public PickerFixture<frmLookup>
{
protected:
    void SetUp() override
    {
        // Records of the test's own, with names no demo record starts with.
        session.raw(QStringLiteral(
            "INSERT INTO tbInvSupplier (SupplierID, SupplierName, Status) VALUES "
            "('9901', 'QZ MEDICAL', NULL), ('9902', 'QZ PHARMA', 'A'), ('9903', 'QZ OLD TRADING', 'I'), "
            "('9904', 'QY''S SUPPLY', NULL)"));
        session.raw(QStringLiteral("INSERT INTO tbInvTerms (TermsID, Terms, Status) VALUES "
                                   "(9901, 'QZ 30 DAYS', NULL), (9902, 'QZ 60 DAYS', 'I')"));
        session.raw(QStringLiteral("INSERT INTO tbInvUnitOfMeasure (UnitOfMeasureID, UnitOfMeasure, Status) VALUES "
                                   "(9901, 'QZBOX', NULL), (9902, 'QZCASE', 'A'), (9903, 'QZDRUM', 'I')"));
        session.clearTrace();
    }

    void load(int type, const QString &search)
    {
        window.setSearchString(search);
        window.setLookupType(type);
        window.Form_Load();
    }
};

} // namespace

TEST_F(MasterLookupTest, StatementsByTypeForNamesAndCodes)
{
    struct Case
    {
        int type;
        QString search;
        QString statement;
        QString code; // of the single match
    };
    const Case cases[] = {
        {1, QStringLiteral("qz m"),
         QStringLiteral("Select DISTINCT SupplierName as Supplier,SupplierID As Code From INVENTORY..tbinvSupplier "
                        " Where SupplierName Like 'QZ M%' and  (not Status = 'I' or Status is null) ORDER by "
                        "SupplierName"),
         QStringLiteral("9901")},
        {1, QStringLiteral(" 9902 "),
         QStringLiteral("Select DISTINCT SupplierName as Supplier,SupplierID As Code From INVENTORY..tbinvSupplier "
                        " Where SupplierID = '9902' and  (not Status = 'I' or Status is null) ORDER by SupplierName"),
         QStringLiteral("9902")},
        {2, QStringLiteral("qz"),
         QStringLiteral("Select DISTINCT Terms AS [Terms of Payment] , TermsID as Code From INVENTORY..tbinvTerms "
                        " Where Terms Like 'QZ%' and  (not Status = 'I' or Status is null) Order by Terms"),
         QStringLiteral("9901")},
        {2, QStringLiteral("9901"),
         QStringLiteral("Select DISTINCT Terms AS [Terms of Payment] , TermsID as Code From INVENTORY..tbinvTerms "
                        " Where TermsID = 9901 and  (not Status = 'I' or Status is null) Order by Terms"),
         QStringLiteral("9901")},
        {3, QStringLiteral("qzc"),
         QStringLiteral("Select UnitOfMeasure As [Unit of Measure], UnitOfMeasureID as Code From "
                        "INVENTORY..tbinvUnitOfMeasure  Where UnitOfMeasure Like 'QZC%' and ( Not Status = 'I' or "
                        "Status is Null ) Order by UnitOfMeasure"),
         QStringLiteral("9902")},
        {3, QStringLiteral("9901"),
         QStringLiteral("Select UnitOfMeasure As [Unit of Measure], UnitOfMeasureID as Code From "
                        "INVENTORY..tbinvUnitOfMeasure  Where UnitOfMeasureID = 9901 and ( Not Status = 'I' or "
                        "Status is Null ) Order by UnitOfMeasure"),
         QStringLiteral("9901")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.statement.toStdString());
        frmLookup lookup;
        session.clearTrace();
        lookup.setSearchString(c.search);
        lookup.setLookupType(c.type);
        lookup.Form_Load();
        EXPECT_EQ(session.trace(), QStringList{c.statement});
        EXPECT_TRUE(lookup.blnExactMatch());
        EXPECT_EQ(lookup.SearchString(), c.code);
    }
    EXPECT_EQ(session.messages().count(), 0);
}

TEST_F(MasterLookupTest, CaptionsAndInactiveRecords)
{
    load(frmLookup::Supplier, QStringLiteral("QZ"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Supplier"));
    // 'I' is hidden; NULL and other statuses are listed, by name.
    ASSERT_EQ(grid()->Rows(), 3);
    EXPECT_EQ(grid()->TextMatrix(1, 0), QStringLiteral("QZ MEDICAL"));
    EXPECT_EQ(grid()->TextMatrix(2, 0), QStringLiteral("QZ PHARMA"));
    EXPECT_EQ(grid()->TextMatrix(0, 1), QStringLiteral("Code"));
    EXPECT_EQ(grid()->ColWidth(0), 4200);
    EXPECT_FALSE(window.blnExactMatch());

    load(frmLookup::Terms, QStringLiteral("QZ"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Terms of Payment"));
    EXPECT_EQ(grid()->TextMatrix(0, 0), QStringLiteral("Terms of Payment"));

    load(frmLookup::UnitOfMeasure, QStringLiteral("QZ"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Unit of Measure"));
    EXPECT_EQ(grid()->Rows(), 3);
}

TEST_F(MasterLookupTest, QuotesInTheSearchTextAreDoubled)
{
    load(frmLookup::Supplier, QStringLiteral("qy's"));
    EXPECT_EQ(session.messages().count(), 0);
    EXPECT_TRUE(session.trace().value(0).contains(QStringLiteral("Like 'QY''S%'")));
    EXPECT_TRUE(window.blnExactMatch());
    EXPECT_EQ(window.SearchString(), QStringLiteral("9904"));
}

TEST_F(MasterLookupTest, NoMatchDisablesTheGridAndCancelReturnsNothing)
{
    registerPickerWindows();
    auto lookup = createMasterLookup();
    lookup->setSearchString(QStringLiteral("QQQ NOTHING"));
    lookup->setLookupType(frmLookup::UnitOfMeasure);
    whenModalOpens([](QWidget *modal) {
        EXPECT_FALSE(child<FlexGrid>(modal, "grdLookup")->isEnabled());
        EXPECT_FALSE(child<QPushButton>(modal, "cmdOptions_1")->isEnabled());
        QTest::mouseClick(child<QPushButton>(modal, "cmdOptions_0"), Qt::LeftButton);
    });
    EXPECT_EQ(RunLookup(*lookup), QString());
}

TEST_F(MasterLookupTest, SelectAndDoubleClickReturnTheCode)
{
    registerPickerWindows();
    {
        auto lookup = createMasterLookup();
        lookup->setSearchString(QStringLiteral("QZ"));
        lookup->setLookupType(frmLookup::UnitOfMeasure);
        whenModalOpens([](QWidget *modal) {
            auto *grid = child<FlexGrid>(modal, "grdLookup");
            grid->setFocus();
            grid->setRow(2);
            QTest::keyClick(grid, Qt::Key_Return);
        });
        EXPECT_EQ(RunLookup(*lookup), QStringLiteral("9902"));
    }
    {
        auto lookup = createMasterLookup();
        lookup->setSearchString(QStringLiteral("QZ"));
        lookup->setLookupType(frmLookup::Supplier);
        whenModalOpens([](QWidget *modal) {
            auto *grid = child<FlexGrid>(modal, "grdLookup");
            const QRect cell = grid->visualRect(grid->model()->index(1, 0));
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        });
        EXPECT_EQ(RunLookup(*lookup), QStringLiteral("9902"));
    }
}

TEST_F(MasterLookupTest, TypingAndGridKeysEditTheSearchWithoutRunningIt)
{
    load(frmLookup::Supplier, QStringLiteral("QZ"));
    showWindow();
    session.clearTrace();

    txtSearch()->setFocus();
    EXPECT_TRUE(child<QPushButton>(&window, "cmdSearch")->isDefault());
    QTest::keyClicks(txtSearch(), QStringLiteral(" m"));
    EXPECT_EQ(txtSearch()->text(), QStringLiteral("QZ M"));

    grid()->setFocus();
    EXPECT_TRUE(select()->isDefault());
    EXPECT_FALSE(child<QPushButton>(&window, "cmdSearch")->isDefault());
    QTest::keyClick(grid(), Qt::Key_Backspace);
    EXPECT_EQ(txtSearch()->text(), QStringLiteral("QZ "));
    EXPECT_TRUE(grid()->hasFocus());
    for (int key = Qt::Key_F1; key <= Qt::Key_F24; ++key)
        QTest::keyClick(grid(), Qt::Key(key));
    EXPECT_EQ(txtSearch()->text(), QStringLiteral("QZ "));
    EXPECT_TRUE(grid()->hasFocus());
    QTest::keyClick(grid(), Qt::Key_P);
    EXPECT_EQ(txtSearch()->text(), QStringLiteral("P"));
    EXPECT_TRUE(txtSearch()->hasFocus());
    EXPECT_TRUE(session.trace().isEmpty());

    // Enter in the search box runs the search; a miss keeps the focus there.
    QTest::keyClick(txtSearch(), Qt::Key_Return);
    ASSERT_EQ(session.trace().size(), 1);
    EXPECT_TRUE(session.trace().at(0).contains(QStringLiteral("Like 'P%'")));
}

TEST_F(MasterLookupTest, UnknownTypeOrFailureIsShownAndGivesFalse)
{
    window.setLookupType(7);
    EXPECT_FALSE(window.RunLookupQuery(QStringLiteral("QZ")));
    ASSERT_EQ(session.messages().count(), 1);
    EXPECT_EQ(session.messages().last().title, AppTitle());

    session.raw(QStringLiteral("DROP TABLE tbInvTerms"));
    window.setLookupType(frmLookup::Terms);
    EXPECT_FALSE(window.RunLookupQuery(QStringLiteral("QZ")));
    EXPECT_EQ(session.messages().count(), 2);
}
