// Watches the WM_COMMAND messages that reach the main window, posted or sent, and reports
// for each whether it came through to the stand-in's own window procedure or a plug-in's
// subclass kept it. Sent ones are seen by thread hooks before and after the window
// procedures; posted ones by the message loop around DispatchMessage.
//   command: posted|sent id 0x<id> lParam 0x<v> at +<t> ms: reached the own procedure
//   command: posted|sent id 0x<id> lParam 0x<v> at +<t> ms: kept from the own procedure
// A posted command that a plug-in's modal loop dispatches is reported only when it reaches
// the own procedure ("posted, dispatched by another loop").
#pragma once
#include <windows.h>
#include <vector>
#include "report.h"

class CommandWatch {
 public:
  explicit CommandWatch(Report& report);
  ~CommandWatch();
  CommandWatch(const CommandWatch&) = delete;
  CommandWatch& operator=(const CommandWatch&) = delete;

  // Hooks this thread's sent messages; false (reported) when Windows refuses.
  bool Install();
  void SetMainWindow(HWND window) { mainWindow_ = window; }

  // The message loop calls these around DispatchMessage.
  void BeforeDispatch(const MSG& message);
  void AfterDispatch(const MSG& message);
  // The stand-in's own main-window procedure calls this for every WM_COMMAND.
  void ReachedOwnProcedure(WPARAM wParam, LPARAM lParam);
  // Whether a command with this id has been posted or sent to the main window.
  bool Seen(unsigned id) const;

 private:
  struct Pending {
    const char* how;  // "posted" or "sent"
    WPARAM wParam;
    LPARAM lParam;
    unsigned long at;
    bool reached;
  };
  static LRESULT CALLBACK BeforeSent(int code, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK AfterSent(int code, WPARAM wParam, LPARAM lParam);
  void Push(const char* how, WPARAM wParam, LPARAM lParam);
  void Pop();
  void ReportCommand(const char* how, WPARAM wParam, LPARAM lParam, unsigned long at,
                     const char* outcome);

  Report& report_;
  HWND mainWindow_ = nullptr;
  HHOOK before_ = nullptr;
  HHOOK after_ = nullptr;
  std::vector<Pending> pending_;  // innermost last: a command handler may send another
  std::vector<unsigned> seen_;
};
