// The main window's menu bar, built from the identity's menu keys, and its report.
#pragma once
#include <windows.h>
#include "report.h"

// A menu bar whose top-level menus are popups in the order of `keys`, each with the key as
// the command id of its first item; null (reported) when a key has no menu here.
HMENU BuildMenuBar(const unsigned* keys, size_t count, Report& report);

// Reports every top-level menu and every item of it, as the plug-in has left them:
//   menu at <moment>: <n> top-level menus
//   menu at <moment>: <i> "<title>" first id 0x<id>
//   menu at <moment>: <i>.<j> "<text>" id 0x<id> state 0x<state>   (or: separator id ...)
void ReportMenuBar(HMENU menuBar, const char* moment, Report& report);
