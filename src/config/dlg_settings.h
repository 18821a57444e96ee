// TDlgSettings: edits the live settings record; OK copies the controls into it at once,
// the INI file gets the changes at shutdown.
#pragma once
#include <windows.h>
#include "config/settings.h"
#include "ui/kv_dialog.h"

enum {
  kDlgSettingsTemplate = 2400,
  kDefaultsButtonId = 3,
  kBrowseButtonId = 4,
  kChgToTempDirId = 101,
  kAnsiOemId = 102,
  kConvertAttachId = 103,
  kNickNamesId = 104,
  kAlwaysSignId = 105,
  kKeepOpenWindowsId = 109,    // KeepOpen -1
  kKeepOpenYourselfId = 110,   // KeepOpen 0
  kKeepOpenAutomaticId = 111,  // KeepOpen 1
  kProgPgpId = 112,
  kEncryptForId = 114,
  kSignFromId = 117,
  kEncryptForSelfId = 118,
  kConsoleGroupId = 201,
};

class TDlgSettings final : public TKvDialog {
 public:
  // `firstFocus` is 0 (Windows chooses) or kProgPgpId; it is also the first browse target.
  explicit TDlgSettings(int firstFocus) : browseTarget(firstFocus) {}

  INT_PTR OnInitDialog(HWND dialog, WPARAM wParam) override;
  INT_PTR OnCommand(HWND dialog, WPARAM wParam, LPARAM lParam) override;

  // Fills the controls from `record` (the live settings or the defaults).
  static void FillControls(HWND dialog, const TSettingsRecord& record);
  // Reads the controls into the live record; 1 when anything changed.
  static int ReadControls(HWND dialog);

 private:
  DWORD BrowseForProgram(HWND dialog);

  int browseTarget;  // the edit field that Browse fills: 0 (none) or kProgPgpId
};

// Runs the settings dialog, owned by the host main window (none before it is known).
// Returns 0 at once while a PGP operation runs; otherwise IDOK, IDCANCEL, or -1 when
// the dialog cannot be created.
INT_PTR OpenSettingsDialog(int firstFocus);
