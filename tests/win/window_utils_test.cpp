// Window, clipboard and environment helpers against real Win32 behaviour.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <string>
#include "ui/window_utils.h"

namespace {

// A plain popup window (no frame minimums) at a given place; destroyed with the object.
class Popup {
 public:
  Popup(int x, int y, int width, int height, HWND parent = nullptr, DWORD style = WS_POPUP) {
    window_ = CreateWindowExA(0, "STATIC", "", style, x, y, width, height, parent, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  }
  ~Popup() { if (window_) DestroyWindow(window_); }
  HWND get() const { return window_; }
  RECT rect() const {
    RECT r{};
    GetWindowRect(window_, &r);
    return r;
  }

 private:
  HWND window_;
};

void ExpectPlacedAt(const Popup& window, LONG left, LONG top, LONG width, LONG height) {
  RECT r = window.rect();
  EXPECT_EQ(r.left, left);
  EXPECT_EQ(r.top, top);
  EXPECT_EQ(r.right - r.left, width) << "the size must not change";
  EXPECT_EQ(r.bottom - r.top, height) << "the size must not change";
}

// Waits for an event while still serving this thread's windows (clipboard messages).
bool WaitPumping(HANDLE event, DWORD timeoutMs = 5000) {
  DWORD start = GetTickCount();
  for (;;) {
    DWORD elapsed = GetTickCount() - start;
    if (elapsed >= timeoutMs) return false;
    DWORD r = MsgWaitForMultipleObjects(1, &event, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
    if (r == WAIT_OBJECT_0) return true;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }
}

bool PutText(HWND owner, const char* text) {
  if (!OpenClipboard(owner)) return false;
  EmptyClipboard();
  size_t size = std::strlen(text) + 1;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
  std::memcpy(GlobalLock(block), text, size);
  GlobalUnlock(block);
  bool placed = SetClipboardData(CF_TEXT, block) != nullptr;
  if (!placed) GlobalFree(block);
  CloseClipboard();
  return placed;
}

std::string ClipboardText() {
  std::string text;
  if (!OpenClipboard(nullptr)) return "<cannot open>";
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    text = static_cast<const char*>(GlobalLock(data));
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}

// Holds the clipboard open on another thread until released, as another program would.
struct ClipboardHolder {
  HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE thread = nullptr;
  bool held = false;

  static DWORD WINAPI Run(void* parameter) {
    auto* self = static_cast<ClipboardHolder*>(parameter);
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    self->held = OpenClipboard(window) != 0;
    SetEvent(self->opened);
    WaitForSingleObject(self->release, 5000);
    if (self->held) CloseClipboard();
    DestroyWindow(window);
    return 0;
  }
  ClipboardHolder() { thread = CreateThread(nullptr, 0, Run, this, 0, nullptr); }
  ~ClipboardHolder() {
    SetEvent(release);
    WaitPumping(thread);
    CloseHandle(thread);
    CloseHandle(opened);
    CloseHandle(release);
  }
};

const char kVariable[] = "TAVIX_UTILS_TEST_VALUE";

}  // namespace

TEST(CenterWindowOver, CentresOnTheReferenceRoundingDown) {
  struct Case { int referenceX, referenceY, referenceWidth, referenceHeight, width, height, x, y; };
  const Case cases[] = {
      // floor((100 + 400 - 101) / 2) = 199, floor((100 + 300 - 51) / 2) = 174
      {100, 100, 300, 200, 101, 51, 199, 174},
      // A wider window starts left of the reference.
      {100, 100, 300, 200, 500, 40, 0, 180},
      // Negative halves round down too, and the result is not pulled back onto the screen.
      {-100, -50, 200, 100, 201, 101, -101, -51},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " over " << c.referenceWidth);
    Popup reference(c.referenceX, c.referenceY, c.referenceWidth, c.referenceHeight);
    Popup window(0, 0, c.width, c.height);
    ASSERT_TRUE(reference.get() && window.get());
    CenterWindowOver(window.get(), reference.get());
    ExpectPlacedAt(window, c.x, c.y, c.width, c.height);
    if (c.width > c.referenceWidth) {
      EXPECT_LT(window.rect().left, reference.rect().left);
    }
  }
}

TEST(CenterWindowOver, NullReferenceMeansTheDesktop) {
  Popup window(0, 0, 120, 80);
  ASSERT_NE(window.get(), nullptr);
  RECT desktop{};
  ASSERT_TRUE(GetWindowRect(GetDesktopWindow(), &desktop));
  CenterWindowOver(window.get(), nullptr);
  ExpectPlacedAt(window, (desktop.left + desktop.right - 120) / 2,
                 (desktop.top + desktop.bottom - 80) / 2, 120, 80);
}

TEST(ShowAndEnable, ShowsAndEnablesOrHidesAndDisables) {
  Popup parent(0, 0, 200, 100, nullptr, WS_POPUP | WS_VISIBLE);
  Popup child(10, 10, 50, 20, parent.get(), WS_CHILD | WS_VISIBLE);
  ASSERT_TRUE(parent.get() && child.get());
  ShowAndEnable(child.get(), FALSE);
  EXPECT_FALSE(IsWindowVisible(child.get()));
  EXPECT_FALSE(IsWindowEnabled(child.get()));
  ShowAndEnable(child.get(), 2);  // any nonzero flag shows
  EXPECT_TRUE(IsWindowVisible(child.get()));
  EXPECT_TRUE(IsWindowEnabled(child.get()));
  ShowAndEnable(nullptr, TRUE);  // ignored, no effect on anything
  EXPECT_TRUE(IsWindowVisible(child.get()));
}

TEST(GetEnvironmentText, UnsetOrEmptyLeavesTheBufferAlone) {
  char dest[MAX_PATH] = "untouched";
  SetEnvironmentVariableA(kVariable, nullptr);
  EXPECT_EQ(GetEnvironmentText(kVariable, dest, sizeof dest), 0u);
  EXPECT_STREQ(dest, "untouched");
  SetEnvironmentVariableA(kVariable, "");
  EXPECT_EQ(GetEnvironmentText(kVariable, dest, sizeof dest), 0u);
  EXPECT_STREQ(dest, "untouched");
  SetEnvironmentVariableA(kVariable, "C:\\PGP");
  EXPECT_EQ(GetEnvironmentText(kVariable, dest, sizeof dest), 6u);
  EXPECT_STREQ(dest, "C:\\PGP");
  SetEnvironmentVariableA(kVariable, nullptr);
}

TEST(GetEnvironmentText, LongValuesAreWholeOrAbsentNeverCut) {
  struct {
    char dest[MAX_PATH];
    char guard[16];
  } area;
  std::memset(area.guard, 0x5A, sizeof area.guard);
  std::string fits(MAX_PATH - 1, 'f');
  SetEnvironmentVariableA(kVariable, fits.c_str());
  EXPECT_EQ(GetEnvironmentText(kVariable, area.dest, sizeof area.dest), fits.size());
  EXPECT_EQ(std::string(area.dest), fits);

  std::string tooLong(MAX_PATH, 'g');  // 260 characters: no room for the NUL
  SetEnvironmentVariableA(kVariable, tooLong.c_str());
  EXPECT_EQ(GetEnvironmentText(kVariable, area.dest, sizeof area.dest), 0u);
  EXPECT_EQ(std::string(area.dest), fits) << "left unchanged";
  for (char c : area.guard) ASSERT_EQ(c, 0x5A);

  std::string large(700, 'h');  // longer than the usual work buffer, but the caller has room
  std::string big(1024, '\0');
  SetEnvironmentVariableA(kVariable, large.c_str());
  EXPECT_EQ(GetEnvironmentText(kVariable, &big[0], big.size()), 700u);
  EXPECT_EQ(std::string(big.c_str()), large);

  char small[8] = "keep";
  SetEnvironmentVariableA(kVariable, "C:\\PGP\\BIN");
  EXPECT_EQ(GetEnvironmentText(kVariable, small, sizeof small), 0u);
  EXPECT_STREQ(small, "keep");
  SetEnvironmentVariableA(kVariable, nullptr);
}

TEST(ClearClipboard, EmptiesTheClipboard) {
  Popup owner(0, 0, 10, 10);
  ASSERT_TRUE(PutText(owner.get(), "secret plaintext"));
  ASSERT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
  ClearClipboard(owner.get());
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
  EXPECT_EQ(CountClipboardFormats(), 0);
}

TEST(ClearClipboard, DoesNothingWhileAnotherThreadHoldsIt) {
  Popup owner(0, 0, 10, 10);
  ASSERT_TRUE(PutText(owner.get(), "keep me"));
  {
    ClipboardHolder holder;
    ASSERT_TRUE(WaitPumping(holder.opened));
    ASSERT_TRUE(holder.held);
    ClearClipboard(owner.get());  // cannot open: must return without touching it
  }
  EXPECT_EQ(ClipboardText(), "keep me");
  ClearClipboard(owner.get());
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
}
