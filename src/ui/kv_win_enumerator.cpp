// TKvWinEnumerator: the one enumeration callback P16 hands each window to the object
// passed as the application value.
#include "ui/kv_win_enumerator.h"

BOOL TKvWinEnumerator::EnumTopLevel() {
  return EnumWindows(P16, reinterpret_cast<LPARAM>(this));
}

BOOL TKvWinEnumerator::EnumChildren(HWND parent) {
  return EnumChildWindows(parent, P16, reinterpret_cast<LPARAM>(this));
}

extern "C" BOOL CALLBACK P16(HWND window, LPARAM lParam) {
  TKvWinEnumerator* object = reinterpret_cast<TKvWinEnumerator*>(lParam);
  return object ? object->OnWindow(window) : FALSE;
}
