#include "widgets/KeySender.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

void KeySender::SendKeys(const QString &keys)
{
    if (keys.compare(QLatin1String("{Tab}"), Qt::CaseInsensitive) != 0)
        return;
    QWidget *target = QApplication::focusWidget();
    if (!target)
        target = QApplication::activeWindow();
    // Without a window manager no window may be active; the key then goes to the focus widget of
    // the visible window that took the typed key.
    if (!target) {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (window->isVisible() && window->focusWidget())
                target = window->focusWidget();
        }
    }
    if (!target)
        return;
    // Sent through the application, so that the event filters (validation, key handlers) and the
    // widget's own Tab handling see it exactly as a typed key.
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"));
    QCoreApplication::sendEvent(target, &press);
    QWidget *after = QApplication::focusWidget();
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"));
    QCoreApplication::sendEvent(after ? after : target, &release);
}
