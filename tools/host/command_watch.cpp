#include "command_watch.h"

#include <algorithm>
#include <cstdio>

namespace {
// Hook procedures get no context of their own; this is the watch of the running session.
CommandWatch* activeWatch = nullptr;
}  // namespace

CommandWatch::CommandWatch(Report& report) : report_(report) {}

CommandWatch::~CommandWatch() {
  if (before_ != nullptr) UnhookWindowsHookEx(before_);
  if (after_ != nullptr) UnhookWindowsHookEx(after_);
  if (activeWatch == this) activeWatch = nullptr;
}

bool CommandWatch::Install() {
  activeWatch = this;
  DWORD thread = GetCurrentThreadId();
  before_ = SetWindowsHookExA(WH_CALLWNDPROC, &BeforeSent, nullptr, thread);
  after_ = SetWindowsHookExA(WH_CALLWNDPROCRET, &AfterSent, nullptr, thread);
  if (before_ != nullptr && after_ != nullptr) return true;
  report_.Error("sent commands cannot be watched (Windows error %lu)", GetLastError());
  return false;
}

LRESULT CALLBACK CommandWatch::BeforeSent(int code, WPARAM wParam, LPARAM lParam) {
  auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && activeWatch != nullptr && sent->message == WM_COMMAND &&
      sent->hwnd != nullptr && sent->hwnd == activeWatch->mainWindow_)
    activeWatch->Push("sent", sent->wParam, sent->lParam);
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK CommandWatch::AfterSent(int code, WPARAM wParam, LPARAM lParam) {
  auto* sent = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
  if (code == HC_ACTION && activeWatch != nullptr && sent->message == WM_COMMAND &&
      sent->hwnd != nullptr && sent->hwnd == activeWatch->mainWindow_)
    activeWatch->Pop();
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CommandWatch::BeforeDispatch(const MSG& message) {
  if (message.message == WM_COMMAND && message.hwnd != nullptr && message.hwnd == mainWindow_)
    Push("posted", message.wParam, message.lParam);
}

void CommandWatch::AfterDispatch(const MSG& message) {
  if (message.message == WM_COMMAND && message.hwnd != nullptr && message.hwnd == mainWindow_)
    Pop();
}

void CommandWatch::ReachedOwnProcedure(WPARAM wParam, LPARAM lParam) {
  if (!pending_.empty() && !pending_.back().reached && pending_.back().wParam == wParam &&
      pending_.back().lParam == lParam) {
    pending_.back().reached = true;
    return;
  }
  seen_.push_back(LOWORD(wParam));
  ReportCommand("posted, dispatched by another loop,", wParam, lParam, report_.ElapsedMs(),
                "reached the own procedure");
}

bool CommandWatch::Seen(unsigned id) const {
  return std::find(seen_.begin(), seen_.end(), id) != seen_.end();
}

void CommandWatch::Push(const char* how, WPARAM wParam, LPARAM lParam) {
  seen_.push_back(LOWORD(wParam));
  pending_.push_back({how, wParam, lParam, report_.ElapsedMs(), false});
}

void CommandWatch::Pop() {
  if (pending_.empty()) return;
  Pending done = pending_.back();
  pending_.pop_back();
  ReportCommand(done.how, done.wParam, done.lParam, done.at,
                done.reached ? "reached the own procedure" : "kept from the own procedure");
}

void CommandWatch::ReportCommand(const char* how, WPARAM wParam, LPARAM lParam,
                                 unsigned long at, const char* outcome) {
  char code[32] = "";
  if (HIWORD(wParam) != 0) snprintf(code, sizeof code, " code %u", HIWORD(wParam));
  report_.Line("command: %s id 0x%X%s lParam 0x%llx at +%lu ms: %s", how, LOWORD(wParam), code,
               static_cast<unsigned long long>(static_cast<ULONG_PTR>(lParam)), at, outcome);
}
