#include "pickers/LogonDialog.h"
#include "platform/Database.h"
#include "platform/Messages.h"
#include "widgets/Application.h"
#include "widgets/LocationCombo.h"
#include "widgets/QtMessageSink.h"
#include "widgets/WaitCursor.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

std::shared_ptr<Recordset> locations()
{
    auto table = std::make_shared<ResultTable>();
    table->columns = {QStringLiteral("LocationID"), QStringLiteral("Location")};
    table->rows = {{QStringLiteral("94"), QStringLiteral("CENTRAL SUPPLY")},
                   {QStringLiteral("12"), QStringLiteral("PHARMACY")},
                   {QStringLiteral("15"), QStringLiteral("O'NEIL WARD")}};
    auto recordset = std::make_shared<Recordset>();
    recordset->OpenFrom(table);
    return recordset;
}

// Runs body on the modal window that opens next (the caller then opens it).
void onNextModal(std::function<void(QWidget *)> body)
{
    QTimer::singleShot(0, [body] {
        QWidget *modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        body(modal);
    });
}

TEST(LocationComboTest, ListsTheFieldAndKeepsTextAndTag)
{
    LocationCombo box;
    EXPECT_TRUE(box.isEditable());
    box.setText(QStringLiteral("typed"));
    box.setRowSource(locations(), QStringLiteral("location"));
    ASSERT_EQ(box.count(), 3);
    EXPECT_EQ(box.itemText(2), QStringLiteral("O'NEIL WARD"));
    EXPECT_EQ(box.Text(), QStringLiteral("typed"));

    box.setText(QStringLiteral("PHARMACY"));
    EXPECT_EQ(box.currentIndex(), 1);
    EXPECT_EQ(box.Text(), QStringLiteral("PHARMACY"));
    box.setText(QStringLiteral("NOWHERE"));
    EXPECT_EQ(box.currentIndex(), -1);
    EXPECT_EQ(box.Text(), QStringLiteral("NOWHERE"));

    box.setTag(QStringLiteral("12"));
    EXPECT_EQ(box.Tag(), QStringLiteral("12"));

    box.setRowSource(nullptr, QStringLiteral("Location"));
    EXPECT_EQ(box.count(), 0);

    // A list field the recordset does not have is a fault, not an empty list.
    EXPECT_THROW(box.setRowSource(locations(), QStringLiteral("Name")), Error);
}

TEST(LocationComboTest, TypedTextIsTheText)
{
    LocationCombo box;
    box.setRowSource(locations(), QStringLiteral("Location"));
    box.show();
    QApplication::setActiveWindow(&box);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
    box.setFocus();
    QTest::keyClicks(&box, QStringLiteral("PHAR"));
    EXPECT_EQ(box.Text().left(4), QStringLiteral("PHAR"));
}

TEST(FailureReportTest, GuardedShowsTheDescriptionAndGoesOn)
{
    MessageRecorder messages;
    bool after = false;
    EXPECT_FALSE(Guarded([] { throw Error(9999, QStringLiteral("clsItem:Load Method"), QStringLiteral("Bad row")); }));
    EXPECT_FALSE(Guarded([] { throw std::runtime_error("plain failure"); }));
    EXPECT_FALSE(Guarded([] { throw 42; }));
    EXPECT_TRUE(Guarded([&] { after = true; }));
    EXPECT_TRUE(after);
    ASSERT_EQ(messages.count(), 3);
    EXPECT_EQ(messages.texts(), (QStringList{QStringLiteral("Bad row"), QStringLiteral("plain failure"),
                                             QStringLiteral("Unexpected error")}));
    for (const Message &m : messages.messages()) {
        EXPECT_EQ(m.icon, MsgIcon::Critical);
        EXPECT_EQ(m.buttons, MsgButtons::OK);
        EXPECT_EQ(m.title, QStringLiteral("Inventory Request"));
    }
}

TEST(WaitCursorTest, RestoresThePointerOnEveryExit)
{
    ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
    {
        WaitCursor wait;
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    try {
        WaitCursor wait;
        WaitCursor nested;
        throw Error(1, QString(), QStringLiteral("x"));
    } catch (const Error &) {
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(QtMessageSinkTest, ShowsTextTitleIconAndMapsTheAnswer)
{
    QtMessageSink sink;
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    onNextModal([&](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        ASSERT_NE(box, nullptr);
        text = box->text();
        title = box->windowTitle();
        icon = box->icon();
        EXPECT_NE(box->button(QMessageBox::Cancel), nullptr);
        box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(sink.show({QStringLiteral("Delete this request?"), QStringLiteral("MESSAGE"), MsgIcon::Question,
                         MsgButtons::YesNoCancel}),
              MsgAnswer::No);
    EXPECT_EQ(text, QStringLiteral("Delete this request?"));
    EXPECT_EQ(title, QStringLiteral("MESSAGE"));
    EXPECT_EQ(icon, QMessageBox::Question);

    // Escape on a Yes/No box answers No.
    onNextModal([](QWidget *modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    EXPECT_EQ(sink.show({QStringLiteral("Sure?"), QStringLiteral("HEY!"), MsgIcon::Exclamation, MsgButtons::YesNo}),
              MsgAnswer::No);
}

TEST(LogonDialogTest, ReturnsTheTypedCredentialsOrNothing)
{
    LogonDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Log On - Inventory Request"));
    auto *password = dialog.findChild<QLineEdit *>(QStringLiteral("txtPassword"));
    ASSERT_NE(password, nullptr);
    EXPECT_EQ(password->echoMode(), QLineEdit::Password);

    onNextModal([](QWidget *modal) {
        QTest::keyClicks(modal->findChild<QLineEdit *>(QStringLiteral("txtEmployeeId")), QStringLiteral(" 1001 "));
        QTest::keyClicks(modal->findChild<QLineEdit *>(QStringLiteral("txtPassword")), QStringLiteral("Secret 1"));
        QTest::keyClick(modal->findChild<QLineEdit *>(QStringLiteral("txtPassword")), Qt::Key_Return);
    });
    const std::optional<LogonCredentials> accepted = dialog.ask();
    ASSERT_TRUE(accepted.has_value());
    EXPECT_EQ(accepted->employeeId, QStringLiteral("1001"));
    EXPECT_EQ(accepted->password, QStringLiteral("Secret 1"));

    // A second try keeps the employee id but never the password.
    QString keptId;
    QString keptPassword;
    onNextModal([&](QWidget *modal) {
        keptId = modal->findChild<QLineEdit *>(QStringLiteral("txtEmployeeId"))->text();
        keptPassword = modal->findChild<QLineEdit *>(QStringLiteral("txtPassword"))->text();
        modal->findChild<QPushButton *>(QStringLiteral("cmdCancel"))->click();
    });
    EXPECT_FALSE(dialog.ask().has_value());
    EXPECT_EQ(keptId, QStringLiteral(" 1001 "));
    EXPECT_EQ(keptPassword, QString());

    onNextModal([](QWidget *modal) { modal->close(); });
    EXPECT_FALSE(dialog.ask().has_value());
}

} // namespace
