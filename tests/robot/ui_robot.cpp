#include "ui_robot.h"
#include <algorithm>

namespace robot {
namespace {

constexpr DWORD kPollMs = 15;
constexpr UINT kSendTimeoutMs = 2000;  // a text is read by a message: never wait for it for ever

bool Elapsed(DWORD start, DWORD timeoutMs) { return GetTickCount() - start >= timeoutMs; }

bool HasClass(HWND window, const char* className) {
  char name[64] = "";
  return GetClassNameA(window, name, sizeof name) && lstrcmpiA(name, className) == 0;
}

struct WindowSearch {
  const char* className;
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<WindowSearch*>(lParam);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (processId == GetCurrentProcessId() && IsWindowVisible(window) && HasClass(window, search->className))
    search->windows.push_back(window);
  return TRUE;
}

BOOL CALLBACK CollectButton(HWND child, LPARAM lParam) {
  const LONG_PTR type = GetWindowLongPtrA(child, GWL_STYLE) & BS_TYPEMASK;
  if (HasClass(child, "Button") && IsWindowVisible(child) && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON))
    reinterpret_cast<std::vector<int>*>(lParam)->push_back(GetDlgCtrlID(child));
  return TRUE;
}

bool Has(const std::vector<int>& list, int id) { return std::find(list.begin(), list.end(), id) != list.end(); }

}  // namespace

struct RobotAnswer::State {
  std::string caption, className;
  bool anyCaption = false;
  DWORD timeoutMs = kDefaultTimeoutMs;
  int button = 0;
  Script script;
  std::vector<HWND> ignore;
  volatile LONG cancel = 0;
  HANDLE thread = nullptr;
  Seen working, result;  // the robot thread's, and the copy made once it has ended
  bool finished = false;
};

std::vector<HWND> VisibleWindows(const char* className) {
  WindowSearch search{className, {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
  return search.windows;
}

HWND WaitForWindow(const char* caption, const char* className, DWORD timeoutMs,
                   const std::vector<HWND>& ignore, const volatile LONG* cancel) {
  for (DWORD start = GetTickCount();; Sleep(kPollMs)) {
    for (HWND w : VisibleWindows(className))
      if (std::find(ignore.begin(), ignore.end(), w) == ignore.end() && (!caption || WindowText(w) == caption))
        return w;
    if ((cancel && *cancel) || Elapsed(start, timeoutMs)) return nullptr;
  }
}

std::string WindowText(HWND window) {
  DWORD_PTR length = 0, copied = 0;
  if (!window || !SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &length))
    return {};
  std::string text(length + 1, '\0');
  if (!SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]), SMTO_ABORTIFHUNG,
                           kSendTimeoutMs, &copied))
    return {};
  text.resize(std::min<size_t>(copied, length));
  return text;
}

std::string ItemText(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }
bool ItemExists(HWND dialog, int id) { return GetDlgItem(dialog, id) != nullptr; }
bool ItemEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
bool ItemVisible(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE; }

std::vector<int> ButtonIds(HWND dialog) {
  std::vector<int> ids;
  if (dialog) EnumChildWindows(dialog, CollectButton, reinterpret_cast<LPARAM>(&ids));
  return ids;
}

bool SetItemText(HWND dialog, int id, const char* text) {
  HWND item = GetDlgItem(dialog, id);
  DWORD_PTR ignored = 0;
  return item && SendMessageTimeoutA(item, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                                     kSendTimeoutMs, &ignored);
}

bool Press(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  return button && PostMessageA(button, BM_CLICK, 0, 0);
}

bool WaitClosed(HWND window, DWORD timeoutMs) {
  for (DWORD start = GetTickCount(); IsWindow(window) && IsWindowVisible(window); Sleep(kPollMs))
    if (Elapsed(start, timeoutMs)) return false;
  return true;
}

UINT MessageBoxFlags(HWND box) {
  const std::vector<int> buttons = ButtonIds(box);
  const struct { std::vector<int> buttons; UINT flags; } kinds[] = {
      {{IDOK}, MB_OK}, {{IDOK, IDCANCEL}, MB_OKCANCEL}, {{IDABORT, IDRETRY, IDIGNORE}, MB_ABORTRETRYIGNORE},
      {{IDYES, IDNO, IDCANCEL}, MB_YESNOCANCEL}, {{IDYES, IDNO}, MB_YESNO}, {{IDRETRY, IDCANCEL}, MB_RETRYCANCEL}};
  UINT flags = 0xF;  // buttons of no known kind
  for (const auto& kind : kinds)
    if (kind.buttons == buttons) flags = kind.flags;
  // The icon is a static (id 1088) holding one of the system icons.
  const HANDLE icon = reinterpret_cast<HANDLE>(SendDlgItemMessageA(box, 1088, STM_GETICON, 0, 0));
  const struct { LPCSTR id; UINT flag; } icons[] = {{IDI_HAND, MB_ICONHAND}, {IDI_QUESTION, MB_ICONQUESTION},
      {IDI_EXCLAMATION, MB_ICONEXCLAMATION}, {IDI_ASTERISK, MB_ICONASTERISK}};
  for (const auto& known : icons)
    if (icon && icon == LoadIconA(nullptr, known.id)) flags |= known.flag;
  for (size_t i = 0; i < buttons.size(); ++i)
    if ((GetWindowLongA(GetDlgItem(box, buttons[i]), GWL_STYLE) & 0xF) == BS_DEFPUSHBUTTON)
      flags |= static_cast<UINT>(i) << 8;
  if (GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) flags |= MB_SYSTEMMODAL;
  return flags;
}

std::string DescribeButtons(const std::vector<int>& buttons) {
  std::string text;
  for (int id : buttons) text += (text.empty() ? "" : " ") + std::to_string(id);
  return text.empty() ? "none" : text;
}

namespace {

DWORD WINAPI RobotThread(LPVOID parameter) {
  // The thread holds its own reference: the state outlives a RobotAnswer that gave up.
  using Shared = std::shared_ptr<RobotAnswer::State>;
  std::unique_ptr<Shared> holder(static_cast<Shared*>(parameter));
  RobotAnswer::State& state = **holder;
  Seen& seen = state.working;
  const char* caption = state.anyCaption ? nullptr : state.caption.c_str();
  HWND window = WaitForWindow(caption, state.className.c_str(), state.timeoutMs, state.ignore, &state.cancel);
  if (!window) {
    if (!state.cancel) {
      seen.error = "no window \"" + (caption ? state.caption : "(any)") + "\" of class " + state.className +
                   " within " + std::to_string(state.timeoutMs) + " ms; visible:";
      for (HWND w : VisibleWindows(state.className.c_str())) seen.error += " \"" + WindowText(w) + "\"";
    }
    return 0;
  }
  seen = {true, window, WindowText(window), ItemText(window, kMessageBoxTextId), ButtonIds(window),
          MessageBoxFlags(window), 0, false, ""};
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
    seen.error = "button " + std::to_string(state.button) + " is not in \"" + seen.caption + "\" (buttons " +
                 DescribeButtons(seen.buttons) + ")";
    // Closed another way, so that the call under test returns.
    int other = 0;
    for (int id : {IDCANCEL, IDNO, IDOK})
      if (!other && Has(seen.buttons, id)) other = id;
    if (!other && !seen.buttons.empty()) other = seen.buttons.front();
    if (!other || !Press(window, other)) PostMessageA(window, WM_CLOSE, 0, 0);
  }
  seen.closed = WaitClosed(window, state.timeoutMs);
  if (!seen.closed && seen.error.empty()) seen.error = "\"" + seen.caption + "\" did not close after the press";
  return 0;
}

RobotAnswer Start(const char* caption, int button, Script script, const char* className, DWORD timeoutMs) {
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

RobotAnswer Expect(const char* caption, Script script, const char* className, DWORD timeoutMs) {
  return Start(caption, 0, std::move(script), className, timeoutMs);
}

RobotAnswer::RobotAnswer(std::shared_ptr<State> state) : state_(std::move(state)) {}
RobotAnswer::RobotAnswer(RobotAnswer&&) noexcept = default;
RobotAnswer& RobotAnswer::operator=(RobotAnswer&& other) noexcept {
  if (this != &other && state_) Wait();
  if (this != &other) state_ = std::move(other.state_);
  return *this;
}
RobotAnswer::~RobotAnswer() {
  if (state_) Wait();
}

const Seen& RobotAnswer::Wait() {
  State& state = *state_;
  if (state.finished) return state.result;
  state.finished = true;
  // The robot reads texts by messages to windows that may belong to this thread, so this
  // thread pumps while it waits. The robot's own waits bound the time; a script may wait for
  // several windows, hence the generous limit.
  const DWORD limit = 4 * state.timeoutMs + 5000;
  for (DWORD start = GetTickCount(); state.thread && !Elapsed(start, limit);) {
    const DWORD r = MsgWaitForMultipleObjects(1, &state.thread, FALSE, limit - (GetTickCount() - start), QS_ALLINPUT);
    if (r == WAIT_OBJECT_0) {
      CloseHandle(state.thread);
      state.thread = nullptr;
    } else if (r != WAIT_OBJECT_0 + 1) {
      break;
    }
    for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);) TranslateMessage(&msg), DispatchMessageA(&msg);
  }
  state.result = state.working;
  if (state.thread) {  // it keeps its own reference to the state; leave it and report
    InterlockedExchange(&state.cancel, 1);
    CloseHandle(state.thread);
    state.thread = nullptr;
    state.result = Seen();
    state.result.error = "the robot did not finish within " + std::to_string(limit) + " ms";
  }
  return state.result;
}

const Seen& RobotAnswer::Stop() {
  InterlockedExchange(&state_->cancel, 1);
  return Wait();
}

const Seen& RobotAnswer::seen() const {
  static const Seen notYet{false, nullptr, "", "", {}, 0, 0, false, "read before Wait() or Stop()"};
  return state_ && state_->finished ? state_->result : notYet;
}

}  // namespace robot
