// Entry point of the Windows tests: the plug-in's objects are linked into this program,
// so its own instance handle and string module are this program's.
#include <gtest/gtest.h>
#include <windows.h>
#include "ui/process_state.h"
#include "ui/messages.h"

int main(int argc, char** argv) {
  instanceHandle = GetModuleHandleA(nullptr);
  stringModule = instanceHandle;
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
