#include "dialog_answerer.h"

#include <string>

namespace {

constexpr DWORD kPollMs = 20;
// Messages to the user-interface thread: a hung dialog must not hang the answerer.
constexpr UINT kSendTimeoutMs = 2000;
constexpr size_t kTextSize = 1024;
constexpr DWORD kStopTimeoutMs = 30000;

LRESULT SendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                           &result))
    return -1;
  return static_cast<LRESULT>(result);
}

std::string TextOf(HWND window) {
  char text[kTextSize] = "";
  SendBounded(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  text[sizeof text - 1] = '\0';
  return text;
}

std::string Quoted(const std::string& text) {
  char quoted[kTextSize * 2];
  QuoteForReport(quoted, sizeof quoted, text.c_str());
  return quoted;
}

std::string ClassOf(HWND window) {
  char name[64] = "";
  GetClassNameA(window, name, sizeof name);
  return name;
}

struct DialogSearch {
  const std::string* caption;
  const std::vector<HWND>* skip;
  HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<DialogSearch*>(lParam);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (processId != GetCurrentProcessId() || !IsWindowVisible(window) ||
      lstrcmpiA(ClassOf(window).c_str(), "#32770") != 0)
    return TRUE;
  for (HWND skipped : *search->skip)
    if (skipped == window) return TRUE;
  if (TextOf(window) != *search->caption) return TRUE;
  search->found = window;
  return FALSE;
}

HWND FirstChildOfClass(HWND window, const char* className) {
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT))
    if (lstrcmpiA(ClassOf(child).c_str(), className) == 0) return child;
  return nullptr;
}

std::string ListLine(HWND list, LRESULT index) {
  LRESULT length = SendBounded(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length < 0 || static_cast<size_t>(length) >= kTextSize) return std::string();
  char text[kTextSize] = "";
  SendBounded(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
  return text;
}

}  // namespace

DialogAnswerer::DialogAnswerer(const HostOptions& options, Report& report)
    : options_(options), report_(report) {}

DialogAnswerer::~DialogAnswerer() {
  Stop();
  if (stop_ != nullptr) CloseHandle(stop_);
}

bool DialogAnswerer::Start() {
  if (options_.dialogs.empty()) {
    done_ = 1;
    return true;
  }
  stop_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (stop_ != nullptr) thread_ = CreateThread(nullptr, 0, &Run, this, 0, nullptr);
  if (thread_ == nullptr) {
    report_.Error("the dialog answerer cannot start (Windows error %lu)", GetLastError());
    done_ = 1;
    return false;
  }
  return true;
}

void DialogAnswerer::Stop() {
  if (thread_ == nullptr) return;
  SetEvent(stop_);
  // The thread may be sending to this thread's windows: keep answering while waiting.
  DWORD start = GetTickCount();
  while (MsgWaitForMultipleObjects(1, &thread_, FALSE, kPollMs, QS_ALLINPUT) != WAIT_OBJECT_0) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    if (GetTickCount() - start > kStopTimeoutMs) {
      // Every step of the thread is bounded; this is only a last safeguard.
      report_.Error("the dialog answerer did not stop; ended");
      TerminateThread(thread_, 1);
      break;
    }
  }
  CloseHandle(thread_);
  thread_ = nullptr;
}

DWORD WINAPI DialogAnswerer::Run(void* self) {
  static_cast<DialogAnswerer*>(self)->AnswerAll();
  return 0;
}

bool DialogAnswerer::Stopping(DWORD waitMs) const {
  return WaitForSingleObject(stop_, waitMs) == WAIT_OBJECT_0;
}

HWND DialogAnswerer::WaitForDialog(const std::string& caption) {
  DWORD start = GetTickCount();
  do {
    DialogSearch search = {&caption, &answered_, nullptr};
    EnumWindows(&MatchDialog, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) return search.found;
  } while (GetTickCount() - start < static_cast<DWORD>(options_.dialogTimeoutMs) &&
           !Stopping(kPollMs));
  return nullptr;
}

void DialogAnswerer::AnswerAll() {
  const std::vector<DialogScript>& dialogs = options_.dialogs;
  for (size_t i = 0; i < dialogs.size(); ++i) {
    int number = static_cast<int>(i + 1);
    HWND window = WaitForDialog(dialogs[i].caption);
    if (window != nullptr) {
      Answer(number, dialogs[i], window);
      continue;
    }
    if (Stopping(0)) {
      for (size_t j = i; j < dialogs.size(); ++j)
        report_.Line("dialog %u: %s not seen before the host ended",
                     static_cast<unsigned>(j + 1), Quoted(dialogs[j].caption).c_str());
      break;
    }
    report_.Error("dialog %d: %s not seen within %ld ms", number,
                  Quoted(dialogs[i].caption).c_str(), options_.dialogTimeoutMs);
  }
  done_ = 1;
}

void DialogAnswerer::Answer(int number, const DialogScript& dialog, HWND window) {
  answered_.push_back(window);
  report_.Line("dialog %d: found %s at +%lu ms", number, Quoted(dialog.caption).c_str(),
               report_.ElapsedMs());
  HWND list = FirstChildOfClass(window, "ListBox");
  if (list != nullptr) {
    LRESULT count = SendBounded(list, LB_GETCOUNT, 0, 0);
    LRESULT selected = SendBounded(list, LB_GETCURSEL, 0, 0);
    for (LRESULT i = 0; i < count; ++i)
      report_.Line("dialog %d: list line %ld %s%s", number, static_cast<long>(i),
                   Quoted(ListLine(list, i)).c_str(), i == selected ? " selected" : "");
  }
  for (const DialogAction& action : dialog.actions) {
    if (action.kind == DialogAction::PickLine) {
      PickLine(number, window, action);
    } else if (action.kind == DialogAction::SetItem) {
      HWND item = GetDlgItem(window, static_cast<int>(action.id));
      if (item == nullptr) {
        report_.Error("dialog %d: no item %ld to set", number, action.id);
        continue;
      }
      SendBounded(item, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(action.text.c_str()));
      report_.Line("dialog %d: set item %ld %s", number, action.id,
                   Quoted(action.text).c_str());
    } else {
      // What the press acts on, after the other actions.
      ReportItems(number, window);
      HWND button = GetDlgItem(window, static_cast<int>(action.id));
      if (button != nullptr) {
        // Reported first: what the press sets off may report before this thread runs again.
        report_.Line("dialog %d: pressed %ld", number, action.id);
        PostMessageA(button, BM_CLICK, 0, 0);
      } else {
        report_.Error("dialog %d: no button %ld; closed with WM_CLOSE", number, action.id);
        PostMessageA(window, WM_CLOSE, 0, 0);
      }
    }
  }
  // Looks once more after the host has said it ends: the dialog has usually gone by then.
  DWORD start = GetTickCount();
  bool ending = false;
  while (IsWindow(window) && IsWindowVisible(window)) {
    if (ending || GetTickCount() - start >= static_cast<DWORD>(options_.dialogTimeoutMs)) {
      report_.Error("dialog %d: still open %lu ms after the press", number,
                    GetTickCount() - start);
      return;
    }
    ending = Stopping(kPollMs);
  }
  report_.Line("dialog %d: closed", number);
}

bool DialogAnswerer::PickLine(int number, HWND window, const DialogAction& action) {
  HWND list = FirstChildOfClass(window, "ListBox");
  if (list == nullptr) {
    report_.Error("dialog %d: no list box to pick a line from", number);
    return false;
  }
  LRESULT index = action.index >= 0
                      ? (action.index < SendBounded(list, LB_GETCOUNT, 0, 0) ? action.index : -1)
                      : SendBounded(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                    reinterpret_cast<LPARAM>(action.text.c_str()));
  if (index < 0) {
    report_.Error("dialog %d: no list line %s", number,
                  action.index >= 0 ? std::to_string(action.index).c_str()
                                    : Quoted(action.text).c_str());
    return false;
  }
  SendBounded(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  // A click tells the dialog; LB_SETCURSEL alone does not.
  SendBounded(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE),
              reinterpret_cast<LPARAM>(list));
  report_.Line("dialog %d: picked line %ld %s", number, static_cast<long>(index),
               Quoted(ListLine(list, index)).c_str());
  return true;
}

void DialogAnswerer::ReportItems(int number, HWND window) {
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT))
    report_.Line("dialog %d: item %d %s %s", number, GetDlgCtrlID(child), ClassOf(child).c_str(),
                 Quoted(TextOf(child)).c_str());
}
