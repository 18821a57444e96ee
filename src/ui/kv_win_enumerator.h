// Base of every window search: one callback (P16) hands each enumerated window to the
// object that started the enumeration.
#pragma once
#include <windows.h>

class TKvWinEnumerator {
 public:
  HWND foundWindow = nullptr;

  virtual BOOL EnumTopLevel();
  virtual BOOL EnumChildren(HWND parent);
  virtual BOOL OnWindow(HWND window) = 0;  // nonzero: go on
};

// The enumeration callback of every TKvWinEnumerator (exported as P16).
extern "C" BOOL CALLBACK P16(HWND window, LPARAM lParam);
