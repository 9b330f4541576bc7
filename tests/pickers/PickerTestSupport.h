#pragma once

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>

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
