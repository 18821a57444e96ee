#include "control_bar.h"
#include "host_identity.h"

namespace {

// A plain bar: the button face with an etched line along its bottom edge. It does not clip
// its children, as the real bar does not: a child redraws itself over it.
LRESULT CALLBACK ControlBarProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(bar, &paint);
    if (dc != nullptr) {
      RECT client;
      GetClientRect(bar, &client);
      DrawEdge(dc, &client, EDGE_ETCHED, BF_BOTTOM);
    }
    EndPaint(bar, &paint);
    return 0;
  }
  return DefWindowProcA(bar, message, wParam, lParam);
}

}  // namespace

bool RegisterControlBarClass(HINSTANCE instance) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = ControlBarProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = hostIdentity.controlBarClass;
  return RegisterClassA(&windowClass) != 0;
}

HWND CreateControlBar(HWND mainWindow, HINSTANCE instance) {
  RECT client;
  GetClientRect(mainWindow, &client);
  return CreateWindowExA(0, hostIdentity.controlBarClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                         0, 0, client.right, controlBarHeight, mainWindow, nullptr, instance,
                         nullptr);
}
