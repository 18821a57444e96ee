#include "ui/show_children.h"
#include "ui/window_utils.h"

BOOL TShowChildren::OnWindow(HWND window) {
  ShowAndEnable(window, show);
  return TRUE;  // every window of the enumeration is visited
}
