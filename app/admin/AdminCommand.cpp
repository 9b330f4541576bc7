#include "app/admin/AdminCommand.h"

#include "platform/Error.h"

int runReportingSteps(QTextStream &out, QTextStream &err, const std::function<void(const StepReporter &)> &work)
{
    try {
        work([&](const QString &line) {
            out << line << '\n';
            out.flush();
        });
    } catch (const Error &error) {
        err << "inventory-request-admin: " << error.Description() << '\n';
        return 1;
    }
    return 0;
}
