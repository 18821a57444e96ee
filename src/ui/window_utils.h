// Window and environment helpers.
#pragma once
#include <windows.h>

// Reads an environment variable; when set and not empty copies it (cut to destSize)
// into `dest` and returns its length, else returns 0 and leaves `dest` unchanged.
size_t GetEnvironmentText(const char* name, char* dest, size_t destSize);
void ShowAndEnable(HWND window, BOOL flag);
void CenterWindowOver(HWND window, HWND reference);
void ClearClipboard(HWND owner);
