#include "widgets/KeyEvents.h"

#include "widgets/Application.h"

#include <QApplication>
#include <QHash>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QSet>
#include <QWidget>

namespace {

struct Preview
{
    KeyEvents::PreviewHandler handler;
    bool on = false;
};

// One application-wide filter sees every key before the control it is meant for, so that the
// window's preview, the control's handlers and any replacement of the character happen in one
// place and in the same order for every control.
class KeyFilter : public QObject
{
public:
    explicit KeyFilter(QObject *parent) : QObject(parent) {}

    QHash<QObject *, KeyEvents::KeyPressHandler> keyPress;
    QHash<QObject *, KeyEvents::KeyDownHandler> keyDown;
    QHash<QObject *, Preview> preview;

    void watch(QWidget *widget)
    {
        if (m_watched.contains(widget))
            return;
        m_watched.insert(widget);
        connect(widget, &QObject::destroyed, this, [this](QObject *gone) {
            keyPress.remove(gone);
            keyDown.remove(gone);
            preview.remove(gone);
            m_watched.remove(gone);
        });
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool handle(QWidget *target, QKeyEvent *event);
    void deliver(QWidget *target, int keyAscii, const QKeyEvent *original);

    QSet<QObject *> m_watched;
    const QEvent *m_lastEvent = nullptr;
    bool m_delivering = false;
};

KeyFilter *filter()
{
    static QPointer<KeyFilter> instance;
    if (!instance) {
        instance = new KeyFilter(qApp);
        qApp->installEventFilter(instance);
    }
    return instance;
}

// Every window gets the same keys from its first key on (Enter on a button), not only the windows
// that registered a handler.
void installFilter()
{
    filter();
}
Q_COREAPP_STARTUP_FUNCTION(installFilter)

// Enter on a focused push button clicks it, as Space does, in every window: Qt does so only for
// the default buttons of dialogs.
bool clickedByEnter(QWidget *target, const QKeyEvent *event)
{
    auto *button = qobject_cast<QPushButton *>(target);
    if (!button || !button->isEnabled() || KeyEvents::keyAsciiOf(event) != 13)
        return false;
    if (event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier))
        return false;
    button->click();
    return true;
}

template <typename Map>
auto findFor(const Map &map, QWidget *widget) -> const typename Map::mapped_type *
{
    for (QWidget *w = widget; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
        const auto it = map.constFind(w);
        if (it != map.constEnd())
            return &*it;
    }
    return nullptr;
}

Qt::Key keyForAscii(int keyAscii, const QKeyEvent *original)
{
    if (keyAscii >= 'a' && keyAscii <= 'z')
        return Qt::Key(Qt::Key_A + (keyAscii - 'a'));
    switch (keyAscii) {
    case 8:
        return Qt::Key_Backspace;
    case 9:
        return Qt::Key_Tab;
    case 13:
        return Qt::Key_Return;
    case 27:
        return Qt::Key_Escape;
    default:
        break;
    }
    if (keyAscii >= 32 && keyAscii < 127)
        return Qt::Key(keyAscii);
    return Qt::Key(original->key());
}

bool KeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || m_delivering || !watched->isWidgetType())
        return false;
    auto *target = static_cast<QWidget *>(watched);
    // A key the focused control does not take travels on to its parents; it was handled already.
    if (target != QApplication::focusWidget() && event == m_lastEvent)
        return false;
    m_lastEvent = event;
    return handle(target, static_cast<QKeyEvent *>(event));
}

bool KeyFilter::handle(QWidget *target, QKeyEvent *event)
{
    if (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab)
        return false;
    QPointer<QWidget> alive(target);
    QWidget *focusBefore = QApplication::focusWidget();
    // A handler that moved the focus on (Enter sent as Tab) has used the key up.
    auto usedUp = [&] { return !alive || QApplication::focusWidget() != focusBefore; };

    int keyCode = KeyEvents::keyCodeOf(event);
    if (keyCode != 0) {
        if (const auto *down = findFor(keyDown, target)) {
            const int shift = KeyEvents::shiftOf(event);
            const auto handler = *down;
            if (!Guarded([&] { handler(keyCode, shift); }))
                keyCode = 0;
            if (keyCode == 0 || usedUp())
                return true;
        }
    }

    const int typed = KeyEvents::keyAsciiOf(event);
    if (typed == 0)
        return false;
    int keyAscii = typed;

    const Preview *windowPreview = findFor(preview, target->window());
    if (windowPreview && windowPreview->on && windowPreview->handler) {
        const auto handler = windowPreview->handler;
        if (!Guarded([&] { handler(target, keyAscii); }))
            keyAscii = 0;
        if (keyAscii == 0 || usedUp())
            return true;
        if (keyAscii != typed) {
            deliver(target, keyAscii, event);
            return true;
        }
    }

    if (const auto *press = findFor(keyPress, target)) {
        const auto handler = *press;
        if (!Guarded([&] { handler(keyAscii); }))
            keyAscii = 0;
        if (keyAscii == 0 || usedUp())
            return true;
        if (keyAscii != typed) {
            deliver(target, keyAscii, event);
            return true;
        }
    }
    return alive && clickedByEnter(target, event);
}

void KeyFilter::deliver(QWidget *target, int keyAscii, const QKeyEvent *original)
{
    QKeyEvent replaced(QEvent::KeyPress, keyForAscii(keyAscii, original), original->modifiers(),
                       QString(QChar(keyAscii)), original->isAutoRepeat());
    m_delivering = true;
    QCoreApplication::sendEvent(target, &replaced);
    m_delivering = false;
}

} // namespace

namespace KeyEvents {

void onKeyPress(QWidget *control, KeyPressHandler handler)
{
    KeyFilter *f = filter();
    f->watch(control);
    if (handler)
        f->keyPress.insert(control, std::move(handler));
    else
        f->keyPress.remove(control);
}

void onKeyDown(QWidget *control, KeyDownHandler handler)
{
    KeyFilter *f = filter();
    f->watch(control);
    if (handler)
        f->keyDown.insert(control, std::move(handler));
    else
        f->keyDown.remove(control);
}

void setPreviewHandler(QWidget *window, PreviewHandler handler)
{
    KeyFilter *f = filter();
    f->watch(window);
    f->preview[window].handler = std::move(handler);
}

void setKeyPreview(QWidget *window, bool on)
{
    KeyFilter *f = filter();
    f->watch(window);
    f->preview[window].on = on;
}

bool handlesKeyPress(QWidget *control)
{
    return findFor(filter()->keyPress, control) != nullptr;
}

bool keyPreview(QWidget *window)
{
    const auto it = filter()->preview.constFind(window);
    return it != filter()->preview.constEnd() && it->on;
}

int keyAsciiOf(const QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return 0;
    default:
        break;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (modifiers & Qt::AltModifier)
        return 0; // Alt+letter is a mnemonic, never a typed character
    if ((modifiers & Qt::ControlModifier) && event->key() >= Qt::Key_A && event->key() <= Qt::Key_Z)
        return event->key() - Qt::Key_A + 1;
    const QString text = event->text();
    if (text.isEmpty())
        return 0;
    const QChar c = text.at(0);
    if (c.isHighSurrogate() || c.isLowSurrogate())
        return 0;
    return c.isPrint() ? c.unicode() : 0;
}

int keyCodeOf(const QKeyEvent *event)
{
    const int key = event->key();
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return key;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return 112 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Shift:
        return 16;
    case Qt::Key_Control:
        return 17;
    case Qt::Key_Alt:
        return 18;
    case Qt::Key_Pause:
        return 19;
    case Qt::Key_CapsLock:
        return 20;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Space:
        return 32;
    case Qt::Key_PageUp:
        return 33;
    case Qt::Key_PageDown:
        return 34;
    case Qt::Key_End:
        return 35;
    case Qt::Key_Home:
        return 36;
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    case Qt::Key_Insert:
        return 45;
    case Qt::Key_Delete:
        return 46;
    default:
        return 0;
    }
}

int shiftOf(const QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    return ((modifiers & Qt::ShiftModifier) ? 1 : 0) | ((modifiers & Qt::ControlModifier) ? 2 : 0)
           | ((modifiers & Qt::AltModifier) ? 4 : 0);
}

} // namespace KeyEvents
