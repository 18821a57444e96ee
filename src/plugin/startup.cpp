#include "plugin/startup.h"
#include "core/text_utils.h"

char hostConfigDirectory[MAX_PATH] = "";

BOOL StartUp(const char* configDir) {
  // For now start-up only keeps the configuration directory: the plug-in folder, INI
  // path, language module, module-definition table and the timer that waits for the
  // host's main window are added here by the start-up work.
  CopyText(hostConfigDirectory, sizeof hostConfigDirectory, configDir ? configDir : "");
  return TRUE;
}
