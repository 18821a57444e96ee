// Stands in for PGP where a test needs to see the console a child gets: waits (at most
// TAVIX_PROBE_WAIT_MS, default 3000) until its console title is its own command line, then
// writes "console=<0|1>" and "title=<the last title read>" to the file TAVIX_PROBE_OUT.
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main() {
  char value[32] = "";
  DWORD length = GetEnvironmentVariableA("TAVIX_PROBE_WAIT_MS", value, sizeof value);
  const DWORD waitMs = length > 0 && length < sizeof value ? std::strtoul(value, nullptr, 0) : 3000;
  char title[1024] = "";
  for (DWORD start = GetTickCount(); GetTickCount() - start < waitMs; Sleep(20)) {
    title[0] = '\0';
    GetConsoleTitleA(title, sizeof title);
    if (std::strcmp(title, GetCommandLineA()) == 0) break;
  }
  char outName[MAX_PATH];
  length = GetEnvironmentVariableA("TAVIX_PROBE_OUT", outName, sizeof outName);
  FILE* out = length > 0 && length < sizeof outName ? std::fopen(outName, "w") : nullptr;
  if (!out) return 1;
  std::fprintf(out, "console=%d\ntitle=%s\n", GetConsoleWindow() != nullptr, title);
  return std::fclose(out) == 0 ? 0 : 1;
}
