// The confirmation step of a PGP operation.
#pragma once
#include <windows.h>
#include <cstdint>
#include "core/pgp_job.h"

// Shows the PGP confirmation dialog for the job, owned by the job's owner, with the
// excerpt that the caller put into sharedMessageBuffer. `confirmMode` holds
// kConfirmWritable and kConfirmQuoted (ui/dlg_pgp.h). Returns IDOK (the job's argument
// text is built), IDCANCEL, kPgpSkipId (2454), or a negative value when the dialog
// cannot be shown.
INT_PTR ConfirmJob(PgpJob& job, uint16_t confirmMode);
