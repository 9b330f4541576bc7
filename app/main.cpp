#include "app/Program.h"
#include "pickers/LogonDialog.h"
#include "platform/TimeZoneRules.h"
#include "widgets/Application.h"

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
    readTimeZoneRulesOnce();
    Q_INIT_RESOURCE(db);
    Application app(argc, argv);
    LogonDialog dialog;
    return RunProgram(dialog);
}
