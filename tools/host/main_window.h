// Eudora's main window: an MDI frame of class "EudoraMainWindow" with the menu bar and the
// top control bar the plug-in looks for.
#pragma once
#include <windows.h>
#include "host_session.h"

constexpr char mainWindowClass[] = "EudoraMainWindow";
constexpr UINT_PTR kWaitTimerId = 1;  // /wait before the scripted steps
constexpr UINT_PTR kExitTimerId = 2;  // /exit-after
constexpr UINT_PTR kPollTimerId = 3;  // a /wait-for step looks again
constexpr UINT WM_APP_RUN_SCRIPT = WM_APP + 1;

bool RegisterMainWindowClass(HINSTANCE instance);
// Creates the main window at once, or after /main-window-after with the message loop
// already running, and pumps messages until the main window has been destroyed (or could
// not be made).
void RunMainWindow(HostSession& session, int showCommand);
// Whether the main window's procedure is another than the stand-in's own.
bool MainWindowSubclassed(const HostSession& session);
// "host: window procedure <moment>: own|replaced".
void ReportWindowProcedure(HostSession& session, const char* moment);
