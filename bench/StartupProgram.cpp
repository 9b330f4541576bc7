#include "app/Program.h"
#include "editor/frmMain.h"
#include "platform/CurrentUser.h"
#include "platform/TimeZoneRules.h"
#include "widgets/Application.h"

#include <QTimer>

// The program as the start-up benchmark runs it: the log-on is answered from
// INVENTORY_REQUEST_BENCH_LOGON and INVENTORY_REQUEST_BENCH_PASSWORD (checked against the staff
// register as a typed answer is) on the server INVENTORY_REQUEST_BENCH_SERVER names, or on the
// data folder when it is not set, and the program ends once the request window is shown. The
// program the users run has no such seam.

namespace {

class EnvironmentLogon : public LogonPrompt
{
public:
    std::optional<LogonCredentials> ask() override
    {
        if (m_asked)
            return std::nullopt; // refused once: end, as Cancel does
        m_asked = true;
        return LogonCredentials{qEnvironmentVariable("INVENTORY_REQUEST_BENCH_LOGON"),
                                qEnvironmentVariable("INVENTORY_REQUEST_BENCH_PASSWORD"), offeredServer()};
    }
    QString offeredServer() const override { return qEnvironmentVariable("INVENTORY_REQUEST_BENCH_SERVER"); }

private:
    bool m_asked = false;
};

} // namespace

int main(int argc, char **argv)
{
    readTimeZoneRulesOnce();
    Q_INIT_RESOURCE(db);
    Application app(argc, argv);
    EnvironmentLogon logon;
    return RunProgram(logon, [](frmMain *window) {
        QTimer::singleShot(0, qApp, [window] {
            delete window;
            QCoreApplication::quit();
        });
    });
}
