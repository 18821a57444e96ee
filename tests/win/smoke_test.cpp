#include <gtest/gtest.h>
#include <windows.h>

// The test program runs under Wine with a display: a top-level window can be created.
TEST(WineSession, CreatesTopLevelWindow) {
  HWND w = CreateWindowExA(0, "STATIC", "probe", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                           nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(DestroyWindow(w));
}
