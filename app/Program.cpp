#include "app/Program.h"

#include "editor/frmMain.h"
#include "pickers/PickerWindows.h"
#include "pickers/core/modEncryption.h"
#include "platform/CurrentUser.h"
#include "widgets/Application.h"
#include "widgets/KeySender.h"
#include "widgets/QtMessageSink.h"
#include "shell/Session.h"

int RunProgram(LogonPrompt &prompt, const std::function<void(frmMain *)> &editorShown)
{
    QtMessageSink messages;
    setMessageSink(&messages);

    CurrentUser user(&prompt, StaffPasswordForm);
    KeySender keys;
    registerPickerWindows();

    StartupHooks hooks;
    hooks.currentUser = &user;
    hooks.shell = &keys;
    hooks.showEditor = [&editorShown] {
        auto *window = new frmMain;
        window->setAttribute(Qt::WA_DeleteOnClose);
        // Closing the request window ends the program: report viewers left open close with it.
        QObject::connect(window, &QObject::destroyed, qApp, &QApplication::closeAllWindows, Qt::QueuedConnection);
        window->Form_Load();
        window->show();
        if (editorShown)
            editorShown(window);
    };
    bool started = false;
    // Start-up traps nothing: a failure is shown and the program ends without the editor. A log-on
    // that did not succeed ends it silently.
    const bool failed = !Guarded([&] { started = Main(hooks); });
    if (failed || !started) {
        setMessageSink(nullptr);
        return failed ? 1 : 0;
    }
    const int result = QApplication::exec();
    setMessageSink(nullptr);
    return result;
}
