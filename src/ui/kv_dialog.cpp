// TKvDialog: the one dialog procedure P13 finds the dialog's object in the DWLP_USER slot.
#include "ui/kv_dialog.h"

INT_PTR TKvDialog::Execute(HINSTANCE module, int templateId, HWND owner) {
  return DialogBoxParamA(module, MAKEINTRESOURCEA(templateId), owner, P13,
                         reinterpret_cast<LPARAM>(this));
}

INT_PTR TKvDialog::OnMessage(HWND, UINT, WPARAM, LPARAM) { return 0; }

INT_PTR TKvDialog::OnCommand(HWND dialog, WPARAM wParam, LPARAM) {
  const WORD controlId = LOWORD(wParam);
  if (controlId == IDOK || controlId == IDCANCEL) {
    EndDialog(dialog, controlId);
    return 1;
  }
  return 0;
}

static TKvDialog* DialogObject(HWND dialog) {
  return reinterpret_cast<TKvDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

extern "C" INT_PTR CALLBACK P13(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    // The slot is written first, so that anything OnInitDialog sends already finds the object.
    TKvDialog* object = reinterpret_cast<TKvDialog*>(lParam);
    SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    // A dialog started without an object is a caller's mistake; it stays a plain dialog.
    return object ? object->OnInitDialog(dialog, wParam) : 0;
  }
  TKvDialog* object = DialogObject(dialog);
  if (!object) return 0;  // before WM_INITDIALOG (WM_SETFONT and the like)
  if (message == WM_COMMAND) return object->OnCommand(dialog, wParam, lParam);
  return object->OnMessage(dialog, message, wParam, lParam);
}
