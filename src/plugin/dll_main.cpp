// The module entry point: keeps the instance handle, nothing else.
#include <windows.h>
#include "ui/process_state.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) instanceHandle = instance;
  return TRUE;
}
