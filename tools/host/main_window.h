// Eudora's main window: an MDI frame of class "EudoraMainWindow" with the menu bar and the
// top control bar the plug-in looks for.
#pragma once
#include <windows.h>
#include "host_session.h"

constexpr char mainWindowClass[] = "EudoraMainWindow";
constexpr UINT_PTR kWaitTimerId = 1;  // /wait before the scripted steps
constexpr UINT_PTR kExitTimerId = 2;  // /exit-after
constexpr UINT WM_APP_RUN_SCRIPT = WM_APP + 1;

bool RegisterMainWindowClass(HINSTANCE instance);
// Creates and shows the main window; null (reported) when Windows refuses.
HWND CreateMainWindow(HostSession& session, int showCommand);
// Pumps messages until the main window has been destroyed.
void RunMessageLoop(HostSession& session);
