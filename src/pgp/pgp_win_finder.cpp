#include "pgp/pgp_win_finder.h"

BOOL TPgpWinFinder::OnWindow(HWND window) {
  DWORD processId = 0;
  DWORD threadId = GetWindowThreadProcessId(window, &processId);
  if (threadId == processInformation.dwThreadId && processId == processInformation.dwProcessId) {
    foundWindow = window;
    return FALSE;
  }
  return TRUE;
}
