#include "editor/RequestSaving.h"
#include "pickers/frmDeletePassword.h"
#include "pickers/frmLookup.h"
#include "platform/postgres/ServerAddress.h"
#include "tests/editor/lines_fixture.h"

#include <QSqlQuery>

#include <QTabWidget>
#include <QTest>
#include <algorithm>

namespace {

QString S(const char *text)
{
    return QString::fromUtf8(text);
}

// Texts that would end a literal early, or hide the rest of a statement, where a database reads
// them otherwise than the client quoted them.
QStringList hostileTexts()
{
    return {
        S("O'NEIL' --"),
        S("\\'; UPDATE INVENTORY..tbInvWithdrawRequest SET Verifiedby=$$2001$$; SELECT 1 --"),
        S("\\' OR true --"),
        S("' OR '1'='1"),
        S("x'); DELETE FROM inventory.tbInvWithdrawRequest; --"),
        S("$$; DELETE FROM inventory.tbInvLocation; $$"),
        S("*/ /* -- \\"),
        S("\u2019 OR 1=1 --"),
        S("\u02BC OR \u02BC\u02BC=\u02BC"),
        QString(20000, QLatin1Char('A')) + S("\\' OR true --"),
    };
}

// Every box whose text the client joins into a statement, on a server whose database reads a
// backslash in a literal as an escape unless the session says otherwise.
class HostileTextTest : public LinesFixture
{
protected:
    void beforeLoad() override
    {
        gAutoWithdrawRequestNumber = true;
        if (!TestDatabase::onServer())
            return;
        session().raw(
            S("DO $$ BEGIN EXECUTE format('ALTER DATABASE %I SET standard_conforming_strings = off', "
              "current_database()); END $$"));
        // Connections opened from now on get the database's default, as a workstation's does.
        session().user().attach(session().db().openAnotherConnection(), employee());
        const QString name = S("hostile-text-check");
        {
            QSqlDatabase db = ServerAddress::open(session().db().serverName(), name);
            QSqlQuery query(db);
            ASSERT_TRUE(query.exec(S("SHOW standard_conforming_strings")) && query.next());
            EXPECT_EQ(query.value(0).toString(), S("off"));
        }
        QSqlDatabase::removeDatabase(name);
    }

    // A new request from the emergency room to the central supply, as the fixture starts one.
    void startNew()
    {
        click(S("cmdNew"));
        auto *to = widget<LocationCombo>(S("cboLocation"));
        to->setText(S(Demo::CentralSupply));
        to->setTag(S(Demo::CentralSupplyId));
        auto *from = widget<LocationCombo>(S("cboTargetLocation"));
        from->setText(S(Demo::EmergencyRoom));
        from->setTag(S(Demo::EmergencyRoomId));
    }

    // Everything a statement could have changed, in one text.
    QString digest()
    {
        QString all;
        for (const char *sql :
             {"Select Group_Concat(x, ';') From (Select DocumentNumber || '|' || ItemID || '|' || Quantity "
              "|| '|' || "
              "IfNull(Verifiedby, '') || '|' || IfNull(Status, '') || '|' || IfNull(Remarks, '') As x From "
              "tbInvWithdrawRequest Order By 1) t",
              "Select Group_Concat(x, ';') From (Select LocationID || '|' || Location As x From "
              "tbInvLocation "
              "Order By 1) t",
              "Select Group_Concat(x, ';') From (Select EmployeeID || '|' || Password As x From "
              "Password.tbPasswordMain Order By 1) t",
              "Select count(*) From tbInvMaster", "Select count(*) From tbInvSupplier"})
            all += session().rawValue(S(sql)).toString() + QLatin1Char('\n');
        return all;
    }

    // The supervisor prompt as the supervisor fills it in: whether it let the user through.
    bool supervisorAccepts(const QString &id, const QString &password)
    {
        frmDeletePassword prompt;
        onNextModal([&](QWidget *modal) {
            modal->findChild<QLineEdit *>(S("txtUserID"))->setText(id);
            auto *box = modal->findChild<QLineEdit *>(S("txtPassword"));
            box->setText(password);
            box->setFocus();
            QTest::keyClick(box, Qt::Key_Return);
            if (prompt.isVisible())
                prompt.reject();
        });
        prompt.exec();
        return prompt.OKCharge();
    }
};

} // namespace

TEST_F(HostileTextTest, NothingButTheIntendedStatementRunsWhateverIsTyped)
{
    const QString unchanged = digest();
    clearTrace();
    for (const QString &hostile : hostileTexts()) {
        SCOPED_TRACE(hostile.left(80).toStdString());

        // The supervisor prompt: a wrong password is refused, whatever the id says.
        EXPECT_FALSE(supervisorAccepts(hostile, S("wrong")));
        EXPECT_FALSE(supervisorAccepts(S(Demo::SupervisorId), hostile));

        // The item code box, and the product search it opens for a code it does not know.
        reactivate();
        onNextModal([](QWidget *lookup) { clickIn(lookup, S("cmdOptions_0")); });
        setText(S("txtProdCode"), hostile);
        widget(S("txtProdCode"))->setFocus();
        pressTab();
        reactivate();

        // The location boxes: a name that is no location is refused.
        for (const char *box : {"cboLocation", "cboTargetLocation"}) {
            auto *combo = widget<LocationCombo>(S(box));
            const QString kept = combo->Text();
            combo->setText(hostile);
            combo->setFocus();
            pressTab();
            combo->setText(kept);
            pressTab();
        }

        // The lists of suppliers, terms and units searched by name or code.
        for (int type : {frmLookup::Supplier, frmLookup::Terms, frmLookup::UnitOfMeasure}) {
            frmLookup lookup;
            lookup.setSearchString(hostile);
            lookup.setLookupType(type);
            lookup.Form_Load();
        }

        // A typed document number is refused before any statement, by "&Save" and "&Verify/Save".
        messages().clear();
        setText(S("txtDocNum"), hostile);
        click(S("cmdSave"));
        form().requestSaving().cmdVerify_Click();
        ASSERT_EQ(messages().count(), 2);
        EXPECT_EQ(messages().messages().at(0).text, S("Document number must be a number."));
        EXPECT_EQ(messages().messages().at(1).text, S("Document number must be a number."));

        EXPECT_EQ(digest(), unchanged);
        // Each box did reach its statement, the text inside a literal.
        for (const char *statement :
             {"password..tbpasswordmain", "Barcode = '", "From INVENTORY..tbInvMaster A",
              "tbInvLocation Where Location = '", "tbinvSupplier", "tbinvTerms", "tbinvUnitOfMeasure"}) {
            const QStringList built = trace().filter(S(statement));
            EXPECT_TRUE(std::any_of(built.begin(), built.end(), [&](const QString &line) {
                return line.contains(SqlText(hostile), Qt::CaseInsensitive);
            })) << statement;
        }
        clearTrace();
        messages().clear();
    }
}

// The justification is stored as typed, and only the request's own rows change.
TEST_F(HostileTextTest, AJustificationIsStoredAsTyped)
{
    const QString requests = S("Select count(*) From tbInvWithdrawRequest");
    for (const QString &hostile : hostileTexts()) {
        SCOPED_TRACE(hostile.left(80).toStdString());
        const int before = session().rawValue(requests).toInt();
        startNew();
        typeInto(S("txtDocNum"), S("700"));
        widget<QLineEdit>(S("txtRemarks"))->setText(hostile);
        putLines({{Demo::ParacetamolId, "1", "1", "Y", "N"}});
        click(S("cmdSave"));
        EXPECT_EQ(messages().count(), 0) << (messages().count() ? lastMessage().text.toStdString() : "");
        EXPECT_EQ(
            session().rawValue(S("Select Remarks From tbInvWithdrawRequest Where DocumentNumber = '700'")),
            QVariant(hostile));
        EXPECT_EQ(session().rawValue(requests).toInt(), before + 1);
        session().raw(S("Delete From tbInvWithdrawRequest Where DocumentNumber = '700'"));
        messages().clear();
    }
}
