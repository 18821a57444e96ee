// Window and environment helpers.
#pragma once
#include <windows.h>
#include <cstddef>

// Reads an environment variable; when it is set, not empty and fits `dest` with its NUL,
// copies it into `dest` and returns its length. Otherwise returns 0 and leaves `dest`
// unchanged: a value too long for the caller is treated as absent rather than cut, since a
// cut path names another directory.
size_t GetEnvironmentText(const char* name, char* dest, size_t destSize);
// Shows and enables the window (flag nonzero) or hides and disables it; null is ignored.
void ShowAndEnable(HWND window, BOOL flag);
// Moves the window (same size and Z order) so that its centre lies on the centre of the
// reference window, or of the desktop when the reference is null; not clamped to the screen.
void CenterWindowOver(HWND window, HWND reference);
// Opens, empties and closes the clipboard; does nothing when it cannot be opened.
void ClearClipboard(HWND owner);
