// A small UI robot for Windows tests: a second thread that waits for a dialog or message
// box of this process, reads what it shows and presses a button, so that a test can call
// code that shows a modal window and still run unattended.
//
// The usual pattern, started BEFORE the call that shows the window:
//
//   robot::RobotAnswer answer = robot::Expect("Tavix Light ", IDNO);
//   int result = CodeThatAsksAQuestion();
//   answer.Wait();                       // pumps messages; bounded
//   ASSERT_TRUE(answer.ok()) << answer.error();
//   EXPECT_EQ(answer.text(), "Another instance ...");
//   EXPECT_EQ(answer.buttons(), (std::vector<int>{IDYES, IDNO}));
//
// For a dialog that needs more than one press, pass a script; it runs on the robot
// thread with the window found and may use every helper below (it may also wait for a
// follow-up window with WaitForWindow):
//
//   auto answer = robot::Expect("Some caption", [](HWND dialog, robot::Seen& seen) {
//     if (!robot::SetItemText(dialog, kEditId, "new text")) seen.error = "no edit";
//     seen.pressed = IDOK;
//     robot::Press(dialog, IDOK);
//     seen.closed = robot::WaitClosed(dialog);
//   });
//
// Scripts report through seen.error rather than GoogleTest assertions (they run on the
// robot's thread); the test checks answer.ok() after Wait(). Press() is posted: a script
// that needs the window gone calls WaitClosed().
//
// When the window is expected NOT to appear, start the robot the same way, make the call,
// then use Stop() instead of Wait(): a modal window would have been answered before the
// call returned, so a robot that has found nothing by then never will; found() is then
// false, and a window that did appear was still answered (so nothing hangs).
//
// Every wait is bounded (default 5 s): a window that never appears, a missing button or a
// dialog that does not close is reported in error() and never hangs the test. When the
// wanted button is missing, the robot closes the window another way (Cancel, No, OK, the
// first button, or WM_CLOSE) so that the call under test returns.
#pragma once
#include <windows.h>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace robot {

constexpr DWORD kDefaultTimeoutMs = 5000;
constexpr char kDialogClass[] = "#32770";
// The static control that holds a message box's text.
constexpr int kMessageBoxTextId = 0xFFFF;

// What the robot saw and did.
struct Seen {
  bool found = false;          // a matching window appeared in time
  HWND window = nullptr;       // the window found (may be destroyed by now)
  std::string caption;         // its caption
  std::string text;            // the text of its static 0xFFFF (message boxes), else empty
  std::vector<int> buttons;    // ids of its visible push buttons, in child order
  int pressed = 0;             // the button id pressed, 0 when none
  bool closed = false;         // the window went away after the press
  std::string error;           // empty when everything went as asked
};

// A script run on the robot thread with the window found; it fills `seen.pressed` and
// `seen.error` as it sees fit (caption, text and buttons are already filled in).
using Script = std::function<void(HWND window, Seen& seen)>;

// --- Helpers usable from any thread (they never block longer than their timeout) ---

// Waits for a visible top-level window of this process with the class (default the
// dialog class) and the exact caption (null: any caption). Windows listed in `ignore`
// are skipped. Returns null on time-out or when `cancel` becomes non-zero.
HWND WaitForWindow(const char* caption, const char* className = kDialogClass,
                   DWORD timeoutMs = kDefaultTimeoutMs,
                   const std::vector<HWND>& ignore = {}, const volatile LONG* cancel = nullptr);
// The visible top-level windows of this process with the given class.
std::vector<HWND> VisibleWindows(const char* className = kDialogClass);

// The text of a window (WM_GETTEXT with a time-out); empty when it cannot be read.
std::string WindowText(HWND window);
// The text of the child with id `id`; empty when there is none.
std::string ItemText(HWND dialog, int id);
// Ids of the visible push buttons of a dialog, in child order.
std::vector<int> ButtonIds(HWND dialog);
bool ItemExists(HWND dialog, int id);
bool ItemEnabled(HWND dialog, int id);
bool ItemVisible(HWND dialog, int id);
// Sets the text of a child (an edit, usually); false when the child is missing.
bool SetItemText(HWND dialog, int id, const char* text);
// Presses a button the way a click does (BM_CLICK, posted so that a further modal window
// opened by the press cannot block the robot); false when the button is missing.
bool Press(HWND dialog, int id);
// Sends WM_COMMAND(id, BN_CLICKED) directly to the dialog (posted), for ids that are
// not buttons of their own; false when the window is gone.
bool Command(HWND dialog, int id);
// Waits until the window is destroyed or hidden; false on time-out.
bool WaitClosed(HWND window, DWORD timeoutMs = kDefaultTimeoutMs);
// Fills caption, text and buttons of `seen` from a window.
void Read(HWND window, Seen& seen);

// The robot thread and what it saw. Move-only; the destructor waits like Wait().
class RobotAnswer {
 public:
  struct State;
  explicit RobotAnswer(std::shared_ptr<State> state);
  RobotAnswer(RobotAnswer&&) noexcept;
  RobotAnswer& operator=(RobotAnswer&&) noexcept;
  RobotAnswer(const RobotAnswer&) = delete;
  RobotAnswer& operator=(const RobotAnswer&) = delete;
  ~RobotAnswer();

  // Waits (pumping this thread's messages) until the robot has finished; the robot's own
  // time-outs bound this. Returns what it saw.
  const Seen& Wait();
  // Tells a robot that has not found its window yet to give up, then waits.
  const Seen& Stop();

  // Valid after Wait() or Stop().
  const Seen& seen() const;
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

// Starts a robot that waits for the window, reads it and presses `button`, then waits for
// the window to close.
RobotAnswer Expect(const char* caption, int button, const char* className = kDialogClass,
                   DWORD timeoutMs = kDefaultTimeoutMs);
// Starts a robot that waits for the window, reads it and runs `script`.
RobotAnswer Expect(const char* caption, Script script, const char* className = kDialogClass,
                   DWORD timeoutMs = kDefaultTimeoutMs);

// Describes a list of button ids for messages ("6 7").
std::string DescribeButtons(const std::vector<int>& buttons);

}  // namespace robot

using robot::RobotAnswer;
