#include "config/dlg_settings.h"
#include <commdlg.h>
#include <cstdlib>
#include <cstring>
#include "config/pgp_discovery.h"
#include "core/text_utils.h"
#include "pgp/busy_flag.h"
#include "ui/process_state.h"
#include "resources/resource_ids.h"
#include "ui/messages.h"
#include "ui/window_utils.h"

namespace {

enum { kTextFieldSize = 260 };  // at most 259 characters and the NUL

struct CheckBox {
  int32_t TSettingsRecord::*field;
  int id;
};
// In record order; reading goes through it backwards.
const CheckBox kCheckBoxes[] = {
    {&TSettingsRecord::ChgToTempDir, kChgToTempDirId},
    {&TSettingsRecord::AlwaysSign, kAlwaysSignId},
    {&TSettingsRecord::SignFrom, kSignFromId},
    {&TSettingsRecord::AnsiOem, kAnsiOemId},
    {&TSettingsRecord::ConvertAttach, kConvertAttachId},
    {&TSettingsRecord::NickNames, kNickNamesId},
    {&TSettingsRecord::EncryptForSelf, kEncryptForSelfId},
};

const struct {
  int id;
  int32_t mode;
} kConsoleModes[] = {
    {kKeepOpenWindowsId, -1},
    {kKeepOpenYourselfId, 0},
    {kKeepOpenAutomaticId, 1},
};

// Reads a text field into a text setting; TRUE when the text differs from the setting.
BOOL ReadTextSetting(HWND dialog, int id, char** field) {
  char text[kTextFieldSize];
  if (!GetDlgItemTextA(dialog, id, text, sizeof text)) text[0] = '\0';
  BOOL changed = *field ? std::strcmp(*field, text) != 0 : text[0] != '\0';
  ReplaceTextSetting(field, text);
  return changed;
}

}  // namespace

void TDlgSettings::FillControls(HWND dialog, const TSettingsRecord& record) {
  for (const CheckBox& box : kCheckBoxes)
    CheckDlgButton(dialog, box.id, record.*box.field ? BST_CHECKED : BST_UNCHECKED);
  SetDlgItemTextA(dialog, kProgPgpId, record.ProgPGP ? record.ProgPGP : pgpProgramPath);
  SetDlgItemTextA(dialog, kEncryptForId, record.EncryptFor ? record.EncryptFor : "");
  for (const auto& mode : kConsoleModes) {
    EnableWindow(GetDlgItem(dialog, mode.id), TRUE);
    CheckDlgButton(dialog, mode.id, record.KeepOpen == mode.mode ? BST_CHECKED : BST_UNCHECKED);
  }
  EnableWindow(GetDlgItem(dialog, kConsoleGroupId), TRUE);
}

int TDlgSettings::ReadControls(HWND dialog) {
  BOOL changed = FALSE;
  // A mode no button stands for (say 5 from the INI) stays until the user picks one.
  for (const auto& mode : kConsoleModes) {
    if (IsDlgButtonChecked(dialog, mode.id) != BST_CHECKED) continue;
    if (settings.KeepOpen != mode.mode) changed = TRUE;
    settings.KeepOpen = mode.mode;
    break;
  }
  const int32_t previousChgToTempDir = settings.ChgToTempDir;
  for (size_t i = sizeof kCheckBoxes / sizeof kCheckBoxes[0]; i-- > 0;) {
    int32_t value = IsDlgButtonChecked(dialog, kCheckBoxes[i].id) == BST_CHECKED ? 1 : 0;
    if (settings.*kCheckBoxes[i].field != value) changed = TRUE;
    settings.*kCheckBoxes[i].field = value;
  }
  const BOOL encryptForChanged = ReadTextSetting(dialog, kEncryptForId, &settings.EncryptFor);
  const BOOL progPgpChanged = ReadTextSetting(dialog, kProgPgpId, &settings.ProgPGP);
  if (encryptForChanged) stringChanged.EncryptFor = TRUE;
  if (progPgpChanged) stringChanged.ProgPGP = TRUE;
  if (!(changed || encryptForChanged || progPgpChanged)) return 0;

  if (settings.ChgToTempDir != previousChgToTempDir) MakeTransferFileNames();
  if (encryptForChanged) QuoteEncryptFor();
  if (progPgpChanged)
    CopyText(pgpProgramPath, sizeof pgpProgramPath, settings.ProgPGP ? settings.ProgPGP : "");
  return 1;
}

INT_PTR TDlgSettings::OnInitDialog(HWND dialog, WPARAM) {
  CenterWindowOver(dialog, GetDesktopWindow());
  FillControls(dialog, settings);
  // Typing stops where the record or the program path would cut the text: a cut path
  // names another file.
  SendDlgItemMessageA(dialog, kProgPgpId, EM_LIMITTEXT, kPgpProgramPathSize - 1, 0);
  SendDlgItemMessageA(dialog, kEncryptForId, EM_LIMITTEXT, kTextFieldSize - 1, 0);
  // Browse only acts on the program field; until that has the focus it stays grey.
  EnableWindow(GetDlgItem(dialog, kBrowseButtonId), browseTarget != 0);
  if (browseTarget == 0) return 1;
  SetFocus(GetDlgItem(dialog, browseTarget));
  return 0;
}

INT_PTR TDlgSettings::OnCommand(HWND dialog, WPARAM wParam, LPARAM) {
  const int id = LOWORD(wParam);
  if (HIWORD(wParam) == EN_SETFOCUS) {
    browseTarget = id == kProgPgpId ? kProgPgpId : 0;
    EnableWindow(GetDlgItem(dialog, kBrowseButtonId), browseTarget != 0);
    return 1;
  }
  switch (id) {
    case IDOK:
      if (ReadControls(dialog)) settingsDirty = TRUE;
      EndDialog(dialog, IDOK);
      break;
    case IDCANCEL:
      EndDialog(dialog, IDCANCEL);
      break;
    case kDefaultsButtonId:
      FillControls(dialog, kDefaultSettings);
      break;
    case kBrowseButtonId:
      if (browseTarget != 0) {
        DWORD error = BrowseForProgram(dialog);
        if (error) {
          FormatErrorMessage(error, sharedMessageBuffer, nullptr);
          ShowMessage(dialog, sharedMessageBuffer, kPluginCaption, MB_OK | MB_ICONEXCLAMATION);
        }
        SetFocus(GetDlgItem(dialog, browseTarget));
      }
      break;
  }
  return 1;
}

DWORD TDlgSettings::BrowseForProgram(HWND dialog) {
  char path[kTextFieldSize];
  if (!GetDlgItemTextA(dialog, browseTarget, path, sizeof path)) path[0] = '\0';
  char drive[_MAX_DRIVE], directory[_MAX_DIR], name[_MAX_FNAME], extension[_MAX_EXT];
  _splitpath(path, drive, directory, name, extension);
  char initialDirectory[kTextFieldSize];
  char file[kTextFieldSize];
  const TextArgument parts[] = {TextArg(drive), TextArg(directory), TextArg(name),
                                TextArg(extension)};
  FormatText(initialDirectory, sizeof initialDirectory, "%s%s", parts, 2);
  FormatText(file, sizeof file, "%s%s", parts + 2, 2);

  char filter[kMessageBufferSize];
  int length = LoadText(IDS_FILTER_PROGRAMS, filter, sizeof filter);
  if (length <= 0) return 1;
  // The text's last character separates the entries; the dialog wants NULs there.
  const char separator = filter[length - 1];
  for (int i = 0; i < length; ++i)
    if (filter[i] == separator) filter[i] = '\0';
  char title[kMessageBufferSize];
  LoadText(IDS_SELECT_PGP, title, sizeof title);

  OPENFILENAMEA dialogData{};
  dialogData.lStructSize = sizeof dialogData;
  dialogData.hwndOwner = dialog;
  dialogData.lpstrFilter = filter;
  dialogData.nFilterIndex = 1;
  dialogData.lpstrFile = file;
  // The dialog refuses a path the program path could only keep cut: that would name
  // another file.
  static_assert(kPgpProgramPathSize <= sizeof file, "the file buffer holds the program path");
  dialogData.nMaxFile = kPgpProgramPathSize;
  dialogData.lpstrInitialDir = initialDirectory;
  dialogData.lpstrTitle = title;
  dialogData.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
  if (GetOpenFileNameA(&dialogData)) {
    SetDlgItemTextA(dialog, browseTarget, file);
    return 0;
  }
  return CommDlgExtendedError();
}

INT_PTR OpenSettingsDialog(int firstFocus) {
  if (busyFlag) return 0;
  // Before start-up has chosen the string module, the plug-in's own templates serve.
  HINSTANCE module = stringModule ? stringModule : instanceHandle;
  TDlgSettings dialog(firstFocus);
  return dialog.Execute(module, kDlgSettingsTemplate, hostMainWindow);
}
