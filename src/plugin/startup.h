// Start-up of the plug-in inside ems_plugin_init (after the instance guard and the
// out-values have been handled).
#pragma once
#include <windows.h>

// The host's directory for plug-in configuration, as handed to ems_plugin_init (cut to
// the path size); the INI path is derived from it.
extern char hostConfigDirectory[MAX_PATH];

// Runs the start-up steps; non-zero on success.
BOOL StartUp(const char* configDir);
