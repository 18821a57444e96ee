#include "ui_robot.h"

namespace robot {
namespace {

constexpr DWORD kPollMs = 15;
// Reading a text is a message to the window's thread; never wait for it indefinitely.
constexpr UINT kSendTimeoutMs = 2000;

bool Elapsed(DWORD start, DWORD timeoutMs) { return GetTickCount() - start >= timeoutMs; }

bool HasClass(HWND window, const char* className) {
  char name[64] = "";
  if (!GetClassNameA(window, name, sizeof name)) return false;
  return lstrcmpiA(name, className) == 0;
}

struct WindowSearch {
  const char* className;
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<WindowSearch*>(lParam);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (processId == GetCurrentProcessId() && IsWindowVisible(window) &&
      HasClass(window, search->className)) {
    search->windows.push_back(window);
  }
  return TRUE;
}

BOOL CALLBACK CollectButton(HWND child, LPARAM lParam) {
  auto* ids = reinterpret_cast<std::vector<int>*>(lParam);
  LONG_PTR type = GetWindowLongPtrA(child, GWL_STYLE) & BS_TYPEMASK;
  if (HasClass(child, "Button") && IsWindowVisible(child) &&
      (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON)) {
    ids->push_back(GetDlgCtrlID(child));
  }
  return TRUE;
}

bool Contains(const std::vector<HWND>& list, HWND window) {
  for (HWND w : list)
    if (w == window) return true;
  return false;
}

std::string Quote(const char* text) { return text ? "\"" + std::string(text) + "\"" : "(any)"; }

// Names the windows that are visible, for a time-out message that explains itself.
std::string DescribeVisible(const char* className) {
  std::string list;
  for (HWND w : VisibleWindows(className)) list += " \"" + WindowText(w) + "\"";
  return list.empty() ? " none" : list;
}

// Closes a window whose wanted button was missing, so that the call under test returns.
void CloseSomehow(HWND window, const std::vector<int>& buttons) {
  for (int id : {IDCANCEL, IDNO, IDOK}) {
    for (int present : buttons) {
      if (present == id && Press(window, id)) return;
    }
  }
  if (!buttons.empty() && Press(window, buttons.front())) return;
  PostMessageA(window, WM_CLOSE, 0, 0);
}

}  // namespace

struct RobotAnswer::State {
  std::string caption;
  bool anyCaption = false;
  std::string className;
  DWORD timeoutMs = kDefaultTimeoutMs;
  int button = 0;
  Script script;
  std::vector<HWND> ignore;
  volatile LONG cancel = 0;
  HANDLE thread = nullptr;
  Seen working;  // written by the robot thread only
  Seen result;   // copied from `working` once the thread has ended
  bool finished = false;
};

std::vector<HWND> VisibleWindows(const char* className) {
  WindowSearch search{className, {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
  return search.windows;
}

HWND WaitForWindow(const char* caption, const char* className, DWORD timeoutMs,
                   const std::vector<HWND>& ignore, const volatile LONG* cancel) {
  DWORD start = GetTickCount();
  for (;;) {
    for (HWND w : VisibleWindows(className)) {
      if (Contains(ignore, w)) continue;
      if (!caption || WindowText(w) == caption) return w;
    }
    if ((cancel && *cancel) || Elapsed(start, timeoutMs)) return nullptr;
    Sleep(kPollMs);
  }
}

std::string WindowText(HWND window) {
  if (!window || !IsWindow(window)) return {};
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                           &length)) {
    return {};
  }
  std::string text(length + 1, '\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]),
                           SMTO_ABORTIFHUNG, kSendTimeoutMs, &copied)) {
    return {};
  }
  text.resize(copied < text.size() ? copied : text.size() - 1);
  return text;
}

std::string ItemText(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }

std::vector<int> ButtonIds(HWND dialog) {
  std::vector<int> ids;
  if (dialog) EnumChildWindows(dialog, CollectButton, reinterpret_cast<LPARAM>(&ids));
  return ids;
}

bool ItemExists(HWND dialog, int id) { return GetDlgItem(dialog, id) != nullptr; }

bool ItemEnabled(HWND dialog, int id) {
  HWND item = GetDlgItem(dialog, id);
  return item && IsWindowEnabled(item);
}

bool ItemVisible(HWND dialog, int id) {
  HWND item = GetDlgItem(dialog, id);
  return item && IsWindowVisible(item);
}

bool SetItemText(HWND dialog, int id, const char* text) {
  HWND item = GetDlgItem(dialog, id);
  if (!item) return false;
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutA(item, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text),
                             SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored) != 0;
}

bool Press(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  return button && PostMessageA(button, BM_CLICK, 0, 0);
}

bool Command(HWND dialog, int id) {
  return IsWindow(dialog) &&
         PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                      reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

bool WaitClosed(HWND window, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (IsWindow(window) && IsWindowVisible(window)) {
    if (Elapsed(start, timeoutMs)) return false;
    Sleep(kPollMs);
  }
  return true;
}

void Read(HWND window, Seen& seen) {
  seen.window = window;
  seen.caption = WindowText(window);
  seen.text = ItemText(window, kMessageBoxTextId);
  seen.buttons = ButtonIds(window);
}

std::string DescribeButtons(const std::vector<int>& buttons) {
  std::string text;
  for (int id : buttons) text += (text.empty() ? "" : " ") + std::to_string(id);
  return text.empty() ? "none" : text;
}

namespace {

DWORD WINAPI RobotThread(LPVOID parameter) {
  // The thread holds its own reference: the state outlives a RobotAnswer that gave up.
  std::unique_ptr<std::shared_ptr<RobotAnswer::State>> holder(
      static_cast<std::shared_ptr<RobotAnswer::State>*>(parameter));
  RobotAnswer::State& state = **holder;
  Seen& seen = state.working;
  const char* caption = state.anyCaption ? nullptr : state.caption.c_str();

  HWND window = WaitForWindow(caption, state.className.c_str(), state.timeoutMs, state.ignore,
                              &state.cancel);
  if (!window) {
    if (!state.cancel) {
      seen.error = "no visible window of class \"" + state.className + "\" with caption " +
                   Quote(caption) + " appeared within " + std::to_string(state.timeoutMs) +
                   " ms; visible:" + DescribeVisible(state.className.c_str());
    }
    return 0;
  }
  seen.found = true;
  Read(window, seen);

  if (state.script) {
    try {
      state.script(window, seen);
    } catch (...) {
      seen.error = "the robot's script threw an exception";
    }
    return 0;
  }

  if (Press(window, state.button)) {
    seen.pressed = state.button;
  } else {
    seen.error = "button " + std::to_string(state.button) + " is not in window \"" +
                 seen.caption + "\" (buttons: " + DescribeButtons(seen.buttons) + ")";
    CloseSomehow(window, seen.buttons);
  }
  seen.closed = WaitClosed(window, state.timeoutMs);
  if (!seen.closed && seen.error.empty()) {
    seen.error = "window \"" + seen.caption + "\" did not close after pressing " +
                 std::to_string(state.button);
  }
  return 0;
}

RobotAnswer Start(const char* caption, int button, Script script, const char* className,
                  DWORD timeoutMs) {
  auto state = std::make_shared<RobotAnswer::State>();
  state->anyCaption = caption == nullptr;
  state->caption = caption ? caption : "";
  state->className = className ? className : kDialogClass;
  state->timeoutMs = timeoutMs;
  state->button = button;
  state->script = std::move(script);
  // A window still visible from an earlier step is not the one this robot waits for.
  state->ignore = VisibleWindows(state->className.c_str());
  auto* holder = new std::shared_ptr<RobotAnswer::State>(state);
  state->thread = CreateThread(nullptr, 0, RobotThread, holder, 0, nullptr);
  if (!state->thread) {
    delete holder;
    state->working.error = "the robot thread could not be started";
  }
  return RobotAnswer(state);
}

}  // namespace

RobotAnswer Expect(const char* caption, int button, const char* className, DWORD timeoutMs) {
  return Start(caption, button, nullptr, className, timeoutMs);
}

RobotAnswer Expect(const char* caption, Script script, const char* className,
                   DWORD timeoutMs) {
  return Start(caption, 0, std::move(script), className, timeoutMs);
}

RobotAnswer::RobotAnswer(std::shared_ptr<State> state) : state_(std::move(state)) {}
RobotAnswer::RobotAnswer(RobotAnswer&&) noexcept = default;
RobotAnswer& RobotAnswer::operator=(RobotAnswer&& other) noexcept {
  if (this != &other) {
    if (state_) Wait();
    state_ = std::move(other.state_);
  }
  return *this;
}

RobotAnswer::~RobotAnswer() {
  if (state_) Wait();
}

const Seen& RobotAnswer::Wait() {
  State& state = *state_;
  if (state.finished) return state.result;
  state.finished = true;
  if (!state.thread) {
    state.result = state.working;
    return state.result;
  }
  // The robot reads texts by messages to windows that may belong to this thread, so this
  // thread keeps pumping while it waits. The robot's own waits bound the time; a script
  // may wait for several windows, hence the generous limit.
  const DWORD limit = 4 * state.timeoutMs + 5000;
  DWORD start = GetTickCount();
  for (;;) {
    DWORD spent = GetTickCount() - start;
    if (spent >= limit) break;
    DWORD r = MsgWaitForMultipleObjects(1, &state.thread, FALSE, limit - spent, QS_ALLINPUT);
    if (r == WAIT_OBJECT_0) {
      CloseHandle(state.thread);
      state.thread = nullptr;
      state.result = state.working;
      return state.result;
    }
    if (r != WAIT_OBJECT_0 + 1) break;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  // The thread keeps its own reference to the state; leave it and report.
  InterlockedExchange(&state.cancel, 1);
  CloseHandle(state.thread);
  state.thread = nullptr;
  state.result = Seen();
  state.result.error = "the robot did not finish within " + std::to_string(limit) + " ms";
  return state.result;
}

const Seen& RobotAnswer::Stop() {
  InterlockedExchange(&state_->cancel, 1);
  return Wait();
}

const Seen& RobotAnswer::seen() const {
  static const Seen notYet = [] {
    Seen s;
    s.error = "RobotAnswer read before Wait() or Stop()";
    return s;
  }();
  return state_ && state_->finished ? state_->result : notYet;
}

}  // namespace robot
