// Shows and enables, or hides and disables, every window of one enumeration.
#pragma once
#include <windows.h>
#include "ui/kv_win_enumerator.h"

class TShowChildren : public TKvWinEnumerator {
 public:
  explicit TShowChildren(BOOL showFlag) : show(showFlag) {}
  BOOL OnWindow(HWND window) override;

  BOOL show;
};
