// Redirecting one imported function of a loaded module: its import address table entry is
// overwritten, so the module's calls go to the replacement while everyone else's calls
// (the stand-in's own included) still reach the real function. The module cannot tell.
#pragma once
#include <windows.h>

// Points every import of `function` from `dll` (names compared without regard to letter
// case) in `module` at `replacement`. Returns the number of entries changed: 0 when the
// module does not import it, -1 when its headers are not those of a loaded image.
int RedirectImport(HMODULE module, const char* dll, const char* function, void* replacement);
