// The busy flag: raised while a PGP operation (Run PGP or a translation) runs, so that
// neither another operation nor the settings dialog starts in the middle of it.
#pragma once
#include <windows.h>

// A counter: non-zero while an operation runs. Raised and lowered on the host's
// user-interface thread only.
extern LONG busyFlag;
