#pragma once

#include <functional>

class LogonPrompt;
class frmMain;

// The program from the log-on to its end: the session, the request window, the event loop. The
// prompt answers the log-on (the log-on dialog for the users); editorShown, when given, runs once
// the request window is shown. Needs the application object; returns the program's exit code.
int RunProgram(LogonPrompt &prompt, const std::function<void(frmMain *)> &editorShown = {});
