// Records every message box a plug-in shows, with the values of the call itself (a shown
// box cannot tell its flags), and answers it from the /answer script or shows it.
// The plug-in's import of USER32 MessageBoxA is redirected to the recorder after loading.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "host_options.h"
#include "report.h"

class MessageBoxRecorder {
 public:
  // The recorder answers for the whole process; one exists at a time.
  MessageBoxRecorder(const HostOptions& options, Report& report);
  ~MessageBoxRecorder();
  MessageBoxRecorder(const MessageBoxRecorder&) = delete;
  MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

  // Redirects the plug-in's MessageBoxA here; reports whether it could.
  void Watch(HMODULE plugin, const std::string& name);
  // Message boxes answered so far.
  int AnsweredCount() const { return answered_; }
  // Reports the /answer entries that no box took (at the end of the run).
  void ReportUnused();

 private:
  static int WINAPI RecordedMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT flags);
  int Record(HWND owner, LPCSTR text, LPCSTR caption, UINT flags);
  const HostOptions& options_;
  Report& report_;
  std::vector<bool> used_;  // per /answer entry (sized on first use: options come later)
  int recorded_ = 0;
  int answered_ = 0;
};
