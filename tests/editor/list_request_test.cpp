#include "editor/RequestList.h"
#include "editor/frmMain.h"
#include "widgets/FlexGrid.h"
#include "widgets/LocationCombo.h"
#include "shell/Session.h"
#include "tests/support/EditorFixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

namespace {

QString S(const char *text)
{
    return QString::fromUtf8(text);
}

const QString kListHead = S(
    "Select distinct A.DocumentNumber , B.Location , C.Location ,A.TransDate , (Select Top 1 LastName + ', ' + "
    "FirstName From Password..tbPasswordMain Where EmployeeID = A.UserID),A.targetlocationid  from "
    "INVENTORY..tbinvwithdrawrequest A  Left Outer Join INVENTORY..tbinvlocation B On A.TargetLocationID = "
    "B.LocationID Left Outer Join INVENTORY..tbinvLocation C On A.LocationId = C.LocationID Left Outer Join "
    "INVENTORY..tbinvUserLocation D On A.LocationID = D.LocationID Where D.UserID = '1001' and ");

struct ListTest : EditorFixture
{
    int tab() const { return widget<QTabWidget>(S("SSTab1"))->currentIndex(); }
    QStringList listed() const
    {
        QStringList docs;
        for (int row = 1; row < listRows(); ++row)
            docs << listCell(row, 0).trimmed();
        return docs;
    }
};

} // namespace

TEST_F(ListTest, PendingUnverifiedRequestsOfTheUsersLocationsAreListedOnce)
{
    EXPECT_TRUE(trace().contains(kListHead + S(" isnull(A.Status,'') = ''  and isnull(verifiedby,'') = '' Order By "
                                               "Transdate")));
    const QStringList docs = listed();
    EXPECT_EQ(docs.count(S(Demo::FiveLineDoc)), 1);
    EXPECT_TRUE(docs.contains(S(Demo::PendingDoc)));
    EXPECT_TRUE(docs.contains(S(Demo::OtherDeptDoc)));
    // Addressed to a location the clerk is not assigned to, though sent from one of the clerk's.
    EXPECT_FALSE(docs.contains(S(Demo::NotAssignedDoc)));
    EXPECT_FALSE(docs.contains(S(Demo::VerifiedDoc)));
    EXPECT_FALSE(docs.contains(S(Demo::DeletedDoc)));

    const int row = listRowOf(S(Demo::PendingDoc));
    EXPECT_EQ(listCell(row, 1), S(Demo::EmergencyRoom));
    EXPECT_EQ(listCell(row, 2), S(Demo::CentralSupply));
    EXPECT_EQ(listCell(row, 5), S(Demo::EmergencyRoomId));
    EXPECT_EQ(grid(S("grdListing"))->ColWidth(5), 0);
    EXPECT_EQ(grid(S("grdListing"))->ColWidth(0), 1200);
    EXPECT_TRUE(grid(S("grdListing"))->isEnabled());
}

TEST_F(ListTest, FiltersSwitchBetweenTheThreeViews)
{
    auto *verified = widget<QCheckBox>(S("chkverified"));
    click(S("chkverified"));
    EXPECT_EQ(trace().last(), kListHead + S(" isnull(A.Status,'') = ''  and isnull(verifiedby,'')<> '' Order By "
                                            "Transdate"));
    EXPECT_EQ(listed(), QStringList{S(Demo::VerifiedDoc)});
    EXPECT_FALSE(widget(S("cmdEdit"))->isEnabled());
    EXPECT_FALSE(widget(S("cmdDetails"))->isEnabled());

    click(S("optOptions_1"));
    EXPECT_TRUE(verified->isChecked());
    EXPECT_FALSE(verified->isEnabled());
    EXPECT_EQ(trace().last(), kListHead + S(" A.Status = 'P'  and isnull(verifiedby,'')<> '' Order By Transdate"));
    EXPECT_EQ(listed(), QStringList{S(Demo::ProcessedDoc)});

    click(S("optOptions_0"));
    EXPECT_FALSE(verified->isChecked());
    EXPECT_TRUE(verified->isEnabled());
    EXPECT_TRUE(widget(S("cmdEdit"))->isEnabled());
    EXPECT_TRUE(widget(S("cmdDetails"))->isEnabled());
    EXPECT_TRUE(listed().contains(S(Demo::PendingDoc)));
}

TEST_F(ListTest, NoMatchingRequestLeavesAnEmptyDisabledGridWithHeaders)
{
    session().raw(S("Update tbInvWithdrawRequest Set Status = 'D'"));
    form().RefreshRequestList();
    FlexGrid *list = grid(S("grdListing"));
    EXPECT_EQ(list->Rows(), 1);
    EXPECT_FALSE(list->isEnabled());
    EXPECT_EQ(list->TextMatrix(0, 1), S("Request From                "));
}

TEST_F(ListTest, DoubleClickOpensARequestWithItsLinesAndABlankRow)
{
    doubleClickGridRow(S("grdListing"), listRowOf(S(Demo::PendingDoc)));
    EXPECT_EQ(tab(), 1);
    EXPECT_TRUE(trace().contains(S("Inventory..sp_Inv_LoadWithdrawalRequest '1'")));
    FlexGrid *details = grid(S("grdDetails"));
    EXPECT_EQ(details->Rows(), 5);
    EXPECT_EQ(details->Cols(), 7);
    for (int row = 1; row <= 3; ++row)
        EXPECT_FALSE(cell(row, 0).isEmpty()) << row;
    EXPECT_TRUE(cell(4, 0).isEmpty());
    EXPECT_DOUBLE_EQ(cell(1, 4).toDouble(), cell(1, 2).toDouble() * cell(1, 3).toDouble());
    EXPECT_TRUE(cell(1, 6) == S("Y") || cell(1, 6) == S("N"));
    EXPECT_EQ(details->ColWidth(1), 5000);
    EXPECT_EQ(widget<QLineEdit>(S("txtDocNum"))->text(), S(Demo::PendingDoc));
    EXPECT_TRUE(widget<QLineEdit>(S("txtDocNum"))->isReadOnly());
    EXPECT_EQ(widget<LocationCombo>(S("cboLocation"))->Tag(), S(Demo::CentralSupplyId));
    EXPECT_EQ(widget<LocationCombo>(S("cboLocation"))->Text(), S(Demo::CentralSupply));
    EXPECT_EQ(widget<LocationCombo>(S("cboTargetLocation"))->Tag(), S(Demo::EmergencyRoomId));
    EXPECT_EQ(widget<LocationCombo>(S("cboTargetLocation"))->Text(), S(Demo::EmergencyRoom));
    EXPECT_FALSE(widget(S("cboLocation"))->isEnabled());
    EXPECT_EQ(widget<QPushButton>(S("cmdOK"))->text(), S("Update"));
}

TEST_F(ListTest, ARequestOfAnotherDepartmentIsNotOpened)
{
    doubleClickGridRow(S("grdListing"), listRowOf(S(Demo::OtherDeptDoc)));
    EXPECT_EQ(lastMessage().text, S("User not Authorized for this Location."));
    EXPECT_EQ(lastMessage().icon, MsgIcon::Information);
    EXPECT_EQ(lastMessage().title, AppTitle());
    EXPECT_EQ(tab(), 0);
    EXPECT_FALSE(trace().contains(S("Inventory..sp_Inv_LoadWithdrawalRequest '6'")));

    click(S("cmdDetails"));
    EXPECT_EQ(messages().count(), 2);
    EXPECT_EQ(tab(), 0);
}

TEST_F(ListTest, DetailsAndListButtonsMoveBetweenTheTabs)
{
    selectGridRow(S("grdListing"), listRowOf(S(Demo::FiveLineDoc)));
    click(S("cmdDetails"));
    EXPECT_FALSE(form().IsNewRequest);
    EXPECT_EQ(tab(), 1);
    EXPECT_EQ(grid(S("grdDetails"))->Rows(), 7);
    click(S("cmdList"));
    EXPECT_EQ(tab(), 0);
}

TEST_F(ListTest, DoubleClickInAVerifiedViewDoesNothing)
{
    click(S("chkverified"));
    clearTrace();
    doubleClickGridRow(S("grdListing"), 1);
    EXPECT_EQ(tab(), 0);
    EXPECT_TRUE(trace().isEmpty());
}

TEST_F(ListTest, ViewPrintsTheSelectedOrTheShownRequest)
{
    bool shortForm = true;
    QStringList values;
    form().requestList().setPrintHook([&](bool isShort, const QStringList &v) {
        shortForm = isShort;
        values = v;
    });
    selectGridRow(S("grdListing"), listRowOf(S(Demo::FiveLineDoc)));
    click(S("cmdView"));
    EXPECT_FALSE(shortForm);
    EXPECT_EQ(values, (QStringList{S(Demo::Company), S(Demo::Address1), S(Demo::FiveLineDoc)}));

    click(S("cmdNew"));
    widget<QLineEdit>(S("txtDocNum"))->setText(S(" 42 "));
    widget<QCheckBox>(S("chkPrint"))->setChecked(true);
    click(S("cmdView"));
    EXPECT_TRUE(shortForm);
    EXPECT_EQ(values, QStringList{S("42")});
}

TEST_F(ListTest, LoadingTheEmptyRequestGivesAHeaderAndOneBlankRow)
{
    form().requestList().LoadRequest(false);
    FlexGrid *details = grid(S("grdDetails"));
    EXPECT_EQ(details->Rows(), 2);
    EXPECT_EQ(details->Cols(), 7);
    EXPECT_EQ(details->Row(), 1);
    EXPECT_EQ(details->TextMatrix(0, 0), S("Code "));
    EXPECT_EQ(details->TextMatrix(0, 5), S(" Retail?"));
}

TEST_F(ListTest, ClickingTheDetailsTabOpensTheSelectedRequest)
{
    selectGridRow(S("grdListing"), listRowOf(S(Demo::FiveLineDoc)));
    clickTab(1);
    EXPECT_TRUE(trace().contains(S("Inventory..sp_Inv_LoadWithdrawalRequest '2'")));
    EXPECT_EQ(widget<QLineEdit>(S("txtDocNum"))->text(), S(Demo::FiveLineDoc));
    EXPECT_EQ(focusName(), S("txtProdCode"));

    // Leaving the details tab loads no request (the code box being left is still validated).
    clearTrace();
    clickTab(0);
    EXPECT_EQ(widget<QTabWidget>(S("SSTab1"))->currentIndex(), 0);
    EXPECT_TRUE(trace().filter(S("sp_Inv_LoadWithdrawalRequest")).isEmpty());
}

// Opening a request reads the list again on the way (the retail option "Yes" becomes selected);
// the request opened is still the one double-clicked, wherever it stands in the list.
TEST_F(ListTest, TheRequestOpenedIsTheOneChosenAlsoWhenTheListIsReadOnTheWay)
{
    session().raw(S("Update tbInvWithdrawRequest Set TransDate = '2030-01-01 08:00:00' Where DocumentNumber = '1'"));
    click(S("optOptions_1"));
    click(S("optOptions_0"));
    ASSERT_EQ(listed().last(), S(Demo::PendingDoc));
    click(S("cmdNew"));
    click(S("optConsumed_1"));
    messages().queueAnswer(MsgAnswer::Yes);
    click(S("cmdCancel"));
    ASSERT_EQ(tab(), 0);

    clearTrace();
    doubleClickGridRow(S("grdListing"), listRowOf(S(Demo::PendingDoc)));
    ASSERT_TRUE(trace().contains(kListHead + S(" isnull(A.Status,'') = ''  and isnull(verifiedby,'') = '' Order By "
                                               "Transdate")));
    EXPECT_EQ(widget<QLineEdit>(S("txtDocNum"))->text(), S(Demo::PendingDoc));
    EXPECT_EQ(grid(S("grdDetails"))->Rows(), 5);
    EXPECT_EQ(listCell(grid(S("grdListing"))->Row(), 0).trimmed(), S(Demo::PendingDoc));
}

// The list is read again after every load, save and delete: what another workstation changed shows,
// a grid that shows something else than it read is shown anew, and the selection stays.
TEST_F(ListTest, ReadingTheListAgainShowsWhatChangedAndKeepsTheSelection)
{
    FlexGrid *list = grid(S("grdListing"));
    list->setRow(listRowOf(S(Demo::PendingDoc)));
    const auto shown = list->DataSource();
    form().RefreshRequestList();
    EXPECT_EQ(list->DataSource(), shown); // the same rows: nothing to show anew
    EXPECT_EQ(listCell(list->Row(), 0).trimmed(), S(Demo::PendingDoc));

    session().raw(S("Update tbInvLocation Set Location = 'ER NORTH WING' Where LocationID = '%1'")
                      .arg(S(Demo::EmergencyRoomId)));
    form().RefreshRequestList();
    EXPECT_EQ(listCell(listRowOf(S(Demo::PendingDoc)), 1), S("ER NORTH WING"));
    EXPECT_EQ(listCell(list->Row(), 0).trimmed(), S(Demo::PendingDoc));

    // Texts written into the grid and a cleared grid are replaced by the rows as stored.
    const int row = listRowOf(S(Demo::PendingDoc));
    list->setTextMatrix(row, 1, S("SOMETHING ELSE"));
    form().RefreshRequestList();
    EXPECT_EQ(listCell(listRowOf(S(Demo::PendingDoc)), 1), S("ER NORTH WING"));
    const int rows = listRows();
    list->Clear();
    form().RefreshRequestList();
    EXPECT_EQ(listRows(), rows);
    EXPECT_EQ(listCell(listRowOf(S(Demo::PendingDoc)), 1), S("ER NORTH WING"));
    EXPECT_EQ(list->TextMatrix(0, 0), S("Doc #     "));
}
