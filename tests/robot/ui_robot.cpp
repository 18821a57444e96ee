#include "ui_robot.h"
#include <algorithm>

namespace robot {
namespace {

constexpr DWORD kPollMs = 15;
constexpr UINT kSendTimeoutMs = 2000;  // a text is read by a message: never wait for it for ever
constexpr char kDialogClass[] = "#32770";

bool Elapsed(DWORD start, DWORD timeoutMs) { return GetTickCount() - start >= timeoutMs; }

bool HasClass(HWND window, const char* className) {
  char name[64] = "";
  return GetClassNameA(window, name, sizeof name) && lstrcmpiA(name, className) == 0;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM windows) {
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (processId == GetCurrentProcessId() && IsWindowVisible(window) && HasClass(window, kDialogClass))
    reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
  return TRUE;
}

BOOL CALLBACK CollectButton(HWND child, LPARAM ids) {
  const LONG_PTR type = GetWindowLongPtrA(child, GWL_STYLE) & BS_TYPEMASK;
  if (HasClass(child, "Button") && IsWindowVisible(child) && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON))
    reinterpret_cast<std::vector<int>*>(ids)->push_back(GetDlgCtrlID(child));
  return TRUE;
}

std::vector<HWND> VisibleDialogs() {
  std::vector<HWND> windows;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

HWND FindWindowOf(const char* caption, const std::vector<HWND>& ignore, const volatile LONG* cancel) {
  for (DWORD start = GetTickCount();; Sleep(kPollMs)) {
    for (HWND w : VisibleDialogs())
      if (std::find(ignore.begin(), ignore.end(), w) == ignore.end() && (!caption || WindowText(w) == caption))
        return w;
    if ((cancel && *cancel) || Elapsed(start, kDefaultTimeoutMs)) return nullptr;
  }
}

// The MessageBoxA flags a shown box was made with: buttons, icon (a static, id 1088, holding a
// system icon), default button and MB_SYSTEMMODAL (topmost).
UINT MessageBoxFlags(HWND box, const std::vector<int>& buttons) {
  const struct { std::vector<int> buttons; UINT flags; } kinds[] = {
      {{IDOK}, MB_OK}, {{IDOK, IDCANCEL}, MB_OKCANCEL}, {{IDABORT, IDRETRY, IDIGNORE}, MB_ABORTRETRYIGNORE},
      {{IDYES, IDNO, IDCANCEL}, MB_YESNOCANCEL}, {{IDYES, IDNO}, MB_YESNO}, {{IDRETRY, IDCANCEL}, MB_RETRYCANCEL}};
  UINT flags = 0xF;  // buttons of no known kind
  for (const auto& kind : kinds)
    if (kind.buttons == buttons) flags = kind.flags;
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

}  // namespace

struct RobotAnswer::State {
  std::string caption;
  bool anyCaption = false;
  int button = 0;
  Script script;
  std::vector<HWND> ignore;
  volatile LONG cancel = 0;
  HANDLE thread = nullptr;
  Seen working, result;  // the robot thread's, and the copy made once it has ended
  bool finished = false;
};

HWND WaitForWindow(const char* caption, const std::vector<HWND>& ignore) {
  return FindWindowOf(caption, ignore, nullptr);
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
bool ItemEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
bool ItemVisible(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE; }

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

bool WaitClosed(HWND window) {
  for (DWORD start = GetTickCount(); IsWindow(window) && IsWindowVisible(window); Sleep(kPollMs))
    if (Elapsed(start, kDefaultTimeoutMs)) return false;
  return true;
}

namespace {

void Answer(RobotAnswer::State& state, HWND window, Seen& seen) {
  if (state.script) {
    try {
      state.script(window, seen);
    } catch (...) {
      seen.error = "the robot's script threw an exception";
    }
  } else if (Press(window, state.button)) {
    seen.pressed = state.button;
  } else {
    seen.error = "button " + std::to_string(state.button) + " is not in \"" + seen.caption + "\" (buttons";
    for (int id : seen.buttons) seen.error += " " + std::to_string(id);
    seen.error += ")";
    // Closed another way, so that the call under test returns.
    int other = seen.buttons.empty() ? 0 : seen.buttons.front();
    for (int id : {IDOK, IDNO, IDCANCEL})
      if (std::find(seen.buttons.begin(), seen.buttons.end(), id) != seen.buttons.end()) other = id;
    if (!other || !Press(window, other)) PostMessageA(window, WM_CLOSE, 0, 0);
  }
  seen.closed = WaitClosed(window);
  if (!seen.closed && seen.error.empty()) seen.error = "\"" + seen.caption + "\" did not close";
}

DWORD WINAPI RobotThread(LPVOID parameter) {
  // The thread holds its own reference: the state outlives a RobotAnswer that gave up.
  std::unique_ptr<std::shared_ptr<RobotAnswer::State>> holder(static_cast<std::shared_ptr<RobotAnswer::State>*>(parameter));
  RobotAnswer::State& state = **holder;
  Seen& seen = state.working;
  const char* caption = state.anyCaption ? nullptr : state.caption.c_str();
  HWND window = FindWindowOf(caption, state.ignore, &state.cancel);
  if (!window) {
    if (!state.cancel) {
      seen.error = "no window \"" + (caption ? state.caption : "(any)") + "\" within " +
                   std::to_string(kDefaultTimeoutMs) + " ms; visible:";
      for (HWND w : VisibleDialogs()) seen.error += " \"" + WindowText(w) + "\"";
    }
    return 0;
  }
  seen.found = true;
  seen.caption = WindowText(window);
  seen.text = ItemText(window, 0xFFFF);
  EnumChildWindows(window, CollectButton, reinterpret_cast<LPARAM>(&seen.buttons));
  seen.flags = MessageBoxFlags(window, seen.buttons);
  Answer(state, window, seen);
  return 0;
}

RobotAnswer Start(const char* caption, int button, Script script) {
  auto state = std::make_shared<RobotAnswer::State>();
  state->anyCaption = caption == nullptr;
  state->caption = caption ? caption : "";
  state->button = button;
  state->script = std::move(script);
  // A window still visible from an earlier step is not the one this robot waits for.
  state->ignore = VisibleDialogs();
  auto* holder = new std::shared_ptr<RobotAnswer::State>(state);
  state->thread = CreateThread(nullptr, 0, RobotThread, holder, 0, nullptr);
  if (!state->thread) {
    delete holder;
    state->working.error = "the robot thread could not be started";
  }
  return RobotAnswer(state);
}

}  // namespace

RobotAnswer Expect(const char* caption, int button) { return Start(caption, button, nullptr); }
RobotAnswer Expect(const char* caption, Script script) { return Start(caption, 0, std::move(script)); }

const Seen& RobotAnswer::Wait() {
  State& state = *state_;
  if (state.finished) return state.result;
  state.finished = true;
  // The robot reads texts by messages to windows that may belong to this thread, so this
  // thread pumps while it waits. The robot's own waits bound the time; a script may wait for
  // several windows, hence the generous limit.
  const DWORD limit = 4 * kDefaultTimeoutMs + 5000;
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
  static const Seen notYet{false, "", "", {}, 0, 0, false, "read before Wait() or Stop()"};
  return state_ && state_->finished ? state_->result : notYet;
}

}  // namespace robot
