// Window, clipboard and environment helpers against real Win32 behaviour (showing and hiding
// is tested with the dialogs that use it).
#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <string>
#include "test_support.h"
#include "ui/window_utils.h"

namespace {

HWND Popup(int x, int y, int width, int height, HWND parent = nullptr, DWORD style = WS_POPUP) {
  return CreateWindowExA(0, "STATIC", "", style, x, y, width, height, parent, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

RECT Rect(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

bool PutText(HWND owner, const char* text) {
  if (!OpenClipboard(owner)) return false;
  EmptyClipboard();
  const bool placed = SetClipboardData(CF_TEXT, support::GlobalText(text)) != nullptr;
  CloseClipboard();
  return placed;
}

// Holds the clipboard open on another thread, as another program would.
struct Holder { HANDLE opened, release; };
DWORD WINAPI HoldClipboard(void* parameter) {
  auto* holder = static_cast<Holder*>(parameter);
  if (!OpenClipboard(nullptr)) return 1;
  SetEvent(holder->opened);
  WaitForSingleObject(holder->release, 5000);
  CloseClipboard();
  return 0;
}

}  // namespace

TEST(CenterWindowOver, CentresOnTheReferenceOrTheDesktopRoundingDownUnclamped) {
  RECT desktop = Rect(GetDesktopWindow());
  const struct { int x, y, width, height, windowWidth, windowHeight, left, top; } cases[] = {
      {100, 100, 300, 200, 101, 51, 199, 174},   // floor((100 + 400 - 101) / 2)
      {100, 100, 300, 200, 500, 40, 0, 180},     // wider than the reference
      {-100, -50, 200, 100, 201, 101, -101, -51},  // negative halves round down too
      {0, 0, 0, 0, 120, 80, (desktop.left + desktop.right - 120) / 2,
       (desktop.top + desktop.bottom - 80) / 2},  // no reference: the desktop
  };
  for (const auto& c : cases) {
    HWND reference = c.width ? Popup(c.x, c.y, c.width, c.height) : nullptr;
    HWND window = Popup(0, 0, c.windowWidth, c.windowHeight);
    CenterWindowOver(window, reference);
    const RECT r = Rect(window), expected = {c.left, c.top, c.left + c.windowWidth, c.top + c.windowHeight};
    EXPECT_TRUE(EqualRect(&r, &expected)) << r.left << "," << r.top << " " << r.right - r.left << "x"
                                           << r.bottom - r.top << " over " << c.x << "," << c.y << " " << c.width;
    DestroyWindow(window);
    if (reference) DestroyWindow(reference);
  }
}

TEST(GetEnvironmentText, CopiesOnlyAValueThatIsSetNotEmptyAndFitsWhole) {
  const char kName[] = "TAVIX_UTILS_TEST_VALUE";
  const std::string fits(MAX_PATH - 1, 'f'), large(700, 'h');
  const struct { const char* value; size_t size; size_t expected; } cases[] = {
      {nullptr, MAX_PATH, 0}, {"", MAX_PATH, 0}, {"C:\\PGP", MAX_PATH, 6},
      {fits.c_str(), MAX_PATH, MAX_PATH - 1}, {fits.c_str(), MAX_PATH - 1, 0},
      {large.c_str(), 1024, 700}, {"C:\\PGP\\BIN", 8, 0},
  };
  for (const auto& c : cases) {
    const std::string value = c.value ? c.value : "";
    SetEnvironmentVariableA(kName, c.value);
    struct { char dest[1024]; char guard[16]; } area;
    std::memset(&area, 0x5A, sizeof area);
    std::strcpy(area.dest, "untouched");
    EXPECT_EQ(GetEnvironmentText(kName, area.dest, c.size), c.expected) << value.size();
    EXPECT_EQ(std::string(area.dest), c.expected ? value : "untouched") << value.size();
    EXPECT_EQ(std::string(area.guard, 16), std::string(16, 0x5A)) << "written past the buffer";
  }
  SetEnvironmentVariableA(kName, nullptr);
}

TEST(ClearClipboard, EmptiesTheClipboardUnlessAnotherHolderHasItOpen) {
  HWND owner = Popup(0, 0, 10, 10);
  ASSERT_TRUE(PutText(owner, "keep me"));
  Holder events{CreateEventA(nullptr, TRUE, FALSE, nullptr), CreateEventA(nullptr, TRUE, FALSE, nullptr)};
  HANDLE holder = CreateThread(nullptr, 0, HoldClipboard, &events, 0, nullptr);
  ASSERT_EQ(WaitForSingleObject(events.opened, 5000), WAIT_OBJECT_0);
  ClearClipboard(owner);
  SetEvent(events.release);
  WaitForSingleObject(holder, 5000);
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT)) << "cleared while another held it";
  ClearClipboard(owner);
  EXPECT_EQ(CountClipboardFormats(), 0);
  for (HANDLE h : {holder, events.opened, events.release}) CloseHandle(h);
  DestroyWindow(owner);
}
