#include "ui/dlg_pgp.h"
#include <cstring>
#include "config/settings.h"
#include "core/recipient_text.h"
#include "core/text_utils.h"
#include "pgp/pgp_runner.h"
#include "core/address_list.h"
#include "ui/process_state.h"
#include "resources/resource_ids.h"
#include "ui/messages.h"
#include "ui/window_utils.h"

namespace {

// The line painted at the bottom of the dialog.
const char kFixedLine[] = "Tavix Light (32) 1.28 - PGP does the cryptography";

// Clearsigning needs the wipe, recipients and input-file bits with encrypt: an encryption
// for nobody becomes a clearsign.
const uint16_t kEncryptForRecipients = kJobEncrypt | kJobWipe | kJobRecipients | kJobInputFile;

size_t AddressCount(const PgpJob& job) { return job.addresses ? job.addresses->Count() : 0; }

UINT ExplanationId(const PgpJob& job) {
  switch (job.function) {
    case Decode: return IDS_EXPLAIN_DECODE;
    case CheckSignature: return IDS_EXPLAIN_CHECK;
    case Encrypt: return AddressCount(job) > 1 ? IDS_EXPLAIN_ENCRYPT : IDS_EXPLAIN_CLEARSIGN;
    case AddKey: return IDS_EXPLAIN_ADDKEY;
    default: return IDS_EXPLAIN_NOTHING;
  }
}

void CutAtFirstLineBreak(char* text) { text[std::strcspn(text, "\r\n")] = '\0'; }

}  // namespace

INT_PTR TDlgPgp::OnInitDialog(HWND dialog, WPARAM) {
  SetDlgItemTextA(dialog, kPgpPreviewId, sharedMessageBuffer);
  CenterWindowOver(dialog, reinterpret_cast<HWND>(job.owner));

  LoadText(ExplanationId(job), sharedMessageBuffer, sizeof sharedMessageBuffer);
  // In a quoted reply the tip about replying first makes no sense.
  if (job.function == Decode && (confirmMode & kConfirmQuoted))
    CutAtFirstLineBreak(sharedMessageBuffer);
  SetDlgItemTextA(dialog, kPgpExplanationId, sharedMessageBuffer);

  SetOperationCaption(job);
  SetWindowTextA(dialog, operationCaption);

  HWND field = GetDlgItem(dialog, kPgpRecipientsId);
  if (job.flags & kJobEncrypt) {
    if ((job.flags & kJobRecipients) && AddressCount(job) > 1) {
      FillRecipients();
    } else {
      job.recipients[0] = '\0';
    }
    // What the field holds is what OK reads: never more than the job can take.
    SendMessageA(field, EM_LIMITTEXT, sizeof job.recipients - 1, 0);
    SetWindowTextA(field, job.recipients);
    // Setting the text normally notifies EN_CHANGE already; the update is idempotent.
    UpdateEmptiness(dialog);
  } else {
    HWND label = GetDlgItem(dialog, kPgpRecipientsLabelId);
    ShowAndEnable(label, 0);
    ShowAndEnable(field, 0);
    RECT window, labelRect;
    if (GetWindowRect(dialog, &window) && GetWindowRect(label, &labelRect)) {
      SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left,
                   labelRect.bottom - window.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  // Skip moves on to the next block; an encryption or signature acts on the whole text.
  if (job.flags & kJobEncryptsOrSigns) ShowAndEnable(GetDlgItem(dialog, kPgpSkipId), 0);
  return 1;
}

void TDlgPgp::FillRecipients() {
  // Every address added takes at least one character of the 110, so more entries than
  // the field has bytes can never be used.
  const char* list[kRecipientsSize];
  size_t used = 0;
  TAddressList& addresses = *job.addresses;
  for (size_t i = 0; i < addresses.Count() && used < kRecipientsSize; ++i) {
    const char* text = addresses[i]->address;
    if (i == 0 || text) list[used++] = text;  // the sender keeps index 0 even when absent
  }
  BuildRecipientText(job.recipients, sizeof job.recipients, list, used,
                     settings.EncryptForSelf != 0, settings.EncryptFor);
}

void TDlgPgp::UpdateEmptiness(HWND dialog) {
  uint32_t empty = GetWindowTextLengthA(GetDlgItem(dialog, kPgpRecipientsId)) == 0;
  if (empty == recipientEmpty) return;
  recipientEmpty = empty;
  LoadText(empty ? IDS_FN_CLEARSIGN : IDS_FN_ENCRYPT, operationCaption, sizeof operationCaption);
  LoadText(empty ? IDS_EXPLAIN_CLEARSIGN : IDS_EXPLAIN_ENCRYPT, sharedMessageBuffer,
           sizeof sharedMessageBuffer);
  SetWindowTextA(dialog, operationCaption);
  SetDlgItemTextA(dialog, kPgpExplanationId, sharedMessageBuffer);
}

void TDlgPgp::ConfirmJobFlags(HWND dialog) {
  if (!GetDlgItemTextA(dialog, kPgpRecipientsId, job.recipients, sizeof job.recipients))
    job.recipients[0] = '\0';
  if ((job.flags & kEncryptForRecipients) == kEncryptForRecipients && job.recipients[0] == '\0') {
    job.flags = kClearsignJob;
    job.runHostCommand = (confirmMode & kConfirmWritable) ? 1 : 0;
  } else if (settings.AlwaysSign && (job.flags & kJobEncrypt)) {
    job.flags |= kAlwaysSignBits;
  }
  if (settings.SignFrom &&
      ((job.flags & kJobSign) || std::strncmp(job.recipients, "-s", 2) == 0)) {
    job.flags |= kJobSignAs;
  }
  // The result is not looked at here: a text that did not fit leaves its mark in the
  // job (argLength) for whoever starts PGP.
  BuildArguments(job);
}

INT_PTR TDlgPgp::OnCommand(HWND dialog, WPARAM wParam, LPARAM) {
  switch (LOWORD(wParam)) {
    case IDOK:
      ConfirmJobFlags(dialog);
      EndDialog(dialog, IDOK);
      return 0;
    case IDCANCEL:
      EndDialog(dialog, IDCANCEL);
      return 0;
    case kPgpSkipId:
      EndDialog(dialog, kPgpSkipId);
      return 0;
    case kPgpRecipientsId:
      if ((job.flags & kJobEncrypt) && HIWORD(wParam) == EN_CHANGE) UpdateEmptiness(dialog);
      return 0;
    default:
      return 1;
  }
}

INT_PTR TDlgPgp::OnMessage(HWND dialog, UINT message, WPARAM, LPARAM) {
  if (message != WM_PAINT) return 0;
  if (!helveticaFont)
    helveticaFont = CreateFontA(14, 0, 0, 0, 500, 0, 0, 0, 0, 0, 0, 0, 0x30, "helvetica");
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(dialog, &paint);
  RECT client;
  GetClientRect(dialog, &client);
  SetBkMode(dc, TRANSPARENT);
  HGDIOBJ previous = helveticaFont ? SelectObject(dc, helveticaFont) : nullptr;
  TextOutA(dc, 10, client.bottom - 14, kFixedLine, static_cast<int>(sizeof kFixedLine - 1));
  if (previous) SelectObject(dc, previous);
  EndPaint(dialog, &paint);
  return 1;
}
