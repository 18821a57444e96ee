#include "report.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>

namespace {
constexpr size_t kLineSize = 4096;

HANDLE UsableHandle(HANDLE handle) {
  return (handle == nullptr || handle == INVALID_HANDLE_VALUE) ? nullptr : handle;
}
}  // namespace

Report::Report()
    : file_(nullptr), standardOutput_(UsableHandle(GetStdHandle(STD_OUTPUT_HANDLE))),
      errorCount_(0), startTick_(GetTickCount()) {
  InitializeCriticalSection(&writing_);
}

Report::~Report() {
  if (file_ != nullptr) CloseHandle(file_);
  DeleteCriticalSection(&writing_);
}

bool Report::OpenFile(const char* path) {
  HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  if (file_ != nullptr) CloseHandle(file_);
  file_ = file;
  return true;
}

void Report::Write(const char* text, size_t length) {
  DWORD written = 0;
  EnterCriticalSection(&writing_);
  if (standardOutput_ != nullptr)
    WriteFile(standardOutput_, text, static_cast<DWORD>(length), &written, nullptr);
  if (file_ != nullptr) WriteFile(file_, text, static_cast<DWORD>(length), &written, nullptr);
  LeaveCriticalSection(&writing_);
}

void Report::Line(const char* format, ...) {
  char line[kLineSize];
  va_list arguments;
  va_start(arguments, format);
  int length = vsnprintf(line, sizeof line - 2, format, arguments);
  va_end(arguments);
  if (length < 0) return;
  size_t used = static_cast<size_t>(length) < sizeof line - 2 ? static_cast<size_t>(length)
                                                              : sizeof line - 3;
  line[used++] = '\r';
  line[used++] = '\n';
  Write(line, used);
}

void Report::Error(const char* format, ...) {
  char text[kLineSize - 16];
  va_list arguments;
  va_start(arguments, format);
  vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  InterlockedIncrement(&errorCount_);
  Line("error: %s", text);
}

void QuoteForReport(char* dest, size_t size, const char* text) {
  if (size < 8) {  // too small for a quoted text; callers pass far more
    if (size > 0) dest[0] = '\0';
    return;
  }
  if (text == nullptr) {
    snprintf(dest, size, "null");
    return;
  }
  // Room kept for the closing quote, a possible "..." and the NUL.
  const size_t limit = size - 5;
  size_t used = 0;
  dest[used++] = '"';
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
    char escaped[8];
    int length;
    if (*p == '\n') length = snprintf(escaped, sizeof escaped, "\\n");
    else if (*p == '\r') length = snprintf(escaped, sizeof escaped, "\\r");
    else if (*p == '\t') length = snprintf(escaped, sizeof escaped, "\\t");
    else if (*p == '"') length = snprintf(escaped, sizeof escaped, "\\\"");
    else if (*p < 0x20) length = snprintf(escaped, sizeof escaped, "\\x%02x", *p);
    else length = snprintf(escaped, sizeof escaped, "%c", *p);
    if (used + static_cast<size_t>(length) > limit) {
      snprintf(dest + used, size - used, "...\"");
      return;
    }
    for (int i = 0; i < length; ++i) dest[used++] = escaped[i];
  }
  snprintf(dest + used, size - used, "\"");
}

void FormatBlock(char* dest, size_t size, const void* block) {
  snprintf(dest, size, "0x%llx",
           static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(block)));
}
