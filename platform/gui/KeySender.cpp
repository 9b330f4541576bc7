#include "platform/gui/KeySender.h"

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
