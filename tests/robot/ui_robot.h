// A UI robot for Windows tests: a second thread that waits for a dialog or message box of
// this process, reads it and presses a button, so that code showing a modal window can run
// unattended. Start it BEFORE the call that shows the window:
//
//   RobotAnswer answer = robot::Expect("Tavix Light ", IDNO);
//   int result = CodeThatAsksAQuestion();
//   answer.Wait();                        // pumps messages; bounded
//   ASSERT_TRUE(answer.ok()) << answer.error();
//
// A script (run on the robot thread with the window found) may do more than one press; it
// reports through seen.error, not through assertions. Press() is posted: a script that needs
// the window gone calls WaitClosed(). When no window is expected, call Stop() instead of
// Wait() after the call: a modal window would have been answered before the call returned.
// Every wait is bounded; a missing button is reported and the window closed another way.
#pragma once
#include <windows.h>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace robot {

constexpr DWORD kDefaultTimeoutMs = 5000;
constexpr char kDialogClass[] = "#32770";
constexpr int kMessageBoxTextId = 0xFFFF;  // the static holding a message box's text

struct Seen {
  bool found = false;        // a matching window appeared in time
  HWND window = nullptr;     // may be destroyed by now
  std::string caption;
  std::string text;          // the static 0xFFFF (message boxes), else empty
  std::vector<int> buttons;  // visible push buttons, in child order
  UINT flags = 0;            // MessageBoxFlags() of the window as found
  int pressed = 0;
  bool closed = false;
  std::string error;         // empty when everything went as asked
};

using Script = std::function<void(HWND window, Seen& seen)>;

// A visible top-level window of this process with the class and exact caption (null: any),
// not in `ignore`; null on time-out or when `cancel` becomes non-zero.
HWND WaitForWindow(const char* caption, const char* className = kDialogClass,
                   DWORD timeoutMs = kDefaultTimeoutMs,
                   const std::vector<HWND>& ignore = {}, const volatile LONG* cancel = nullptr);
std::vector<HWND> VisibleWindows(const char* className = kDialogClass);
std::string WindowText(HWND window);       // WM_GETTEXT with a time-out; "" when unreadable
std::string ItemText(HWND dialog, int id);
std::vector<int> ButtonIds(HWND dialog);
bool ItemExists(HWND dialog, int id);
bool ItemEnabled(HWND dialog, int id);
bool ItemVisible(HWND dialog, int id);
bool SetItemText(HWND dialog, int id, const char* text);  // false when the child is missing
bool Press(HWND dialog, int id);  // BM_CLICK, posted; false when the button is missing
bool WaitClosed(HWND window, DWORD timeoutMs = kDefaultTimeoutMs);  // destroyed or hidden
// The MessageBoxA flags a shown box was made with, read back from it: buttons, icon,
// default button and MB_SYSTEMMODAL (topmost).
UINT MessageBoxFlags(HWND box);
std::string DescribeButtons(const std::vector<int>& buttons);  // "6 7"

class RobotAnswer {
 public:
  struct State;
  explicit RobotAnswer(std::shared_ptr<State> state);
  RobotAnswer(RobotAnswer&&) noexcept;
  RobotAnswer& operator=(RobotAnswer&&) noexcept;
  ~RobotAnswer();  // waits like Wait()

  const Seen& Wait();  // until the robot has finished, pumping this thread's messages
  const Seen& Stop();  // a robot that has not found its window gives up, then Wait()
  const Seen& seen() const;  // valid after Wait() or Stop()
  bool found() const { return seen().found; }
  bool ok() const { return seen().error.empty(); }
  const std::string& error() const { return seen().error; }
  const std::string& caption() const { return seen().caption; }
  const std::string& text() const { return seen().text; }
  const std::vector<int>& buttons() const { return seen().buttons; }
  int pressed() const { return seen().pressed; }

 private:
  std::shared_ptr<State> state_;
};

// Waits for the window, reads it, presses `button` and waits for it to close.
RobotAnswer Expect(const char* caption, int button, const char* className = kDialogClass,
                   DWORD timeoutMs = kDefaultTimeoutMs);
// Waits for the window, reads it and runs `script`.
RobotAnswer Expect(const char* caption, Script script, const char* className = kDialogClass,
                   DWORD timeoutMs = kDefaultTimeoutMs);

}  // namespace robot

using robot::RobotAnswer;
