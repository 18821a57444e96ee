// TDlgModList: the module selection dialog (template 1600). Shown when no row of the module
// table matches the running host: it lists the rows beside the program information and
// lets the user pick the row to try.
#pragma once
#include <windows.h>
#include "ui/kv_dialog.h"

class TMif;
class TModuleDefinition;

enum {
  kDlgModListTemplate = 1600,
  kModListId = 101,
  kRowModuleNameId = 110,
  kRowClassNameId = 111,
  kInfoProductNameId = 120,
  kInfoProductVersionId = 121,
  kInfoModNameId = 122,
  kInfoClassNameId = 123,
  kInfoFullModNameId = 125,
};

class TDlgModList : public TKvDialog {
 public:
  TDlgModList(const TModuleDefinition* definition, TMif* table);

  INT_PTR OnInitDialog(HWND dialog, WPARAM wParam) override;
  INT_PTR OnCommand(HWND dialog, WPARAM wParam, LPARAM lParam) override;

  const TModuleDefinition* selectedDefinition;  // shown, not changed
  const BYTE* chosenRecord;  // the row chosen with OK; null until then
  TMif* table;
};
