// The dialog answerer: a thread that waits for each /dialog entry's dialog (a visible
// "#32770" window of this process with the entry's caption), reports what it shows, picks
// a list line, sets edit texts and presses the entry's button, then waits until it closes.
// Every wait is bounded by /dialog-timeout; every step has a report line.
#pragma once
#include <windows.h>
#include <vector>
#include "host_options.h"
#include "report.h"

class DialogAnswerer {
 public:
  DialogAnswerer(const HostOptions& options, Report& report);
  ~DialogAnswerer();  // stops the thread
  DialogAnswerer(const DialogAnswerer&) = delete;
  DialogAnswerer& operator=(const DialogAnswerer&) = delete;

  // Starts the thread when there are entries; false (reported) when it cannot start.
  bool Start();
  // True once every entry has been handled (at once when there are none).
  bool Done() const { return done_ != 0; }
  // Tells the thread to give up waiting, reports the entries not reached and waits for it.
  void Stop();

 private:
  static DWORD WINAPI Run(void* self);
  void AnswerAll();
  void Answer(int number, const DialogScript& dialog, HWND window);
  bool PickLine(int number, HWND window, const DialogAction& action);
  void ReportItems(int number, HWND window);
  HWND WaitForDialog(const std::string& caption);
  bool Stopping(DWORD waitMs) const;

  const HostOptions& options_;
  Report& report_;
  HANDLE thread_ = nullptr;
  HANDLE stop_ = nullptr;
  volatile LONG done_ = 0;
  std::vector<HWND> answered_;  // not found again while they close
};
