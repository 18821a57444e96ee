// PLACEHOLDER: window and timer procedures that later work fills in.
#include "plugin/exports.h"

extern "C" {
LRESULT CALLBACK P07(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }
LRESULT CALLBACK P08(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }
LRESULT CALLBACK P09(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }
LRESULT CALLBACK P10(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }
VOID CALLBACK P14(HWND, UINT, UINT_PTR, DWORD) {}
}
