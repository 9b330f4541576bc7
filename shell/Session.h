#pragma once

#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

class CurrentUser;
class ShellObject;
class Report;
class LogonPrompt;
class Connection;

// Session globals: one instance per process, filled at start-up.
extern CurrentUser *gCurrentUser;
extern ShellObject *gShell;
extern QString gCompany;
extern QString gAddress1;
extern QString gCurDate;
extern QString gClientName;
extern bool gAllowWDZeroOnHand;
extern bool gAutoWithdrawRequestNumber;
extern QString gDefaultLocationID;
extern QString gAllowedInventoryTypes;
extern bool gForceItemSearch;
extern QVariant gLookupResult;
extern std::shared_ptr<Report> gReport;

// Puts every global back to its value before start-up (texts empty, flags false); the
// objects gCurrentUser and gShell are not owned and are only cleared.
void ResetSession();

// The logged-on user's connection; throws Error 91 when there is no logged-on user or no
// connection, rather than letting a caller dereference nothing.
Connection *CurrentConnection();

// A database value as a Boolean: non-zero numbers and "True" (any case) are true; null, zero,
// "False", the empty text and anything not convertible are false.
bool VariantToBoolean(const QVariant &value);

void LoadSiteInformation();
bool IsSwitchOn(const QString &key);

// What Main needs from the layers above it.
struct StartupHooks
{
    CurrentUser *currentUser = nullptr;  // created by the caller
    ShellObject *shell = nullptr;        // the key sender
    std::function<void()> showEditor;    // creates and shows the request window
};

// Start-up: log-on, site information, session defaults, the editor. Returns false when the
// log-on did not succeed (the program then ends silently).
bool Main(const StartupHooks &hooks);
