#include "ui/window_utils.h"
#include "core/text_utils.h"
#include <vector>

size_t GetEnvironmentText(const char* name, char* dest, size_t destSize) {
  if (!name || !dest || destSize == 0) return 0;
  char work[MAX_PATH];
  DWORD length = GetEnvironmentVariableA(name, work, sizeof work);
  if (length == 0) return 0;
  if (length >= sizeof work) {
    // Too long for the usual work buffer: the result is the size needed with the NUL.
    // Read it whole only when the caller could hold it; a cut value is never handed out.
    if (length > destSize) return 0;
    std::vector<char> large(length);
    DWORD again = GetEnvironmentVariableA(name, large.data(), length);
    if (again == 0 || again >= length) return 0;
    return CopyText(dest, destSize, large.data());
  }
  if (length >= destSize) return 0;
  return CopyText(dest, destSize, work);
}

void ShowAndEnable(HWND window, BOOL flag) {
  if (!window) return;
  ShowWindow(window, flag ? SW_SHOW : SW_HIDE);
  EnableWindow(window, flag);
}

namespace {
// Half of a sum, rounded down also for negative sums.
LONG FloorHalf(LONG sum) { return sum >= 0 ? sum / 2 : -((-sum + 1) / 2); }
}  // namespace

void CenterWindowOver(HWND window, HWND reference) {
  if (!window) return;
  if (!reference) reference = GetDesktopWindow();
  RECT own, over;
  if (!GetWindowRect(window, &own) || !GetWindowRect(reference, &over)) return;
  LONG width = own.right - own.left;
  LONG height = own.bottom - own.top;
  LONG left = FloorHalf(over.left + over.right - width);
  LONG top = FloorHalf(over.top + over.bottom - height);
  SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void ClearClipboard(HWND owner) {
  if (!OpenClipboard(owner)) return;
  EmptyClipboard();
  CloseClipboard();
}
