// Base of every dialog: one dialog procedure (P13) hands each message to the object
// that Execute passed as the WM_INITDIALOG parameter.
#pragma once
#include <windows.h>

class TKvDialog {
 public:
  // Runs the dialog modally; returns the EndDialog value, or -1 when it cannot be created.
  INT_PTR Execute(HINSTANCE module, int templateId, HWND owner);

  virtual INT_PTR OnInitDialog(HWND dialog, WPARAM wParam) = 0;
  virtual INT_PTR OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  virtual INT_PTR OnCommand(HWND dialog, WPARAM wParam, LPARAM lParam);
};

// The dialog procedure of every TKvDialog (exported as P13).
extern "C" INT_PTR CALLBACK P13(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
