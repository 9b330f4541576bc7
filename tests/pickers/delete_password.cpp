#include "pickers/frmDeletePassword.h"

#include "PickerTestSupport.h"
#include "tests/support/TestSession.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class PasswordPromptTest : public ::testing::Test
{
protected:
    // Shows the prompt modally and runs the steps in it; returns when it has closed.
    void showWith(std::function<void(QWidget *)> steps)
    {
        whenModalOpens(std::move(steps));
        prompt.exec();
    }

    static void enter(QWidget *modal, const QString &id, const QString &password)
    {
        auto *userId = child<QLineEdit>(modal, "txtUserID");
        auto *pass = child<QLineEdit>(modal, "txtPassword");
        userId->setFocus();
        QTest::keyClicks(userId, id);
        QTest::keyClick(userId, Qt::Key_Return);
        EXPECT_TRUE(pass->hasFocus());
        QTest::keyClicks(pass, password);
        QTest::keyClick(pass, Qt::Key_Return);
    }

    TestSession session;
    frmDeletePassword prompt;
};

} // namespace

TEST_F(PasswordPromptTest, SupervisorIsAcceptedWithBlanksAroundTheEntry)
{
    session.clearTrace();
    showWith([](QWidget *modal) {
        enter(modal, QStringLiteral(" 2001 "), QStringLiteral(" super "));
    });

    EXPECT_TRUE(prompt.OKCharge());
    EXPECT_EQ(prompt.VerifyID(), QString::fromLatin1(Demo::SupervisorId));
    EXPECT_FALSE(prompt.isVisible());
    EXPECT_EQ(session.messages().count(), 0);
    EXPECT_EQ(child<QLineEdit>(&prompt, "txtPassword")->echoMode(), QLineEdit::Password);
    // The trace shows where the scrambled password stood, never the password.
    EXPECT_EQ(session.trace(), QStringList{QStringLiteral(
                                   "Select EmployeeId, Password from password..tbpasswordmain where "
                                   "departmentid in ('4','00') and Right_Code1 = 'A' and Right_Code2 = 'S' "
                                   "and Employeeid = '2001' and Password = '\u2026'")});
}

TEST_F(PasswordPromptTest, EscapeInEitherBoxClosesWithoutASupervisor)
{
    showWith([](QWidget *modal) {
        QTest::keyClicks(child<QLineEdit>(modal, "txtUserID"), QStringLiteral("2001"));
        QTest::keyClick(child<QLineEdit>(modal, "txtUserID"), Qt::Key_Escape);
    });
    EXPECT_FALSE(prompt.OKCharge());
    EXPECT_EQ(prompt.VerifyID(), QString());
    EXPECT_FALSE(prompt.isVisible());

    showWith([](QWidget *modal) {
        auto *pass = child<QLineEdit>(modal, "txtPassword");
        pass->setFocus();
        QTest::keyClicks(pass, QStringLiteral("super"));
        QTest::keyClick(pass, Qt::Key_Escape);
    });
    EXPECT_FALSE(prompt.OKCharge());
    EXPECT_FALSE(prompt.isVisible());
    EXPECT_EQ(session.messages().count(), 0);
}

TEST_F(PasswordPromptTest, RefusalsKeepThePromptOpenForAnotherTry)
{
    int tries = 0;
    showWith([this, &tries](QWidget *modal) {
        auto *pass = child<QLineEdit>(modal, "txtPassword");
        // Department "4" but second rights code "C": not a supervisor.
        enter(modal, QString::fromLatin1(Demo::AdminDeptUserId), QString::fromLatin1(Demo::AdminDeptUserPassword));
        ++tries;
        EXPECT_TRUE(modal->isVisible());
        EXPECT_TRUE(pass->hasFocus());
        ASSERT_EQ(session.messages().count(), 1);
        EXPECT_EQ(session.messages().last().text, QStringLiteral("Password not valid!"));
        EXPECT_EQ(session.messages().last().icon, MsgIcon::Information);
        EXPECT_EQ(session.messages().last().title, AppTitle());

        // A clerk, a wrong password and a quote in the id are refused the same way.
        for (const auto &[id, password] : {std::pair{Demo::ClerkId, Demo::ClerkPassword},
                                           std::pair{Demo::SupervisorId, "wrong"},
                                           std::pair{"20'01", Demo::SupervisorPassword}}) {
            child<QLineEdit>(modal, "txtUserID")->clear();
            pass->clear();
            enter(modal, QString::fromLatin1(id), QString::fromLatin1(password));
            ++tries;
        }
        EXPECT_EQ(session.messages().texts(), QStringList(4, QStringLiteral("Password not valid!")));

        child<QLineEdit>(modal, "txtUserID")->clear();
        pass->clear();
        enter(modal, QString::fromLatin1(Demo::SupervisorId), QString::fromLatin1(Demo::SupervisorPassword));
    });
    EXPECT_EQ(tries, 4);
    EXPECT_TRUE(prompt.OKCharge());
    EXPECT_EQ(prompt.VerifyID(), QString::fromLatin1(Demo::SupervisorId));
}

TEST_F(PasswordPromptTest, SecondShowingClearsTheFirstOutcome)
{
    showWith([](QWidget *modal) {
        enter(modal, QString::fromLatin1(Demo::SupervisorId), QString::fromLatin1(Demo::SupervisorPassword));
    });
    ASSERT_TRUE(prompt.OKCharge());

    bool clearedOnShow = false;
    showWith([this, &clearedOnShow](QWidget *modal) {
        clearedOnShow = !prompt.OKCharge() && prompt.VerifyID().isEmpty()
                        && child<QLineEdit>(modal, "txtUserID")->text().isEmpty()
                        && child<QLineEdit>(modal, "txtPassword")->text().isEmpty()
                        && child<QLineEdit>(modal, "txtUserID")->hasFocus();
        modal->close(); // the close box acts as Escape
    });
    EXPECT_TRUE(clearedOnShow);
    EXPECT_FALSE(prompt.OKCharge());
    EXPECT_EQ(prompt.VerifyID(), QString());
}

TEST_F(PasswordPromptTest, DatabaseFailureIsReportedAndThePromptStays)
{
    SKIP_ON_SERVER();
    session.raw(QStringLiteral("DROP TABLE Password.tbPasswordMain"));
    showWith([this](QWidget *modal) {
        enter(modal, QString::fromLatin1(Demo::SupervisorId), QString::fromLatin1(Demo::SupervisorPassword));
        EXPECT_TRUE(modal->isVisible());
        ASSERT_EQ(session.messages().count(), 1);
        EXPECT_TRUE(session.messages().last().text.startsWith(QStringLiteral("The password could not be checked.")));
        EXPECT_EQ(session.messages().last().icon, MsgIcon::Critical);
        modal->close();
    });
    EXPECT_FALSE(prompt.OKCharge());
}
