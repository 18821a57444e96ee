// A UI robot for Windows tests: a second thread that waits for a dialog or message box of
// this process, reads it and presses a button, so that code showing a modal window can run
// unattended. Start it BEFORE the call that shows the window:
//
//   RobotAnswer answer = robot::Expect("Tavix Light ", IDNO);
//   int result = CodeThatAsksAQuestion();
//   answer.Wait();                        // pumps messages; bounded
//   ASSERT_TRUE(answer.ok()) << answer.error();
//
// A script runs on the robot thread with the window found, reports through seen.error and must
// close the window; the robot then waits for it to go. When no window is expected, call Stop()
// instead of Wait(): a modal window would have been answered before the call returned.
// Every wait is bounded; a missing button is reported and the window closed another way.
#pragma once
#include <windows.h>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace robot {

constexpr DWORD kDefaultTimeoutMs = 5000;

struct Seen {
  bool found = false;        // a matching window appeared in time
  std::string caption;
  std::string text;          // the message box's text (static 0xFFFF), else empty
  std::vector<int> buttons;  // visible push buttons, in child order
  UINT flags = 0;            // MessageBoxA flags read back: buttons, icon, default button, MB_SYSTEMMODAL
  int pressed = 0;           // the button the robot pressed
  bool closed = false;
  std::string error;         // empty when everything went as asked
};

using Script = std::function<void(HWND window, Seen& seen)>;

// A visible dialog-class top-level window of this process with the exact caption, not in
// `ignore`; null on time-out.
HWND WaitForWindow(const char* caption, const std::vector<HWND>& ignore = {});
std::string WindowText(HWND window);  // WM_GETTEXT with a time-out; "" when unreadable
std::string ItemText(HWND dialog, int id);
bool ItemEnabled(HWND dialog, int id);
bool ItemVisible(HWND dialog, int id);
bool SetItemText(HWND dialog, int id, const char* text);  // false when the child is missing
bool Press(HWND dialog, int id);  // BM_CLICK, posted; false when the button is missing
bool WaitClosed(HWND window);     // destroyed or hidden within the default time-out

class RobotAnswer {
 public:
  struct State;
  explicit RobotAnswer(std::shared_ptr<State> state) : state_(std::move(state)) {}
  RobotAnswer(RobotAnswer&&) noexcept = default;
  ~RobotAnswer() { if (state_) Wait(); }

  const Seen& Wait();  // until the robot has finished, pumping this thread's messages
  const Seen& Stop();  // a robot that has not found its window gives up, then Wait()
  const Seen& seen() const;  // valid after Wait() or Stop()
  bool found() const { return seen().found; }
  const std::string& caption() const { return seen().caption; }
  bool ok() const { return seen().error.empty(); }
  const std::string& error() const { return seen().error; }
  const std::string& text() const { return seen().text; }

 private:
  std::shared_ptr<State> state_;
};

// Waits for the window (caption null: any), reads it, presses `button`, waits for it to close.
RobotAnswer Expect(const char* caption, int button);
// Waits for the window, reads it and runs `script`, then waits for it to close.
RobotAnswer Expect(const char* caption, Script script);

}  // namespace robot

using robot::RobotAnswer;
