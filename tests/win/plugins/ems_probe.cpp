// ems_probe.dll: a small EMS plug-in for the tests of the Eudora stand-in. It does to the
// host what a real plug-in does, in a way whose report lines a test can know exactly:
// - ems_plugin_init asks "probe init" (caption "Probe", OK/Cancel) and starts a 100 ms
//   thread timer;
// - the tick that finds "EudoraMainWindow" stops the timer, subclasses the window, appends
//   a separator (0x3C47) and a grayed "About &Probe" (0x3C49) to the menu whose first item
//   is 0x8048, posts command 0x3C4C (kept by the subclass), sends 0x8006 (passed on) and
//   asks "init answered <n>; timer ticks before the main window: yes|no" (caption
//   "Probe window", Yes/No, owner the main window);
// - ems_plugin_config shows dialog 100 "Probe dialog" (list 101 alpha/beta/gamma, edit 102,
//   static 103 showing the line chosen) and then tells how it ended (caption "Probe result");
// - ems_plugin_finish puts the window procedure back.
#include <windows.h>
#include <cstdio>
#include <initializer_list>
#include "plugin/ems_types.h"

namespace {

constexpr UINT kTickMs = 100;
constexpr int kListId = 101, kEditId = 102, kChosenId = 103;

HINSTANCE probeModule = nullptr;
UINT_PTR timerId = 0;
int ticksBeforeWindow = 0;
int initAnswer = 0;
HWND mainWindow = nullptr;
WNDPROC previousProcedure = nullptr;

LRESULT CALLBACK ProbeProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND && LOWORD(wParam) == 0x3C4C) return 0;
  return CallWindowProcA(previousProcedure, window, message, wParam, lParam);
}

void AppendToHelpMenu(HWND window) {
  HMENU bar = GetMenu(window);
  for (int i = 0; bar != nullptr && i < GetMenuItemCount(bar); ++i) {
    HMENU menu = GetSubMenu(bar, i);
    if (menu == nullptr || GetMenuItemID(menu, 0) != 0x8048) continue;
    AppendMenuA(menu, MF_SEPARATOR, 0x3C47, nullptr);
    AppendMenuA(menu, MF_STRING | MF_GRAYED, 0x3C49, "About &Probe");
    return;
  }
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
  HWND window = FindWindowA("EudoraMainWindow", nullptr);
  if (window == nullptr) {
    ++ticksBeforeWindow;
    return;
  }
  KillTimer(nullptr, timerId);
  timerId = 0;
  mainWindow = window;
  previousProcedure = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
      window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ProbeProcedure)));
  AppendToHelpMenu(window);
  PostMessageA(window, WM_COMMAND, 0x3C4C, 0);
  SendMessageA(window, WM_COMMAND, 0x8006, 0);
  char text[128];
  snprintf(text, sizeof text, "init answered %d; timer ticks before the main window: %s",
           initAnswer, ticksBeforeWindow > 0 ? "yes" : "no");
  MessageBoxA(window, text, "Probe window", MB_YESNO);
}

struct DialogResult {
  int line = -1;
  char lineText[64] = "";
  char edit[64] = "";
};

INT_PTR CALLBACK ProbeDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    for (const char* line : {"alpha", "beta", "gamma"})
      SendDlgItemMessageA(dialog, kListId, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
    SendDlgItemMessageA(dialog, kListId, LB_SETCURSEL, 0, 0);
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  auto* result = reinterpret_cast<DialogResult*>(GetWindowLongPtrA(dialog, DWLP_USER));
  int line = static_cast<int>(SendDlgItemMessageA(dialog, kListId, LB_GETCURSEL, 0, 0));
  char text[64] = "";
  if (line >= 0 && SendDlgItemMessageA(dialog, kListId, LB_GETTEXTLEN, line, 0) < 64)
    SendDlgItemMessageA(dialog, kListId, LB_GETTEXT, line, reinterpret_cast<LPARAM>(text));
  if (LOWORD(wParam) == kListId && HIWORD(wParam) == LBN_SELCHANGE) {
    SetDlgItemTextA(dialog, kChosenId, text);
  } else if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
    result->line = line;
    lstrcpynA(result->lineText, text, sizeof result->lineText);
    GetDlgItemTextA(dialog, kEditId, result->edit, sizeof result->edit);
    EndDialog(dialog, LOWORD(wParam));
  }
  return TRUE;
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) probeModule = instance;
  return TRUE;
}

long WINAPI ems_plugin_version(short* apiVersion) {
  *apiVersion = EMS_VERSION;
  return EMSR_OK;
}

long WINAPI ems_plugin_init(void*, char*, char*, char*, short* numTrans, char** description,
                            short* id, HICON** icon) {
  *numTrans = 0;
  *description = nullptr;
  *id = 1;
  *icon = nullptr;
  initAnswer = MessageBoxA(nullptr, "probe init", "Probe", MB_OKCANCEL | MB_ICONQUESTION);
  timerId = SetTimer(nullptr, 0, kTickMs, &Tick);
  return EMSR_OK;
}

long WINAPI ems_translator_info(void*, short, long*, long*, unsigned long*, char**, HICON**) {
  return EMSR_INVALID_TRANS;
}

long WINAPI ems_can_translate(void*, long, short, emsMIMEtypeP, char**, char*, char**, long*) {
  return EMSR_CANT_TRANS;
}

long WINAPI ems_translate_file(void*, long, short, emsMIMEtypeP, char*, emsAddressRecord*,
                               void*, char**, emsMIMEtypeP*, char*, HICON**, char**, char**,
                               long*) {
  return EMSR_CANT_TRANS;
}

long WINAPI ems_plugin_config(void*, char*, char*, char*) {
  DialogResult result;
  INT_PTR ended = DialogBoxParamA(probeModule, MAKEINTRESOURCEA(100), mainWindow, &ProbeDialog,
                                  reinterpret_cast<LPARAM>(&result));
  char text[256];
  snprintf(text, sizeof text, "dialog ended %d; line %d \"%s\"; edit \"%s\"",
           static_cast<int>(ended), result.line, result.lineText, result.edit);
  MessageBoxA(nullptr, text, "Probe result", MB_OK);
  return EMSR_OK;
}

long WINAPI ems_plugin_finish(void*) {
  if (timerId != 0) KillTimer(nullptr, timerId);
  if (mainWindow != nullptr && IsWindow(mainWindow) &&
      GetWindowLongPtrA(mainWindow, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&ProbeProcedure))
    SetWindowLongPtrA(mainWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProcedure));
  return EMSR_OK;
}

long WINAPI ems_free(void*) { return EMSR_OK; }

}  // extern "C"
