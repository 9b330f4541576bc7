#pragma once

#include <QApplication>

#include <exception>

// The application object. Its event boundary is the handler of untrapped failures: an operation
// that fails ends at the failing step, its description is shown (critical icon, the application's
// title) and the program goes on.
class Application : public QApplication
{
    Q_OBJECT

public:
    Application(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

// Shows an untrapped failure the way the event boundary does.
void ReportFailure(const std::exception &failure);
void ReportUnknownFailure();

// Runs body; shows any failure as the event boundary does. Returns false when it failed.
template <typename F>
bool Guarded(F &&body)
{
    try {
        body();
        return true;
    } catch (const std::exception &e) {
        ReportFailure(e);
    } catch (...) {
        ReportUnknownFailure();
    }
    return false;
}

// A slot that runs handler as an operation of its own: a failure is shown and the program goes on.
template <typename F>
auto GuardedSlot(F handler)
{
    return [handler] { Guarded(handler); };
}
