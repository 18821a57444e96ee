// Starting PGP for a job in a console, waiting for it and reporting its exit code.
#pragma once
#include <windows.h>
#include "core/pgp_job.h"

// PGP processes being waited for (0 or 1): while it is non-zero the host must not close.
extern DWORD runningCount;
// The last PGP process started. Its handles are closed (and nulled) after the run; the
// ids stay, so that PGP's console window can still be looked for.
extern PROCESS_INFORMATION pgpProcessInformation;

// Builds the job's argument text (see BuildArguments in core/pgp_arguments.h) with the
// job's first address as the fall-back signing user and the process-wide plain transfer
// file for -o. Returns the length or -1.
int BuildArguments(PgpJob& job);

// Runs the PGP program path with the job's arguments in a console chosen by KeepOpen and
// waits for it; sets job.exitCode. True when PGP was started and waited for (whatever
// its exit code); false with the message in sharedMessageBuffer otherwise, including a
// command line longer than 255 characters, which is refused rather than cut.
BOOL RunPgp(PgpJob& job);

// Writes the "press any key" prompt on the bottom row of this process's console and waits
// for a key press or a mouse-button press there. Returns at once without a console.
void WaitForKeypress();

// Beeps and shows " PGP returned errorcode: %u" with the low 16 bits of the exit code.
void ReportExitCode(const PgpJob& job);

// Sets operationCaption to " PGP - " and the name of the job's function.
void SetOperationCaption(const PgpJob& job);
