#pragma once

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include "widgets/FlexGrid.h"
#include "tests/support/TestSession.h"

#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <functional>

// Runs the steps in the next modal window once it is open and active (the dialog's exec() blocks
// the test). A window the steps leave open is closed after a while, as a failure, so that a broken
// button fails the test instead of hanging it.
inline void whenModalOpens(std::function<void(QWidget *)> steps)
{
    QTimer::singleShot(0, [steps = std::move(steps)] {
        QElapsedTimer waited;
        waited.start();
        while (!QApplication::activeModalWidget() && waited.elapsed() < 5000)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        QPointer<QWidget> modal = QApplication::activeModalWidget();
        if (!modal) {
            ADD_FAILURE() << "no modal window opened";
            return;
        }
        EXPECT_TRUE(QTest::qWaitForWindowActive(modal));
        steps(modal);
        QTimer::singleShot(3000, modal, [modal] {
            if (modal && modal->isVisible()) {
                ADD_FAILURE() << "the window stayed open";
                if (auto *dialog = qobject_cast<QDialog *>(modal.data()))
                    dialog->reject();
            }
        });
    });
}

template <typename T>
T *child(QWidget *window, const char *name)
{
    return window->findChild<T *>(QLatin1String(name));
}

// A picker window over a fresh logged-on session, with the controls every picker has.
template <typename Window>
class PickerFixture : public ::testing::Test
{
protected:
    void showWindow()
    {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    QLineEdit *txtSearch() { return child<QLineEdit>(&window, "txtSearch"); }
    FlexGrid *grid() { return child<FlexGrid>(&window, "grdLookup"); }
    QPushButton *select() { return child<QPushButton>(&window, "cmdOptions_1"); }

    TestSession session;
    Window window;
};
