// The control bar docked along the top of the main window's client area (the bar the
// plug-in puts its toolbar button on).
#pragma once
#include <windows.h>

constexpr int controlBarHeight = 30;

bool RegisterControlBarClass(HINSTANCE instance);
HWND CreateControlBar(HWND mainWindow, HINSTANCE instance);
