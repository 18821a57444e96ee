// PLACEHOLDER (replaced by the dialog framework).
#include "plugin/exports.h"
extern "C" INT_PTR CALLBACK P13(HWND, UINT, WPARAM, LPARAM) { return 0; }
extern "C" BOOL CALLBACK P16(HWND, LPARAM) { return FALSE; }
