// The guard against a second loaded copy of the plug-in, run first in ems_plugin_init.
#pragma once
#include <windows.h>

// The instance handle of the copy that initialised first, in a data section that Windows
// shares among all processes that load this module file. Starts as 0, never cleared.
// Pointer-sized so that the 64-bit build keeps whole handles.
extern HINSTANCE sharedInstanceSlot;

// The question asked when another copy holds the slot; built in, never translated.
extern const char kAnotherInstanceQuestion[];

// Runs the guard on the shared slot with this module's instance handle.
// Returns TRUE when start-up may go on, FALSE when the user chose to unload the other
// copy (ems_plugin_init then returns 1 at once).
BOOL SingleInstanceGuard();

// The guard on a given slot and own handle (the shared one above in the plug-in).
BOOL SingleInstanceGuard(HINSTANCE& slot, HINSTANCE own);

// True when `candidate` is a module loaded in THIS process and built from the same image
// as `own` (another copy of this plug-in). A handle stored by another process names no
// module here, or an unrelated one, and must never be freed.
BOOL IsCopyOfModule(HMODULE candidate, HMODULE own);
