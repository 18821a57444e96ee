#include "pgp/confirm_job.h"
#include <new>
#include "ui/dlg_pgp.h"
#include "ui/messages.h"

INT_PTR ConfirmJob(PgpJob& job, uint16_t confirmMode) {
  TDlgPgp* dialog = new (std::nothrow) TDlgPgp(job, confirmMode);
  if (!dialog) return -1;
  INT_PTR result =
      dialog->Execute(stringModule, kDlgPgpTemplate, reinterpret_cast<HWND>(job.owner));
  delete dialog;
  return result;
}
