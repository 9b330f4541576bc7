#include "widgets/Validation.h"

#include "widgets/Application.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDateTimeEdit>
#include <QKeyEvent>
#include <QFocusEvent>
#include <QHash>
#include <QPointer>
#include <QTabBar>
#include <QWidget>

// Every way of leaving a box ends in a change of the focus widget, and Qt tells the box by a
// FocusOut event after it has chosen the new focus widget but before that widget hears of it.
// The filter runs the step there; a refusal puts the focus straight back, and the events the
// other control would have seen (its FocusIn, the mouse press that moved the focus) are dropped.
// Two ways of acting on a control do not move the focus and are caught on their own: a button's
// mnemonic and a click on a button or a tab that takes no focus.

namespace {

class ValidationFilter : public QObject
{
public:
    explicit ValidationFilter(QObject *parent) : QObject(parent) {}

    QHash<QObject *, Validation::Step> steps;
    bool running = false;

    void watch(QWidget *box)
    {
        if (m_watched.contains(box))
            return;
        m_watched.insert(box);
        connect(box, &QObject::destroyed, this, [this](QObject *gone) {
            steps.remove(gone);
            m_watched.remove(gone);
        });
    }

    bool runStep(QWidget *box);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *boxOf(QWidget *widget) const;
    bool focusOut(QWidget *leaving, QFocusEvent *event);
    bool actionWithoutFocus(QWidget *target);
    bool refusedMouse(QWidget *target, QEvent *event);
    bool leaveDatePicker(QWidget *target, QKeyEvent *event);

    QSet<QObject *> m_watched;
    bool m_restoring = false;
    QPointer<QWidget> m_refusedTarget;  // the control whose click was refused, until the release
    QPointer<QWidget> m_acceptedBox;    // passed for a mnemonic; the focus change its action makes needs no step
};

ValidationFilter *filter()
{
    static QPointer<ValidationFilter> instance;
    if (!instance) {
        instance = new ValidationFilter(qApp);
        qApp->installEventFilter(instance);
    }
    return instance;
}

QWidget *ValidationFilter::boxOf(QWidget *widget) const
{
    for (QWidget *w = widget; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
        if (steps.contains(w))
            return w;
    }
    return nullptr;
}

bool ValidationFilter::runStep(QWidget *box)
{
    const auto it = steps.constFind(box);
    if (it == steps.constEnd() || !*it)
        return true;
    const Validation::Step step = *it;
    bool cancel = false;
    const bool wasRunning = running;
    running = true;
    // A step that fails has not accepted the value: the focus stays, as for a refusal.
    const bool completed = Guarded([&] { step(cancel); });
    running = wasRunning;
    return completed && !cancel;
}

bool ValidationFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (!watched->isWidgetType())
        return false;
    auto *widget = static_cast<QWidget *>(watched);
    switch (event->type()) {
    case QEvent::FocusIn:
    case QEvent::FocusOut:
    case QEvent::FocusAboutToChange:
        if (m_restoring)
            return true;
        if (event->type() == QEvent::FocusOut)
            return focusOut(widget, static_cast<QFocusEvent *>(event));
        return false;
    case QEvent::KeyPress:
        m_acceptedBox.clear();
        return leaveDatePicker(widget, static_cast<QKeyEvent *>(event));
    case QEvent::Shortcut:
        return qobject_cast<QAbstractButton *>(widget) && actionWithoutFocus(widget);
    case QEvent::MouseButtonPress:
        m_acceptedBox.clear();
        return refusedMouse(widget, event);
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
        return refusedMouse(widget, event);
    default:
        return false;
    }
}

bool ValidationFilter::focusOut(QWidget *leaving, QFocusEvent *event)
{
    switch (event->reason()) {
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::MouseFocusReason:
    case Qt::ShortcutFocusReason:
    case Qt::OtherFocusReason:
        break;
    default:
        return false; // another window, a popup or a menu: the focus has not left the box
    }
    if (running)
        return false;
    QWidget *box = boxOf(leaving);
    if (!box || !box->isVisible() || !box->isEnabled())
        return false;
    QWidget *next = QApplication::focusWidget();
    if (!next || next == box || box->isAncestorOf(next) || next->window() != box->window())
        return false;
    if (m_acceptedBox == box) {
        m_acceptedBox.clear();
        return false;
    }
    QPointer<QWidget> stay(leaving);
    if (runStep(box))
        return false;
    if (stay) {
        m_restoring = true;
        stay->setFocus(Qt::OtherFocusReason);
        m_restoring = false;
    }
    if (event->reason() == Qt::MouseFocusReason)
        m_refusedTarget = next;
    return true;
}

bool ValidationFilter::actionWithoutFocus(QWidget *target)
{
    if (running || !target->isEnabled())
        return false;
    QWidget *focus = QApplication::focusWidget();
    QWidget *box = focus ? boxOf(focus) : nullptr;
    if (!box || box == target || box->isAncestorOf(target) || !box->isVisible() || !box->isEnabled()
        || target->window() != box->window())
        return false;
    if (runStep(box)) {
        // The box has been validated for this action: the focus change it brings (an ambiguous
        // mnemonic focusing the button, or the button's own handler a moment later, after the box
        // may have been emptied) needs no second step. The user's next key or click ends that.
        m_acceptedBox = box;
        return false;
    }
    return true;
}

bool ValidationFilter::refusedMouse(QWidget *target, QEvent *event)
{
    if (m_refusedTarget) {
        if (m_refusedTarget == target || m_refusedTarget->isAncestorOf(target)) {
            if (event->type() == QEvent::MouseButtonRelease)
                m_refusedTarget.clear();
            return true;
        }
        if (event->type() == QEvent::MouseButtonPress)
            m_refusedTarget.clear();
    }
    if (event->type() != QEvent::MouseButtonPress)
        return false;
    // A button or a tab that takes no focus still acts on a click: the box is left all the same.
    if (!qobject_cast<QAbstractButton *>(target) && !qobject_cast<QTabBar *>(target))
        return false;
    if ((target->focusPolicy() & Qt::ClickFocus) || !actionWithoutFocus(target))
        return false;
    m_refusedTarget = target;
    return true;
}

// The date picker leaves on Tab like every other field, instead of stepping through its day, month
// and year: its parent moves the focus on from it (and so this filter validates it as usual).
bool ValidationFilter::leaveDatePicker(QWidget *target, QKeyEvent *event)
{
    if (event->key() != Qt::Key_Tab && event->key() != Qt::Key_Backtab)
        return false;
    if (!qobject_cast<QDateTimeEdit *>(target) || !target->parentWidget()
        || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return false;
    QCoreApplication::sendEvent(target->parentWidget(), event);
    return true;
}

} // namespace

namespace Validation {

void attach(QWidget *box, Step step)
{
    ValidationFilter *f = filter();
    f->watch(box);
    f->steps.insert(box, std::move(step));
}

void detach(QWidget *box)
{
    filter()->steps.remove(box);
}

bool run(QWidget *box)
{
    return filter()->runStep(box);
}

bool isRunning()
{
    return filter()->running;
}

} // namespace Validation
