// The MessageBoxA flags a shown message box was made with, read back from the box: its
// buttons, its icon, its default button and whether it is system-modal (topmost).
#pragma once
#include <windows.h>
#include <vector>
#include "ui_robot.h"

inline UINT MessageBoxFlags(HWND box) {
  const std::vector<int> buttons = robot::ButtonIds(box);
  struct Kind {
    std::vector<int> buttons;
    UINT flags;
  };
  const Kind kinds[] = {{{IDOK}, MB_OK},
                        {{IDOK, IDCANCEL}, MB_OKCANCEL},
                        {{IDABORT, IDRETRY, IDIGNORE}, MB_ABORTRETRYIGNORE},
                        {{IDYES, IDNO, IDCANCEL}, MB_YESNOCANCEL},
                        {{IDYES, IDNO}, MB_YESNO},
                        {{IDRETRY, IDCANCEL}, MB_RETRYCANCEL}};
  UINT flags = 0xF;  // buttons of no known kind
  for (const Kind& kind : kinds)
    if (kind.buttons == buttons) flags = kind.flags;
  // The icon is a static that holds one of the system icons.
  const HANDLE icon = reinterpret_cast<HANDLE>(SendDlgItemMessageA(box, 1088, STM_GETICON, 0, 0));
  const struct {
    LPCSTR id;
    UINT flag;
  } icons[] = {{IDI_HAND, MB_ICONHAND},
               {IDI_QUESTION, MB_ICONQUESTION},
               {IDI_EXCLAMATION, MB_ICONEXCLAMATION},
               {IDI_ASTERISK, MB_ICONASTERISK}};
  for (const auto& known : icons)
    if (icon && icon == LoadIconA(nullptr, known.id)) flags |= known.flag;
  for (size_t i = 0; i < buttons.size(); ++i) {
    const LONG style = GetWindowLongA(GetDlgItem(box, buttons[i]), GWL_STYLE);
    if ((style & 0xF) == BS_DEFPUSHBUTTON) flags |= static_cast<UINT>(i) << 8;
  }
  if (GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) flags |= MB_SYSTEMMODAL;
  return flags;
}
