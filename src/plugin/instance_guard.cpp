#include "plugin/instance_guard.h"
#include "ui/process_state.h"
#include "ui/messages.h"
#include <cstring>

// GCC honours the shared attribute only on an initialised variable in a named section.
__attribute__((section("SHARESEG"), shared)) HINSTANCE sharedInstanceSlot = nullptr;

const char kAnotherInstanceQuestion[] =
    "Another instance of the DLL is still loaded\nTry to kill it?";

namespace {

const IMAGE_NT_HEADERS* ImageHeaders(HMODULE module) {
  auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
  if (dos->e_magic != IMAGE_DOS_SIGNATURE) return nullptr;
  auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(reinterpret_cast<const BYTE*>(module) +
                                                       dos->e_lfanew);
  return nt->Signature == IMAGE_NT_SIGNATURE ? nt : nullptr;
}

}  // namespace

BOOL IsCopyOfModule(HMODULE candidate, HMODULE own) {
  if (!candidate || !own || candidate == own) return FALSE;
  // Only a module loaded in this process has a file name here; its headers are then
  // mapped and safe to read.
  char path[MAX_PATH];
  if (!GetModuleFileNameA(candidate, path, sizeof path)) return FALSE;
  const IMAGE_NT_HEADERS* theirs = ImageHeaders(candidate);
  const IMAGE_NT_HEADERS* ours = ImageHeaders(own);
  if (!theirs || !ours) return FALSE;
  // The loader rewrites the image base of a relocated copy; everything below stays.
  return memcmp(&theirs->FileHeader, &ours->FileHeader, sizeof ours->FileHeader) == 0 &&
         theirs->OptionalHeader.AddressOfEntryPoint == ours->OptionalHeader.AddressOfEntryPoint &&
         theirs->OptionalHeader.SizeOfImage == ours->OptionalHeader.SizeOfImage &&
         theirs->OptionalHeader.SizeOfCode == ours->OptionalHeader.SizeOfCode &&
         theirs->OptionalHeader.SizeOfInitializedData ==
             ours->OptionalHeader.SizeOfInitializedData &&
         theirs->OptionalHeader.CheckSum == ours->OptionalHeader.CheckSum;
}

BOOL SingleInstanceGuard(HINSTANCE& slot, HINSTANCE own) {
  HINSTANCE first = slot;
  if (!first) {
    slot = own;
    return TRUE;
  }
  if (first == own) return TRUE;
  if (MessageBoxA(nullptr, kAnotherInstanceQuestion, kPluginCaption, MB_YESNO) != IDYES) {
    return TRUE;  // the slot keeps the other copy's handle
  }
  // The slot may have been filled by another process: its handle then means nothing here,
  // or names an unrelated module at the same address. Only a copy of this plug-in loaded
  // in this process is freed; either way the user chose not to start this copy.
  if (IsCopyOfModule(first, own)) FreeLibrary(first);
  return FALSE;
}

BOOL SingleInstanceGuard() { return SingleInstanceGuard(sharedInstanceSlot, instanceHandle); }
