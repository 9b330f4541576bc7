#include "platform/Messages.h"
#include "widgets/KeyEvents.h"
#include "widgets/KeySender.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

class KeyEventsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto *layout = new QVBoxLayout(&window);
        first = new QLineEdit(&window);
        second = new QLineEdit(&window);
        third = new QLineEdit(&window);
        button = new QPushButton(QStringLiteral("OK"), &window);
        for (QWidget *w : {static_cast<QWidget *>(first), static_cast<QWidget *>(second),
                           static_cast<QWidget *>(third), static_cast<QWidget *>(button)})
            layout->addWidget(w);
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        first->setFocus();
    }

    MessageRecorder messages;
    QWidget window;
    QLineEdit *first = nullptr;
    QLineEdit *second = nullptr;
    QLineEdit *third = nullptr;
    QPushButton *button = nullptr;
    KeySender keys;
};

TEST_F(KeyEventsTest, ControlHandlerReplacesOrSwallowsTypedCharacters)
{
    QList<int> seen;
    KeyEvents::onKeyPress(first, [&](int &keyAscii) {
        seen.append(keyAscii);
        if (keyAscii == '\'')
            keyAscii = 0;
        else if (keyAscii >= 'a' && keyAscii <= 'z')
            keyAscii -= 32;
    });
    QTest::keyClicks(first, QStringLiteral("ab'c1"));
    EXPECT_EQ(first->text(), QStringLiteral("ABC1"));
    EXPECT_EQ(seen, (QList<int>{'a', 'b', '\'', 'c', '1'}));

    seen.clear();
    QTest::keyClick(first, Qt::Key_Return);
    QTest::keyClick(first, Qt::Key_Escape);
    QTest::keyClick(first, Qt::Key_Backspace);
    EXPECT_EQ(seen, (QList<int>{13, 27, 8}));
    EXPECT_EQ(first->text(), QStringLiteral("ABC"));

    // Navigation keys and mnemonics type nothing and are not characters.
    seen.clear();
    QTest::keyClick(first, Qt::Key_Left);
    QTest::keyClick(first, Qt::Key_X, Qt::AltModifier);
    EXPECT_TRUE(seen.isEmpty());
}

TEST_F(KeyEventsTest, KeyDownSeesKeyCodesAndMaySwallowTheKey)
{
    QList<QPair<int, int>> seen;
    KeyEvents::onKeyDown(first, [&](int &keyCode, int shift) {
        seen.append({keyCode, shift});
        if (keyCode == 8)
            keyCode = 0;
    });
    QTest::keyClicks(first, QStringLiteral("a7"));
    QTest::keyClick(first, Qt::Key_A, Qt::ShiftModifier);
    QTest::keyClick(first, Qt::Key_Backspace);
    QTest::keyClick(first, Qt::Key_Delete);
    QTest::keyClick(first, Qt::Key_F3);
    // The Shift key itself comes down first (16), then the letter with the shift state.
    EXPECT_EQ(seen, (QList<QPair<int, int>>{{65, 0}, {55, 0}, {16, 1}, {65, 1}, {8, 0}, {46, 0}, {114, 0}}));
    // Backspace was swallowed, Delete at the end of the text removes nothing.
    EXPECT_EQ(first->text().toUpper(), QStringLiteral("A7A"));
}

TEST_F(KeyEventsTest, WindowPreviewSeesKeysFirstAndAKeyIsHandledOnce)
{
    QList<int> preview;
    QList<int> control;
    KeyEvents::setPreviewHandler(&window, [&](QWidget *target, int &keyAscii) {
        EXPECT_EQ(target, first);
        preview.append(keyAscii);
        if (keyAscii == '\'')
            keyAscii = 0;
        else if (keyAscii >= 'a' && keyAscii <= 'z')
            keyAscii -= 32;
    });
    KeyEvents::onKeyPress(first, [&](int &keyAscii) { control.append(keyAscii); });

    // Preview off: the control alone.
    EXPECT_FALSE(KeyEvents::keyPreview(&window));
    QTest::keyClicks(first, QStringLiteral("a"));
    EXPECT_TRUE(preview.isEmpty());
    EXPECT_EQ(control, QList<int>{'a'});

    KeyEvents::setKeyPreview(&window, true);
    EXPECT_TRUE(KeyEvents::keyPreview(&window));
    control.clear();
    QTest::keyClicks(first, QStringLiteral("b'C"));
    EXPECT_EQ(preview, (QList<int>{'b', '\'', 'C'}));
    // Replaced and swallowed keys never reach the control's handler; untouched ones do.
    EXPECT_EQ(control, QList<int>{'C'});
    EXPECT_EQ(first->text(), QStringLiteral("aBC"));
}

TEST_F(KeyEventsTest, EnterSentAsTabByPreviewAndControlMovesTheFocusOnce)
{
    // Both the window and the field turn Enter into Tab; the focus must move by one control only.
    KeyEvents::setPreviewHandler(&window, [&](QWidget *, int &keyAscii) {
        if (keyAscii == 13)
            keys.SendKeys(QStringLiteral("{Tab}"));
    });
    KeyEvents::setKeyPreview(&window, true);
    int controlCalls = 0;
    KeyEvents::onKeyPress(first, [&](int &keyAscii) {
        ++controlCalls;
        if (keyAscii == 13)
            keys.SendKeys(QStringLiteral("{Tab}"));
    });
    QTest::keyClick(first, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), second);
    EXPECT_EQ(controlCalls, 0);

    // Without preview the field's own handler does it, once.
    KeyEvents::setKeyPreview(&window, false);
    first->setFocus();
    QTest::keyClick(first, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), second);
    EXPECT_EQ(controlCalls, 1);
}

TEST_F(KeyEventsTest, PreviewDecidesForKeysOnButtons)
{
    QList<QWidget *> targets;
    KeyEvents::setPreviewHandler(&window, [&](QWidget *target, int &) { targets.append(target); });
    KeyEvents::setKeyPreview(&window, true);
    button->setFocus();
    QTest::keyClick(button, Qt::Key_X);
    EXPECT_EQ(targets, QList<QWidget *>{button});
}

TEST_F(KeyEventsTest, EnterOrSpaceOnAFocusedButtonClicksItOnceInAnyWindow)
{
    QSignalSpy clicked(button, &QPushButton::clicked);
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Return);
    QTest::keyClick(button, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(button, Qt::Key_Space);
    EXPECT_EQ(clicked.count(), 3);

    // Enter in a box is not a click; nor on a disabled button.
    first->setFocus();
    QTest::keyClick(first, Qt::Key_Return);
    button->setEnabled(false);
    QTest::keyClick(button, Qt::Key_Return);
    EXPECT_EQ(clicked.count(), 3);
    button->setEnabled(true);

    // A button's own Enter handling (Enter as Tab) decides instead.
    KeyEvents::onKeyPress(button, [&](int &keyAscii) {
        if (keyAscii == 13) {
            keyAscii = 0;
            keys.SendKeys(QStringLiteral("{Tab}"));
        }
    });
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Return);
    EXPECT_EQ(clicked.count(), 3);
    EXPECT_NE(QApplication::focusWidget(), button);

    // In a dialog, where Qt clicks default buttons itself, the button is clicked once, and the
    // focused button, not the default one.
    QDialog dialog;
    auto *focused = new QPushButton(QStringLiteral("No"), &dialog);
    auto *defaultButton = new QPushButton(QStringLiteral("Yes"), &dialog);
    focused->setAutoDefault(false);
    defaultButton->setDefault(true);
    defaultButton->move(0, 40);
    QSignalSpy focusedClicks(focused, &QPushButton::clicked);
    QSignalSpy defaultClicks(defaultButton, &QPushButton::clicked);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    focused->setFocus();
    QTest::keyClick(focused, Qt::Key_Return);
    EXPECT_EQ(focusedClicks.count(), 1);
    EXPECT_EQ(defaultClicks.count(), 0);
    defaultButton->setFocus();
    QTest::keyClick(defaultButton, Qt::Key_Return);
    EXPECT_EQ(defaultClicks.count(), 1);
}

TEST_F(KeyEventsTest, FailingHandlerIsReportedAndTheKeyDropped)
{
    KeyEvents::onKeyPress(first, [](int &) { throw std::runtime_error("key handler failed"); });
    QTest::keyClicks(first, QStringLiteral("x"));
    EXPECT_EQ(first->text(), QString());
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.last().text, QStringLiteral("key handler failed"));
    EXPECT_EQ(messages.last().icon, MsgIcon::Critical);
}

TEST_F(KeyEventsTest, HandlersOfADestroyedControlAreDropped)
{
    auto *temporary = new QLineEdit(&window);
    int calls = 0;
    KeyEvents::onKeyPress(temporary, [&](int &) { ++calls; });
    delete temporary;
    // A new control at the same address must not inherit the handler.
    auto *fresh = new QLineEdit(&window);
    fresh->show();
    QTest::keyClicks(fresh, QStringLiteral("z"));
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(fresh->text(), QStringLiteral("z"));
}

} // namespace
