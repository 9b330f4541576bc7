#include "editor/frmMain.h"
#include "widgets/FlexGrid.h"
#include "widgets/LocationCombo.h"
#include "tests/desktop/DesktopSession.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QString S(const char *text)
{
    return QString::fromUtf8(text);
}

// The request window of a logged-on clerk on the desktop, with real message boxes: everything the
// user meets is a window of the window system.
class KeyboardFlow : public DesktopSessionTest
{
protected:
    void SetUp() override
    {
        DesktopSessionTest::SetUp();
        if (IsSkipped())
            return;
        m_form = std::make_unique<frmMain>();
        m_form->Form_Load();
        m_form->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_form.get()));
    }

    void closeWindows() override { m_form.reset(); }

    frmMain &form() { return *m_form; }
    template <typename T = QWidget>
    T *control(const char *name)
    {
        return m_form->findChild<T *>(S(name));
    }
    QString text(const char *box) { return control<QLineEdit>(box)->text(); }

    // The editor is the active window again and the focus is in the named control.
    bool backIn(const char *name)
    {
        return !QApplication::activeModalWidget() && QApplication::activeWindow() == m_form.get()
               && FocusedControlName() == S(name);
    }
    // The modal window is shown, active, and has the focus.
    static bool modalActive(const char *name)
    {
        QWidget *modal = QApplication::activeModalWidget();
        return modal && QApplication::activeWindow() == modal && modal->isAncestorOf(QApplication::focusWidget())
               && (modal->objectName() == S(name) || (qstrcmp(name, "box") == 0 && qobject_cast<QMessageBox *>(modal)));
    }
    static QString modalText()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        return box ? box->text() : QString();
    }

    // The request goes from the emergency room to the central supply.
    void chooseLocations()
    {
        auto *to = control<LocationCombo>("cboLocation");
        to->setText(S(Demo::CentralSupply));
        to->setTag(S(Demo::CentralSupplyId));
        auto *from = control<LocationCombo>("cboTargetLocation");
        from->setText(S(Demo::EmergencyRoom));
        from->setTag(S(Demo::EmergencyRoomId));
    }

private:
    std::unique_ptr<frmMain> m_form;
};

TEST_F(KeyboardFlow, AfterEachModalWindowClosesTypingGoesOnWhereTheFocusBelongs)
{
    KeyboardScript script;
    const QStringList failures = script.run([&](KeyboardScript &user) {
        user.key(S("alt+n"));
        if (!user.waitFor(S("New puts the focus in the code box"), [&] { return backIn("txtProdCode"); }))
            return;
        user.onProgram([&] { chooseLocations(); });

        // A line by name search: the product search opens, a row is chosen with the keyboard and
        // the quantity box takes the next keys.
        user.type(S("ACETYL"));
        user.key(S("Return"));
        if (!user.waitFor(S("the product search opens active"), [] { return modalActive("frmItemLookup"); }))
            return;
        user.keys({S("Tab"), S("Tab")});
        user.waitFor(S("the list of items takes the focus"), [] { return FocusedControlName() == S("grdLookup"); });
        user.key(S("Return"));
        user.waitFor(S("after the product search the quantity box has the focus"),
                     [&] { return backIn("txtWithdraw") && text("txtProdCode").startsWith(S("1001")); });

        // A message box: its Enter closes it and the refused box takes the keys again.
        user.type(S("abc"));
        user.key(S("Return"));
        user.waitFor(S("the refused quantity is reported in an active box"),
                     [] { return modalActive("box") && modalText() == S("Invalid entry..."); });
        user.key(S("Return"));
        user.waitFor(S("after the message the quantity box has the focus"), [&] { return backIn("txtWithdraw"); });
        user.key(S("ctrl+a"));
        user.type(S("4"));
        user.key(S("Return"));
        user.waitFor(S("Enter in the quantity moves on to the unit cost"), [&] { return backIn("txtUnitCost"); });
        user.key(S("Return"));
        user.waitFor(S("Enter in the unit cost goes to Update"), [&] { return backIn("cmdOK"); });
        user.key(S("Return"));
        user.waitFor(S("Enter on Update places the line and returns to the code box"), [&] {
            return backIn("txtProdCode") && control<FlexGrid>("grdDetails")->TextMatrix(1, 2) == S("4");
        });

        // The supervisor prompt: "&Save/Verify" shares its mnemonic with "&Save", so a second press
        // may be needed to reach it; Enter on the focused button opens the prompt.
        QString saveButton;
        user.key(S("alt+s"));
        user.waitFor(S("the mnemonic focuses a save button"), [&] {
            saveButton = FocusedControlName();
            return saveButton == S("cmdSave") || saveButton == S("cmdVerified");
        });
        if (saveButton == S("cmdSave"))
            user.key(S("alt+s"));
        user.waitFor(S("Save/Verify has the focus"), [&] { return backIn("cmdVerified"); });
        user.key(S("Return"));
        user.waitFor(S("the supervisor prompt opens active with the focus in the id"),
                     [] { return modalActive("frmDeletePassword") && FocusedControlName() == S("txtUserID"); });
        user.type(S(Demo::SupervisorId));
        user.key(S("Return"));
        user.waitFor(S("Enter in the id moves to the password"), [] { return FocusedControlName() == S("txtPassword"); });
        user.type(S(Demo::SupervisorPassword));
        user.key(S("Return"));
        user.waitFor(S("after the prompt the request is saved and the editor active on its list"), [&] {
            return !QApplication::activeModalWidget() && QApplication::activeWindow() == &form()
                   && control<QTabWidget>("SSTab1")->currentIndex() == 0;
        });
        user.key(S("alt+n"));
        user.waitFor(S("New is reached at once: the code box has the focus"), [&] { return backIn("txtProdCode"); });
        user.onProgram([&] { chooseLocations(); });

        // The kit picker: the kit question and the picker are answered with keys; the focus moves on
        // from the code box as the Tab that left it says, and typing goes on there.
        user.type(S(Demo::KitItemId));
        user.key(S("Return"));
        user.waitFor(S("the kit question is asked in an active box"),
                     [] { return modalActive("box") && modalText().startsWith(S("Item is a Kit.")); });
        user.key(S("Return"));
        user.waitFor(S("the kit picker opens active"), [] { return modalActive("frmKitEntry"); });
        user.key(S("alt+s"));
        user.waitFor(S("after the kit picker the editor has the focus after the code box"), [&] {
            return backIn("cmdCode") && control<FlexGrid>("grdDetails")->TextMatrix(1, 0) == S(Demo::KitComponent1);
        });
        user.key(S("Return"));
        user.waitFor(S("Enter on \"...\" moves on to the quantity"), [&] { return backIn("txtWithdraw"); });
    });
    EXPECT_TRUE(failures.isEmpty()) << failures.join(QLatin1Char('\n')).toStdString();
}

TEST_F(KeyboardFlow, ARestockIsSuggestedAdjustedAndSavedFromTheKeyboard)
{
    // The list's first request comes from the emergency room to the central supply: New keeps the
    // two locations, and the demo ward has items at or below their minimum.
    QList<QStringList> proposed; // code, quantity of each proposed line
    KeyboardScript script;
    const QStringList failures = script.run([&](KeyboardScript &user) {
        user.key(S("alt+n"));
        if (!user.waitFor(S("New puts the focus in the code box"), [&] { return backIn("txtProdCode"); }))
            return;
        user.key(S("alt+g"));
        if (!user.waitFor(S("Suggest fills the grid and gives it the focus"), [&] {
                return backIn("grdDetails") && control<FlexGrid>("grdDetails")->Rows() > 4;
            }))
            return;
        user.onProgram([&] {
            const FlexGrid *grid = control<FlexGrid>("grdDetails");
            for (int row = 1; row < grid->Rows() - 1; ++row)
                proposed << QStringList{grid->TextMatrix(row, 0), grid->TextMatrix(row, 2)};
        });

        // The first line's quantity changed: Enter copies it into the entry area.
        user.key(S("Return"));
        user.waitFor(S("Enter on the line goes to its code"), [&] { return backIn("txtProdCode"); });
        user.key(S("Tab"));
        user.waitFor(S("the quantity box takes the focus"), [&] { return backIn("txtWithdraw"); });
        user.key(S("ctrl+a"));
        user.type(S("7"));
        user.key(S("Return"));
        user.waitFor(S("on to the unit cost"), [&] { return backIn("txtUnitCost"); });
        user.key(S("Return"));
        user.waitFor(S("on to Update"), [&] { return backIn("cmdOK"); });
        user.key(S("Return"));
        user.waitFor(S("the changed line is written and the grid has the focus"), [&] {
            return backIn("grdDetails") && control<FlexGrid>("grdDetails")->TextMatrix(1, 2) == S("7");
        });

        // The second line deleted.
        user.key(S("Down"));
        user.key(S("period"));
        user.waitFor(S("the second line is gone"), [&] {
            return proposed.size() > 2 &&
                   control<FlexGrid>("grdDetails")->TextMatrix(2, 0) == proposed.at(2).at(0);
        });

        QString saveButton;
        user.key(S("alt+s"));
        user.waitFor(S("the mnemonic focuses a save button"), [&] {
            saveButton = FocusedControlName();
            return saveButton == S("cmdSave") || saveButton == S("cmdVerified");
        });
        if (saveButton == S("cmdVerified"))
            user.key(S("alt+s"));
        user.waitFor(S("Save has the focus"), [&] { return backIn("cmdSave"); });
        user.key(S("Return"));
        user.waitFor(S("the request is saved and the list shown"),
                     [&] { return control<QTabWidget>("SSTab1")->currentIndex() == 0; });
    });
    ASSERT_TRUE(failures.isEmpty()) << failures.join(QLatin1Char('\n')).toStdString();

    ASSERT_GT(proposed.size(), 2);
    proposed[0][1] = S("7");
    proposed.removeAt(1);
    QList<QStringList> stored;
    const QString number = QString::number(Demo::LastDocNumber + 1);
    for (int line = 0;; ++line) {
        const QVariant item = m_session->rawValue(S("SELECT ItemID FROM tbInvWithdrawRequest WHERE "
                                                    "DocumentNumber = '%1' ORDER BY WithdrawRequestID "
                                                    "LIMIT 1 OFFSET %2")
                                                      .arg(number)
                                                      .arg(line));
        if (item.isNull())
            break;
        const QVariant quantity = m_session->rawValue(S("SELECT Quantity FROM tbInvWithdrawRequest WHERE "
                                                        "DocumentNumber = '%1' ORDER BY WithdrawRequestID "
                                                        "LIMIT 1 OFFSET %2")
                                                          .arg(number)
                                                          .arg(line));
        stored << QStringList{item.toString(), QString::number(quantity.toDouble())};
    }
    EXPECT_EQ(stored, proposed);
}

} // namespace
