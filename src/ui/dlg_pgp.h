// TDlgPgp: shows what PGP is about to do with a job, lets the user edit the recipients
// of an encryption, and settles the job's flags and argument text on OK.
#pragma once
#include <windows.h>
#include <cstdint>
#include "core/pgp_job.h"
#include "ui/kv_dialog.h"

enum {
  kDlgPgpTemplate = 2300,
  kPgpPreviewId = 2450,
  kPgpRecipientsId = 2451,
  kPgpRecipientsLabelId = 2452,
  kPgpExplanationId = 2453,
  kPgpSkipId = 2454,  // also the dialog's result for Skip
};

// Bits of the confirm mode that the dialog acts on; the others are ignored.
enum : uint16_t {
  kConfirmWritable = 0x0001,  // the text window can be changed
  kConfirmQuoted = 0x0004,    // the block found is quoted with '>'
};

// The caller puts the text excerpt into sharedMessageBuffer before Execute; the dialog
// reuses the buffer afterwards. Result: IDOK (the job's flags, recipients,
// runHostCommand and arguments are final), kPgpSkipId, IDCANCEL, or -1.
class TDlgPgp final : public TKvDialog {
 public:
  TDlgPgp(PgpJob& job, uint16_t confirmMode) : job(job), confirmMode(confirmMode) {}

  INT_PTR OnInitDialog(HWND dialog, WPARAM wParam) override;
  INT_PTR OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) override;
  INT_PTR OnCommand(HWND dialog, WPARAM wParam, LPARAM lParam) override;

 private:
  void FillRecipients();
  void UpdateEmptiness(HWND dialog);
  void ConfirmJobFlags(HWND dialog);

  PgpJob& job;
  uint16_t confirmMode;
  uint32_t recipientEmpty = 0;  // last seen state of the recipient field (nonzero: empty)
};
