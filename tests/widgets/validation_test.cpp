#include "platform/Error.h"
#include "platform/Messages.h"
#include "widgets/KeySender.h"
#include "widgets/LocationCombo.h"
#include "widgets/Validation.h"

#include <QApplication>
#include <QLineEdit>
#include <QDateTimeEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

// Counts the focus events a control receives.
class FocusCounter : public QObject
{
public:
    explicit FocusCounter(QWidget *widget) { widget->installEventFilter(this); }
    int focusIn = 0;
    int focusOut = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::FocusIn)
            ++focusIn;
        else if (event->type() == QEvent::FocusOut)
            ++focusOut;
        return false;
    }
};

// A window with a validated box between two other controls and two buttons.
class ValidationTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto *layout = new QVBoxLayout(&window);
        before = new QLineEdit(&window);
        box = new QLineEdit(&window);
        after = new QLineEdit(&window);
        button = new QPushButton(QStringLiteral("&Go"), &window);
        flatButton = new QPushButton(QStringLiteral("&Flat"), &window);
        flatButton->setFocusPolicy(Qt::NoFocus);
        for (QWidget *w : {static_cast<QWidget *>(before), static_cast<QWidget *>(box),
                           static_cast<QWidget *>(after), static_cast<QWidget *>(button),
                           static_cast<QWidget *>(flatButton)})
            layout->addWidget(w);
        Validation::attach(box, [this](bool &cancel) {
            ++steps;
            runningInside = Validation::isRunning();
            cancel = refuse;
        });
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        box->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), box);
        steps = 0;
    }

    MessageRecorder messages;
    QWidget window;
    QLineEdit *before = nullptr;
    QLineEdit *box = nullptr;
    QLineEdit *after = nullptr;
    QPushButton *button = nullptr;
    QPushButton *flatButton = nullptr;
    int steps = 0;
    bool refuse = false;
    bool runningInside = false;
};

TEST_F(ValidationTest, TabLeavesTheBoxOnlyWhenTheStepAccepts)
{
    FocusCounter next(after);
    refuse = true;
    QTest::keyClick(box, Qt::Key_Tab);
    EXPECT_EQ(steps, 1);
    EXPECT_EQ(QApplication::focusWidget(), box);
    EXPECT_EQ(next.focusIn, 0);

    QTest::keyClick(box, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(steps, 2);
    EXPECT_EQ(QApplication::focusWidget(), box);

    refuse = false;
    QTest::keyClick(box, Qt::Key_Tab);
    EXPECT_EQ(steps, 3);
    EXPECT_EQ(QApplication::focusWidget(), after);
    EXPECT_EQ(next.focusIn, 1);
    EXPECT_TRUE(runningInside);
    EXPECT_FALSE(Validation::isRunning());
}

TEST_F(ValidationTest, RefusedBoxKeepsItsStateAndReceivesNoFocusEvents)
{
    FocusCounter self(box);
    box->setText(QStringLiteral("12"));
    box->setCursorPosition(1);
    refuse = true;
    QTest::keyClick(box, Qt::Key_Tab);
    QTest::mouseClick(after, Qt::LeftButton);
    EXPECT_EQ(self.focusOut, 0);
    EXPECT_EQ(self.focusIn, 0);
    EXPECT_EQ(box->cursorPosition(), 1);
    // Typing goes on into the box after a refusal.
    QTest::keyClicks(box, QStringLiteral("5"));
    EXPECT_EQ(box->text(), QStringLiteral("152"));
}

TEST_F(ValidationTest, RefusedClickDoesNotReachTheButton)
{
    QSignalSpy clicked(button, &QPushButton::clicked);
    FocusCounter target(button);
    refuse = true;
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(steps, 1);
    EXPECT_EQ(clicked.count(), 0);
    EXPECT_EQ(target.focusIn, 0);
    EXPECT_EQ(QApplication::focusWidget(), box);
    EXPECT_FALSE(button->isDown());

    refuse = false;
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(steps, 2);
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_EQ(QApplication::focusWidget(), button);
}

TEST_F(ValidationTest, ClickOnAnotherBoxAndOnAButtonWithoutFocusAreValidated)
{
    refuse = true;
    QTest::mouseClick(before, Qt::LeftButton);
    EXPECT_EQ(steps, 1);
    EXPECT_EQ(QApplication::focusWidget(), box);

    QSignalSpy clicked(flatButton, &QPushButton::clicked);
    QTest::mouseClick(flatButton, Qt::LeftButton);
    EXPECT_EQ(steps, 2);
    EXPECT_EQ(clicked.count(), 0);

    refuse = false;
    QTest::mouseClick(flatButton, Qt::LeftButton);
    EXPECT_EQ(steps, 3);
    EXPECT_EQ(clicked.count(), 1);
}

TEST_F(ValidationTest, MnemonicOfAButtonIsValidated)
{
    QSignalSpy clicked(button, &QPushButton::clicked);
    refuse = true;
    QTest::keyClick(&window, Qt::Key_G, Qt::AltModifier);
    QTest::qWait(300);
    EXPECT_EQ(steps, 1);
    EXPECT_EQ(clicked.count(), 0);
    EXPECT_EQ(QApplication::focusWidget(), box);

    refuse = false;
    QTest::keyClick(&window, Qt::Key_G, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return clicked.count() == 1; }, 2000));
    EXPECT_EQ(steps, 2);
}

TEST_F(ValidationTest, ProgrammaticFocusChangeIsValidated)
{
    refuse = true;
    after->setFocus();
    EXPECT_EQ(steps, 1);
    EXPECT_EQ(QApplication::focusWidget(), box);
    refuse = false;
    after->setFocus();
    EXPECT_EQ(QApplication::focusWidget(), after);
}

TEST_F(ValidationTest, TabSentByTheKeySenderIsValidatedAndMovesOn)
{
    KeySender keys;
    refuse = true;
    keys.SendKeys(QStringLiteral("{Tab}"));
    EXPECT_EQ(steps, 1);
    EXPECT_EQ(QApplication::focusWidget(), box);
    refuse = false;
    keys.SendKeys(QStringLiteral("{Tab}"));
    EXPECT_EQ(QApplication::focusWidget(), after);
    keys.SendKeys(QStringLiteral("{Tab}"));
    EXPECT_EQ(QApplication::focusWidget(), button);
    EXPECT_EQ(steps, 2);
}

TEST_F(ValidationTest, StepThatMovesTheFocusOrFailsIsNotRunTwice)
{
    // A step that sets the focus itself (as after a message) does not validate again.
    Validation::attach(box, [this](bool &cancel) {
        ++steps;
        before->setFocus();
        box->setFocus();
        cancel = true;
    });
    QTest::keyClick(box, Qt::Key_Tab);
    EXPECT_EQ(steps, 1);
    EXPECT_EQ(QApplication::focusWidget(), box);

    // A failing step is shown and keeps the focus: the value was never accepted.
    Validation::attach(box, [this](bool &) {
        ++steps;
        throw Error(5, QStringLiteral("test"), QStringLiteral("The step failed"));
    });
    QTest::keyClick(box, Qt::Key_Tab);
    EXPECT_EQ(steps, 2);
    EXPECT_EQ(QApplication::focusWidget(), box);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.last().text, QStringLiteral("The step failed"));
    EXPECT_EQ(messages.last().icon, MsgIcon::Critical);
    EXPECT_EQ(messages.last().title, AppTitle());
}

TEST_F(ValidationTest, HidingDisablingAndDetachingDoNotRunTheStep)
{
    refuse = true;
    box->setEnabled(false);
    EXPECT_NE(QApplication::focusWidget(), box);
    box->setEnabled(true);
    box->setFocus();
    box->hide();
    EXPECT_NE(QApplication::focusWidget(), box);
    EXPECT_EQ(steps, 0);

    box->show();
    box->setFocus();
    Validation::detach(box);
    QTest::keyClick(box, Qt::Key_Tab);
    EXPECT_EQ(steps, 0);
    EXPECT_EQ(QApplication::focusWidget(), after);

    // Run directly, a box without a step accepts.
    EXPECT_TRUE(Validation::run(box));
}

// The location boxes and the date picker are composite controls: their inner editor must not
// count as a way out, and their own Tab must still be validated.
TEST(CompositeBoxValidationTest, ComboDatePickerAndTabsAreValidatedAsOneBox)
{
    MessageRecorder messages;
    QTabWidget window;
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    auto *combo = new LocationCombo(page);
    auto *date = new QDateTimeEdit(page);
    auto *other = new QLineEdit(page);
    layout->addWidget(combo);
    layout->addWidget(date);
    layout->addWidget(other);
    window.addTab(page, QStringLiteral("Details"));
    window.addTab(new QWidget, QStringLiteral("List"));
    window.tabBar()->setFocusPolicy(Qt::NoFocus);
    int comboSteps = 0;
    int dateSteps = 0;
    Validation::attach(combo, [&](bool &cancel) { ++comboSteps; cancel = true; });
    Validation::attach(date, [&](bool &cancel) { ++dateSteps; cancel = true; });
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    combo->setFocus();
    QTest::keyClicks(combo, QStringLiteral("PHARM"));
    QTest::keyClick(combo, Qt::Key_Tab);
    EXPECT_EQ(comboSteps, 1);
    EXPECT_EQ(QApplication::focusWidget(), combo);
    EXPECT_EQ(combo->Text(), QStringLiteral("PHARM"));

    // A click on the other tab leaves the box too; refused, the tab does not change.
    const QRect listTab = window.tabBar()->tabRect(1);
    QTest::mouseClick(window.tabBar(), Qt::LeftButton, Qt::NoModifier, listTab.center());
    EXPECT_EQ(comboSteps, 2);
    EXPECT_EQ(window.currentIndex(), 0);

    Validation::detach(combo);
    date->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), date);
    QTest::keyClick(date, Qt::Key_Tab);
    EXPECT_EQ(dateSteps, 1);
    EXPECT_EQ(QApplication::focusWidget(), date);
    QTest::mouseClick(other, Qt::LeftButton);
    EXPECT_EQ(dateSteps, 2);
    EXPECT_EQ(QApplication::focusWidget(), date);
}

} // namespace
