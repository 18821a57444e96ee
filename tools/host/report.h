// The stand-in's report: one readable line per EMS call and host event, written to
// standard output and, when asked, to a report file, each line as soon as it is made.
// Lines may come from the dialog answerer's thread too; each is written whole.
#pragma once
#include <windows.h>
#include <cstddef>

class Report {
 public:
  Report();
  ~Report();
  Report(const Report&) = delete;
  Report& operator=(const Report&) = delete;

  // Creates (or empties) the report file; false when it cannot be written.
  bool OpenFile(const char* path);
  void Line(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // A line starting with "error: "; also counted, so the exit code can show it.
  void Error(const char* format, ...) __attribute__((format(printf, 2, 3)));
  int ErrorCount() const { return errorCount_; }
  // Milliseconds since the report was made (the stand-in's start), for "+<ms> ms" times.
  unsigned long ElapsedMs() const { return GetTickCount() - startTick_; }
  bool HasStandardOutput() const { return standardOutput_ != nullptr; }

 private:
  void Write(const char* text, size_t length);
  HANDLE file_;
  HANDLE standardOutput_;
  volatile LONG errorCount_;
  DWORD startTick_;
  CRITICAL_SECTION writing_;
};

// Writes `text` in double quotes with control characters and quotes escaped (backslashes
// stay as they are, so paths read naturally), or null when there is no text; a text too
// long for `size` is cut and ends in "...".
void QuoteForReport(char* dest, size_t size, const char* text);

// Writes a block address as "0x..." (the same text for the same address in every line).
void FormatBlock(char* dest, size_t size, const void* block);
