#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <ostream>

class QProcess;

// Readable failure output for texts.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

// A private X desktop for the tests that need what only a real window system shows: which window
// is active after a modal one closes, where the keyboard goes, the titles in the title bars. It
// runs Xvfb with the openbox window manager; without them the tests skip.
class Desktop
{
public:
    // The desktop of this test program, started by its main before the application object.
    static Desktop &instance();

    ~Desktop();

    bool start();
    void stop();
    bool running() const { return !m_display.isEmpty(); }
    QString display() const { return m_display; }      // ":N"
    QString whyNotRunning() const { return m_problem; }

private:
    bool fail(const QString &problem);

    std::unique_ptr<QProcess> m_server;
    std::unique_ptr<QProcess> m_windowManager;
    QString m_display;
    QString m_problem;
};

// Runs a desktop tool (xdotool, xprop) on the desktop; its standard output, trimmed.
QString RunOnDesktop(const QString &program, const QStringList &arguments, bool *ok = nullptr);

// The title the window system shows for a window (its _NET_WM_NAME, as the window manager reads it).
QString ShownTitle(const QWidget *window);

// Types on the desktop as a person at the keyboard does, from a second thread, while this thread
// goes on handling events, modal windows included. Conditions are read on this thread. A failed
// step ends the script; windows it leaves open are closed so that the test ends.
class KeyboardScript
{
public:
    // Runs the script and waits for it (at most timeoutMs). Returns the failures, empty when none.
    QStringList run(const std::function<void(KeyboardScript &)> &script, int timeoutMs = 60000);

    // xdotool key names: "Return", "Tab", "alt+n", "ctrl+a".
    void keys(const QStringList &names);
    void key(const QString &name) { keys({name}); }
    void type(const QString &text);

    // Waits until the condition holds on the program's thread; records a failure when it does not.
    bool waitFor(const QString &what, const std::function<bool()> &condition, int timeoutMs = 8000);
    // Runs an action on the program's thread.
    void onProgram(const std::function<void()> &action);

    bool failed() const;

private:
    void addFailure(const QString &failure);

    mutable std::mutex m_mutex; // the failures are written from both threads
    QStringList m_failures;
    std::atomic<bool> m_stopped{false};
};

// Name of the control that has the focus (the named control that contains it), as the editor tests
// give it; empty when no control of the program has it.
QString FocusedControlName();
// The window the window system made active: its object name, or its title when it has none.
QString ActiveWindowName();
