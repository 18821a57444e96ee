#include "main_window.h"

#include <cstdio>
#include <string>
#include "control_bar.h"
#include "host_actions.h"
#include "host_identity.h"
#include "host_ids.h"
#include "menu_bar.h"

namespace {

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

HostSession* SessionOf(HWND window) {
  return reinterpret_cast<HostSession*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// The position of the top-level menu whose first item has command id `key`, or -1.
int FindTopLevelMenu(HMENU menuBar, UINT key) {
  int count = GetMenuItemCount(menuBar);
  for (int i = 0; i < count; ++i) {
    HMENU submenu = GetSubMenu(menuBar, i);
    if (submenu != nullptr && GetMenuItemID(submenu, 0) == key) return i;
  }
  return -1;
}

// Reports what the plug-in will look for: class, menu keys and the control bar's place,
// all read back from the live windows.
void ReportWindowLayout(HostSession& session) {
  HWND window = session.mainWindow;
  char className[64] = "";
  GetClassNameA(window, className, sizeof className);
  std::string keys;
  HMENU menuBar = GetMenu(window);
  int count = menuBar != nullptr ? GetMenuItemCount(menuBar) : 0;
  for (int i = 0; i < count; ++i) {
    HMENU submenu = GetSubMenu(menuBar, i);
    char key[16];
    snprintf(key, sizeof key, " %X", submenu != nullptr ? GetMenuItemID(submenu, 0) : 0xFFFFu);
    keys += key;
  }
  char barClass[64] = "";
  GetClassNameA(session.controlBar, barClass, sizeof barClass);
  RECT bar;
  GetWindowRect(session.controlBar, &bar);
  POINT origin = {0, 0};
  ClientToScreen(window, &origin);
  session.report.Line("host: main window class \"%s\"; menu keys%s; control bar \"%s\" at "
                      "(%ld,%ld) size %ldx%ld in the client area",
                      className, keys.c_str(), barClass, bar.left - origin.x,
                      bar.top - origin.y, bar.right - bar.left, bar.bottom - bar.top);
}

bool CreateChildren(HostSession& session) {
  HWND window = session.mainWindow;
  session.controlBar = CreateControlBar(window, session.instance);
  if (session.controlBar == nullptr) return false;
  HMENU menuBar = GetMenu(window);
  int windowMenu = FindTopLevelMenu(menuBar, IDC_WINDOW_CASCADE);
  CLIENTCREATESTRUCT client = {};
  client.hWindowMenu = windowMenu >= 0 ? GetSubMenu(menuBar, windowMenu) : nullptr;
  client.idFirstChild = IDC_FIRST_MDI_CHILD;
  session.mdiClient = CreateWindowExA(WS_EX_CLIENTEDGE, "MDICLIENT", nullptr,
                                      WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_VSCROLL |
                                          WS_HSCROLL,
                                      0, controlBarHeight, 0, 0, window, nullptr,
                                      session.instance, &client);
  return session.mdiClient != nullptr;
}

void LayOut(HostSession& session, int width, int height) {
  if (session.controlBar != nullptr)
    MoveWindow(session.controlBar, 0, 0, width, controlBarHeight, TRUE);
  if (session.mdiClient != nullptr) {
    int below = height > controlBarHeight ? height - controlBarHeight : 0;
    MoveWindow(session.mdiClient, 0, controlBarHeight, width, below, TRUE);
  }
}

void ShowAbout(HostSession& session) {
  char text[1024];
  snprintf(text, sizeof text,
           "Eudora stand-in for plug-in tests\n\n%s %s\nPlug-ins folder: %s\n"
           "Plug-ins loaded: %u",
           hostIdentity.productName != nullptr ? hostIdentity.productName : "(no ProductName)",
           hostIdentity.productVersion, session.pluginsDir.c_str(),
           static_cast<unsigned>(session.plugins.size()));
  MessageBoxA(session.mainWindow, text, "About Eudora", MB_OK | MB_ICONINFORMATION);
}

// Returns true when the command was the stand-in's own.
bool OnCommand(HostSession& session, UINT command) {
  switch (command) {
    case IDC_FILE_EXIT:
      PostMessageA(session.mainWindow, WM_CLOSE, 0, 0);
      return true;
    case IDC_EDIT_UNDO: {
      HWND focus = GetFocus();
      if (focus != nullptr) SendMessageA(focus, WM_UNDO, 0, 0);
      return true;
    }
    case IDC_WINDOW_CASCADE:
      SendMessageA(session.mdiClient, WM_MDICASCADE, 0, 0);
      return true;
    case IDC_SPECIAL_TRANSLATE:
      TranslateChosenFile(session);
      return true;
    case IDC_SPECIAL_PLUGIN_SETTINGS:
      if (!OpenAllPluginSettings(session))
        MessageBoxA(session.mainWindow, "No loaded plug-in has settings.", "Eudora", MB_OK);
      return true;
    case IDC_HELP_ABOUT:
      ShowAbout(session);
      return true;
    default:
      return false;
  }
}

// Reports when a plug-in has put its own procedure in front of this one, or taken it away.
void NoteWindowProcedure(HostSession& session) {
  bool replaced = MainWindowSubclassed(session);
  if (replaced == session.procedureReplaced) return;
  session.procedureReplaced = replaced;
  session.report.Line("host: window procedure %s at +%lu ms", replaced ? "replaced" : "own again",
                      session.report.ElapsedMs());
}

void ScheduleScript(HostSession& session) {
  const HostOptions& options = session.options;
  if (options.steps.empty() && options.exitAfterMs < 0) return;
  // A posted message comes before any timer tick, so with no wait the steps run before
  // a plug-in's own timers get their first turn.
  if (options.waitMs == 0) PostMessageA(session.mainWindow, WM_APP_RUN_SCRIPT, 0, 0);
  else SetTimer(session.mainWindow, kWaitTimerId, static_cast<UINT>(options.waitMs), nullptr);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  HostSession* session = SessionOf(window);
  if (message == WM_NCCREATE) {
    session = static_cast<HostSession*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(session));
    session->mainWindow = window;
    session->commands.SetMainWindow(window);
  }
  if (session == nullptr) return DefFrameProcA(window, nullptr, message, wParam, lParam);
  if (message != WM_NCDESTROY) NoteWindowProcedure(*session);

  switch (message) {
    case WM_CREATE:
      if (!CreateChildren(*session)) return -1;
      ScheduleScript(*session);
      return 0;
    case WM_SIZE:
      LayOut(*session, LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_COMMAND:
      session->commands.ReachedOwnProcedure(wParam, lParam);
      if (OnCommand(*session, LOWORD(wParam))) return 0;
      break;
    case WM_TIMER:
      if (wParam == kWaitTimerId) {
        KillTimer(window, kWaitTimerId);
        PostMessageA(window, WM_APP_RUN_SCRIPT, 0, 0);
        return 0;
      }
      if (wParam == kExitTimerId) {
        KillTimer(window, kExitTimerId);
        PostMessageA(window, WM_CLOSE, 0, 0);
        return 0;
      }
      if (wParam == kPollTimerId) {
        KillTimer(window, kPollTimerId);
        RunScript(*session);
        return 0;
      }
      break;
    case WM_APP_RUN_SCRIPT:
      RunScript(*session);
      return 0;
    case WM_CLOSE:
      // Eudora lets its plug-ins finish while its windows still exist.
      FinishAllPlugins(*session);
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      ReportWindowProcedure(*session, "at destroy");
      ReportMenuBar(GetMenu(window), "destroy", session->report);
      session->report.Line("host: main window destroyed");
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      session->commands.SetMainWindow(nullptr);
      session->mainWindow = nullptr;
      session->controlBar = nullptr;
      session->mdiClient = nullptr;
      break;
  }
  return DefFrameProcA(window, session->mdiClient, message, wParam, lParam);
}

HWND CreateMainWindow(HostSession& session, int showCommand) {
  HMENU menuBar = BuildMenuBar(hostIdentity.menuKeys, hostIdentity.menuKeyCount, session.report);
  if (menuBar == nullptr) return nullptr;
  HWND window = CreateWindowExA(
      0, mainWindowClass, hostIdentity.productName != nullptr ? hostIdentity.productName : "Eudora",
      WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT, 640, 480, nullptr,
      menuBar, session.instance, &session);
  if (window == nullptr) {
    session.report.Error("the main window cannot be created (Windows error %lu)",
                         GetLastError());
    DestroyMenu(menuBar);
    return nullptr;
  }
  session.report.Line("host: main window created at +%lu ms", session.report.ElapsedMs());
  ShowWindow(window, showCommand);
  UpdateWindow(window);
  ReportWindowLayout(session);
  return window;
}

}  // namespace

bool RegisterMainWindowClass(HINSTANCE instance) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
  windowClass.lpszClassName = mainWindowClass;
  return RegisterClassA(&windowClass) != 0 && RegisterControlBarClass(instance);
}

bool MainWindowSubclassed(const HostSession& session) {
  if (session.mainWindow == nullptr) return false;
  return GetWindowLongPtrA(session.mainWindow, GWLP_WNDPROC) !=
         reinterpret_cast<LONG_PTR>(&MainWindowProc);
}

void ReportWindowProcedure(HostSession& session, const char* moment) {
  session.report.Line("host: window procedure %s: %s", moment,
                      MainWindowSubclassed(session) ? "replaced" : "own");
}

void RunMainWindow(HostSession& session, int showCommand) {
  // A thread timer, as a plug-in's own: it ticks in this loop before any window exists.
  UINT_PTR createTimer = 0;
  if (session.options.mainWindowAfterMs == 0) {
    if (CreateMainWindow(session, showCommand) == nullptr) return;
  } else {
    createTimer = SetTimer(nullptr, 0, static_cast<UINT>(session.options.mainWindowAfterMs), nullptr);
    if (createTimer == 0) {
      session.report.Error("the main window cannot be delayed (Windows error %lu)", GetLastError());
      return;
    }
    session.report.Line("host: main window due after %ld ms", session.options.mainWindowAfterMs);
  }
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (createTimer != 0 && message.message == WM_TIMER && message.hwnd == nullptr &&
        message.wParam == createTimer) {
      KillTimer(nullptr, createTimer);
      createTimer = 0;
      if (CreateMainWindow(session, showCommand) == nullptr) PostQuitMessage(1);
      continue;
    }
    if (session.mdiClient != nullptr && TranslateMDISysAccel(session.mdiClient, &message))
      continue;
    TranslateMessage(&message);
    session.commands.BeforeDispatch(message);
    DispatchMessageA(&message);
    session.commands.AfterDispatch(message);
  }
}
