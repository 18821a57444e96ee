// Stands in for PGP where a test needs to see the console a child process gets:
// waits (bounded by TAVIX_PROBE_WAIT_MS, default 3000) until its console title equals its
// own command line, then writes to the file named by TAVIX_PROBE_OUT:
//   console=<0|1>            whether it has a console window
//   titleIsCommandLine=<0|1>
//   title=<the last title read>
// and exits with TAVIX_PROBE_EXIT (default 0).
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

static DWORD NumberFromEnvironment(const char* name, DWORD fallback) {
  char value[32];
  DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
  if (length == 0 || length >= sizeof value) return fallback;
  return static_cast<DWORD>(std::strtoul(value, nullptr, 0));
}

int main() {
  const char* commandLine = GetCommandLineA();
  DWORD waitMs = NumberFromEnvironment("TAVIX_PROBE_WAIT_MS", 3000);
  char title[1024] = "";
  bool matched = false;
  for (DWORD waited = 0;; waited += 20) {
    title[0] = '\0';
    GetConsoleTitleA(title, sizeof title);
    matched = std::strcmp(title, commandLine) == 0;
    if (matched || waited >= waitMs) break;
    Sleep(20);
  }

  char outName[MAX_PATH];
  DWORD length = GetEnvironmentVariableA("TAVIX_PROBE_OUT", outName, sizeof outName);
  if (length > 0 && length < sizeof outName) {
    if (FILE* out = std::fopen(outName, "w")) {
      std::fprintf(out, "console=%d\ntitleIsCommandLine=%d\ntitle=%s\n", GetConsoleWindow() != nullptr,
                   matched ? 1 : 0, title);
      std::fclose(out);
    }
  }
  return static_cast<int>(NumberFromEnvironment("TAVIX_PROBE_EXIT", 0));
}
