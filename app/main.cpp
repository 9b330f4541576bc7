#include "editor/frmMain.h"
#include "pickers/LogonDialog.h"
#include "pickers/PickerWindows.h"
#include "pickers/core/modEncryption.h"
#include "platform/CurrentUser.h"
#include "platform/gui/Application.h"
#include "platform/gui/KeySender.h"
#include "platform/gui/QtMessageSink.h"
#include "shell/Session.h"

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
    CurrentUser user(&dialog, [](const QString &password) {
        return ScrambleText(QStringLiteral("E"), QStringLiteral("DARVELQUIMSTO"), password);
    });
    KeySender keys;
    registerPickerWindows();

    StartupHooks hooks;
    hooks.currentUser = &user;
    hooks.shell = &keys;
    hooks.showEditor = [] {
        auto *window = new frmMain;
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->Form_Load();
        window->show();
    };
    bool started = false;
    // Start-up traps nothing: a failure is shown and the program ends without the editor.
    if (!Guarded([&] { started = Main(hooks); }) || !started) {
        setMessageSink(nullptr);
        return 0;
    }
    const int result = app.exec();
    setMessageSink(nullptr);
    return result;
}
