// Finds a top-level window of the PGP process (its console window) while PGP runs.
#pragma once
#include <windows.h>
#include "ui/kv_win_enumerator.h"

class TPgpWinFinder : public TKvWinEnumerator {
 public:
  explicit TPgpWinFinder(const PROCESS_INFORMATION& process) : processInformation(process) {}

  // Stops at the first window whose thread and process are PGP's, keeping it in foundWindow.
  BOOL OnWindow(HWND window) override;

  PROCESS_INFORMATION processInformation;
};
