#include "widgets/Application.h"

#include "platform/Error.h"
#include "platform/Messages.h"

#include <QTextStream>

Application::Application(int &argc, char **argv) : QApplication(argc, argv)
{
    // No display name: the window system would append it to every title, and the titles of the
    // windows and message boxes are exactly the given ones.
    setApplicationName(QStringLiteral("inventory-request"));
    // The desktop entry the package installs, so desktops match windows to its name and icon.
    setDesktopFileName(QStringLiteral("org.inventoryrequest.InventoryRequest"));
}

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        ReportFailure(e);
    } catch (...) {
        ReportUnknownFailure();
    }
    return false;
}

namespace {

// Showing the failure must never throw out of the event boundary itself.
void Show(const QString &text)
{
    try {
        MsgBox(text, MsgButtons::OK, MsgIcon::Critical, AppTitle());
    } catch (...) {
        QTextStream(stderr) << AppTitle() << ": " << text << Qt::endl;
    }
}

} // namespace

void ReportFailure(const std::exception &failure)
{
    if (const auto *error = dynamic_cast<const Error *>(&failure)) {
        Show(error->Description());
        return;
    }
    const QString text = QString::fromLocal8Bit(failure.what());
    Show(text.isEmpty() ? QStringLiteral("Unexpected error") : text);
}

void ReportUnknownFailure()
{
    Show(QStringLiteral("Unexpected error"));
}
