#include "editor/frmMain.h"
#include "pickers/LogonDialog.h"
#include "pickers/PickerWindows.h"
#include "pickers/core/modEncryption.h"
#include "platform/CurrentUser.h"
#include "platform/gui/Application.h"
#include "platform/gui/KeySender.h"
#include "platform/gui/QtMessageSink.h"
#include "shell/Session.h"

#include <QTimer>
#include <QtGlobal>

#include <cstdio>

namespace {

// A Qt program without a display aborts inside the application's constructor; say so plainly
// instead. An explicit platform (offscreen, vnc, ...) is trusted.
bool displayAvailable()
{
#if defined(Q_OS_LINUX) || defined(Q_OS_FREEBSD)
    return qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY")
           || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
    return true;
#endif
}

// Measuring start-up (bench/): INVENTORY_REQUEST_BENCH_LOGON and INVENTORY_REQUEST_BENCH_PASSWORD
// answer the log-on prompt once, without showing it; the answer is checked against the staff
// register as a typed one is. INVENTORY_REQUEST_QUIT_WHEN_SHOWN=1 ends the program once the
// editor has been shown.
class EnvironmentLogon : public LogonPrompt
{
public:
    std::optional<LogonCredentials> ask() override
    {
        if (m_asked)
            return std::nullopt; // refused once: end, as Cancel does
        m_asked = true;
        return LogonCredentials{qEnvironmentVariable("INVENTORY_REQUEST_BENCH_LOGON"),
                                qEnvironmentVariable("INVENTORY_REQUEST_BENCH_PASSWORD")};
    }

private:
    bool m_asked = false;
};

} // namespace

int main(int argc, char **argv)
{
    if (!displayAvailable()) {
        std::fputs("inventory-request: no display available (set DISPLAY or WAYLAND_DISPLAY, or "
                   "QT_QPA_PLATFORM=offscreen)\n",
                   stderr);
        return 1;
    }
    Q_INIT_RESOURCE(db);
    Application app(argc, argv);
    QtMessageSink messages;
    setMessageSink(&messages);

    LogonDialog dialog;
    EnvironmentLogon environmentLogon;
    const bool benchLogon = !qEnvironmentVariableIsEmpty("INVENTORY_REQUEST_BENCH_LOGON");
    const bool quitWhenShown = qEnvironmentVariable("INVENTORY_REQUEST_QUIT_WHEN_SHOWN") == QLatin1String("1");
    CurrentUser user(benchLogon ? static_cast<LogonPrompt *>(&environmentLogon) : &dialog, [](const QString &password) {
        return ScrambleText(QStringLiteral("E"), QStringLiteral("DARVELQUIMSTO"), password);
    });
    KeySender keys;
    registerPickerWindows();

    StartupHooks hooks;
    hooks.currentUser = &user;
    hooks.shell = &keys;
    hooks.showEditor = [quitWhenShown] {
        auto *window = new frmMain;
        window->setAttribute(Qt::WA_DeleteOnClose);
        // Closing the request window ends the program: report viewers left open close with it.
        QObject::connect(window, &QObject::destroyed, qApp, &QApplication::closeAllWindows, Qt::QueuedConnection);
        window->Form_Load();
        window->show();
        if (quitWhenShown)
            QTimer::singleShot(0, qApp, [window] {
                delete window;
                QCoreApplication::quit();
            });
    };
    bool started = false;
    // Start-up traps nothing: a failure is shown and the program ends without the editor. A log-on
    // that did not succeed ends it silently.
    const bool failed = !Guarded([&] { started = Main(hooks); });
    if (failed || !started) {
        setMessageSink(nullptr);
        return failed ? 1 : 0;
    }
    const int result = app.exec();
    setMessageSink(nullptr);
    return result;
}
