#pragma once

#include "editor/frmMain.h"
#include "platform/Messages.h"
#include "tests/support/TestSession.h"

#include <QStringList>
#include <QWidget>

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>

class KeySender;
class FlexGrid;
class QTabWidget;

// One real request window per test over a fresh demo database: the session is logged on, the
// picker windows are registered, the window is loaded (Form_Load) and shown offscreen. The helpers
// act as a user does: a box is entered with a mouse click, keys go to the focused control.
class EditorFixture : public ::testing::Test
{
protected:
    EditorFixture();
    ~EditorFixture() override;

    void SetUp() override;
    void TearDown() override;

    // The employee logged on for the test (the demo clerk unless a test fixture says otherwise).
    virtual QString employee() const;
    // Runs after the session is loaded and before the window is created: change site globals,
    // switches or data here.
    virtual void beforeLoad() {}

    // Closes the window without the exit question and opens a new one (Form_Load again).
    void reopen();

    TestSession &session() { return *m_session; }
    frmMain &form() { return *m_form; }
    MessageRecorder &messages() { return m_session->messages(); }
    Message lastMessage() const { return m_session->messages().last(); }
    QStringList trace() const { return m_session->trace(); }
    void clearTrace() { m_session->clearTrace(); }

    QWidget *widget(const QString &name) const;
    template <typename T>
    T *widget(const QString &name) const
    {
        return qobject_cast<T *>(widget(name));
    }

    // Clicks into the box (validation of the box being left runs), selects its text and types.
    void typeInto(const QString &name, const QString &text);
    // Types into the focused control.
    void typeText(const QString &text);
    void pressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void pressTab() { pressKey(Qt::Key_Tab); }
    void pressEnter() { pressKey(Qt::Key_Return); }
    // A left mouse click on the control (on the indicator of option buttons and check boxes).
    void click(const QString &name);
    void doubleClickGridRow(const QString &gridName, int row);
    void selectGridRow(const QString &gridName, int row);
    void clickTab(int index);

    // Name of the control that has the focus (the named control that contains it).
    QString focusName() const;

    // Puts the lines into the detail grid as the entry area would, followed by the blank row.
    struct GridLine
    {
        const char *code, *quantity, *unitCost, *retail, *ads;
    };
    void putLines(std::initializer_list<GridLine> lines);

    FlexGrid *grid(const QString &name) const;
    QString cell(int row, int col) const;     // grdDetails
    QString listCell(int row, int col) const; // grdListing
    int listRows() const;
    // Row of the list that shows the document number; 0 when it is not listed.
    int listRowOf(const QString &documentNumber) const;

    static void processEvents();

private:
    void openWindow();

    std::unique_ptr<TestSession> m_session;
    std::unique_ptr<KeySender> m_keySender;
    std::unique_ptr<frmMain> m_form;
};
