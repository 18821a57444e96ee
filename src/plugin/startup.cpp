#include "plugin/startup.h"
#include "config/settings.h"
#include "core/text_utils.h"

char hostConfigDirectory[MAX_PATH] = "";

BOOL StartUp(const char* configDir) {
  CopyText(hostConfigDirectory, sizeof hostConfigDirectory, configDir ? configDir : "");
  // A folder or INI path too long to hold is left empty (nothing is read from or written
  // to a cut path); that never fails the start-up.
  ComputePluginFolder();
  ComputeIniPath(hostConfigDirectory);
  // Still to come here: the language module, the module-definition table and the timer
  // that waits for the host's main window.
  return TRUE;
}
