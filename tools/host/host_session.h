// Everything one run of the stand-in holds: its options, report, plug-ins, windows and
// the watchers of what the plug-ins do. The main window reaches it through GWLP_USERDATA.
#pragma once
#include <windows.h>
#include <vector>
#include "command_watch.h"
#include "dialog_answerer.h"
#include "ems_plugin.h"
#include "host_options.h"
#include "message_box_recorder.h"
#include "report.h"

// Where the scripted steps have got to; they run one after another inside the message
// loop, and a /wait-for step lets the loop run until its condition holds.
struct ScriptState {
  size_t nextStep = 0;
  bool running = false;  // a step runs (a modal loop inside it must not start the next)
  bool waiting = false;  // the current /wait-for step has started
  unsigned long waitStartedAt = 0;
  bool finished = false;
};

struct HostSession {
  HostOptions options;
  HostUser user;
  std::string pluginsDir;
  Report report;
  CommandWatch commands{report};
  MessageBoxRecorder messageBoxes{options, report};
  DialogAnswerer dialogs{options, report};
  std::vector<EmsPlugin> plugins;
  HINSTANCE instance = nullptr;
  HWND mainWindow = nullptr;
  HWND controlBar = nullptr;
  HWND mdiClient = nullptr;
  bool procedureReplaced = false;  // as last seen by the stand-in's own window procedure
  ScriptState script;
};
