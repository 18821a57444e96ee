// Everything one run of the stand-in holds: its options, report, plug-ins and windows.
// The main window reaches it through GWLP_USERDATA.
#pragma once
#include <windows.h>
#include <vector>
#include "ems_plugin.h"
#include "host_options.h"
#include "report.h"

struct HostSession {
  HostOptions options;
  HostUser user;
  std::string pluginsDir;
  Report report;
  std::vector<EmsPlugin> plugins;
  HINSTANCE instance = nullptr;
  HWND mainWindow = nullptr;
  HWND controlBar = nullptr;
  HWND mdiClient = nullptr;
};
