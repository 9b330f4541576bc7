#include "editor/frmMain.h"
#include "widgets/LocationCombo.h"
#include "tests/desktop/DesktopSession.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

QString S(const char *text)
{
    return QString::fromUtf8(text);
}

// The titles as the window system shows them in the title bars.
class WindowTitles : public DesktopSessionTest
{
protected:
    void closeWindows() override
    {
        for (QWidget *window : QApplication::topLevelWidgets())
            window->close();
    }

    std::unique_ptr<frmMain> openEditor()
    {
        auto form = std::make_unique<frmMain>();
        form->Form_Load();
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
        return form;
    }

    // Shows a message box the way the program does and reads the title shown for it.
    static QString shownTitleOfBox(KeyboardScript &user, const QString &title)
    {
        user.onProgram([title] {
            QTimer::singleShot(0, [title] { MsgBox(S("Check the title."), MsgButtons::OK, MsgIcon::Information, title); });
        });
        QString shown;
        user.waitFor(S("the box is shown"), [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (box && box->isVisible() && QApplication::activeWindow() == box)
                shown = ShownTitle(box);
            return !shown.isEmpty();
        });
        user.key(S("Return"));
        user.waitFor(S("the box closes"), [] { return !QApplication::activeModalWidget(); });
        return shown;
    }

};

TEST_F(WindowTitles, EditorBoxesAndPickersShowExactlyTheirOwnTitles)
{
    auto form = openEditor();
    EXPECT_EQ(ShownTitle(form.get()), S("Visual Quorvane - Inventory Request"));

    QStringList boxTitles;
    QString searchTitle;
    QString viewerTitle;
    KeyboardScript script;
    const QStringList failures = script.run([&](KeyboardScript &user) {
        for (const char *title : {"MESSAGE", "HEY!", "Message", ""})
            boxTitles.append(shownTitleOfBox(user, S(title)));

        // The report viewer of "&View", for the request selected in the list.
        user.waitFor(S("the editor is active"), [&] { return QApplication::activeWindow() == form.get(); });
        user.key(S("alt+v"));
        user.waitFor(S("the report viewer opens"), [&] {
            for (QWidget *window : QApplication::topLevelWidgets())
                if (window->objectName() == S("frmReportViewer") && window->isVisible())
                    viewerTitle = ShownTitle(window);
            return !viewerTitle.isEmpty();
        });

        // The product search of a name typed in the code box.
        user.onProgram([&] {
            form->activateWindow();
            form->cmdNew_Click();
            auto *to = form->findChild<LocationCombo *>(S("cboLocation"));
            to->setText(S(Demo::CentralSupply));
            to->setTag(S(Demo::CentralSupplyId));
            auto *from = form->findChild<LocationCombo *>(S("cboTargetLocation"));
            from->setText(S(Demo::EmergencyRoom));
            from->setTag(S(Demo::EmergencyRoomId));
        });
        user.waitFor(S("the code box has the focus"), [&] { return FocusedControlName() == S("txtProdCode"); });
        user.type(S("ACETYL"));
        user.key(S("Return"));
        user.waitFor(S("the product search opens"), [&] {
            QWidget *search = QApplication::activeModalWidget();
            if (search && search->objectName() == S("frmItemLookup") && QApplication::activeWindow() == search)
                searchTitle = ShownTitle(search);
            return !searchTitle.isEmpty();
        });
        user.key(S("alt+c"));
        user.waitFor(S("\"&Close\" closes the product search"), [] { return !QApplication::activeModalWidget(); });
    });
    EXPECT_TRUE(failures.isEmpty()) << failures.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(boxTitles, (QStringList{S("MESSAGE"), S("HEY!"), S("Message"), S("Inventory Request")}));
    EXPECT_EQ(viewerTitle, S("Inventory Master File"));
    EXPECT_EQ(searchTitle, S("Product Search"));
}

class ZeltraTitle : public WindowTitles
{
};

TEST_F(ZeltraTitle, TheStockRequestCaptionIsShownAsGiven)
{
    m_session->raw(S("UPDATE tbHospitalInfo SET ClientName = 'ZELTRA'"));
    gClientName = S("ZELTRA");
    auto form = openEditor();
    EXPECT_EQ(ShownTitle(form.get()), S("Visual Quorvane - Stock Request"));
}

} // namespace
