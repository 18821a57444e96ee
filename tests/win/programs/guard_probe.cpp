// A second process that loads the plug-in and calls ems_plugin_init, for the tests of the
// single-instance guard across processes.
//   guard_probe.exe <dll path> <same|no|yes> <address to keep free, hex> <report file>
// With "no" or "yes" it first reserves the address range where the first process has its
// copy, so that this process's copy is loaded elsewhere (another instance handle); the
// robot then answers the question with No or Yes. With "same" nothing is reserved and any
// question is answered No. The report file gets key=value lines:
//   handle, reserved, init, asked, caption, text, buttons, robotError, count, id,
//   description, icon, stillLoaded, reservedIntact
// Exit code 0 when the report was written, 2 on a set-up failure (message on stderr).
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include "plugin/ems_types.h"
#include "ui_robot.h"

namespace {

int Fail(const char* what) {
  std::fprintf(stderr, "guard_probe: %s (error %lu)\n", what, GetLastError());
  return 2;
}

// The size of the DLL's image, from its PE header on disk.
SIZE_T ImageSize(const char* dllPath) {
  HANDLE file = CreateFileA(dllPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  BYTE header[4096];
  DWORD read = 0;
  BOOL ok = ReadFile(file, header, sizeof header, &read, nullptr);
  CloseHandle(file);
  if (!ok || read < sizeof(IMAGE_DOS_HEADER)) return 0;
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(header);
  if (dos->e_lfanew <= 0 ||
      static_cast<DWORD>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS) > read) {
    return 0;
  }
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(header + dos->e_lfanew);
  return nt->OptionalHeader.SizeOfImage;
}

std::string OneLine(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '\n' ? std::string("\\n") : std::string(1, c);
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) return Fail("usage: guard_probe <dll> <same|no|yes> <address> <report>");
  const char* dllPath = argv[1];
  std::string mode = argv[2];
  void* avoid = reinterpret_cast<void*>(std::strtoull(argv[3], nullptr, 16));
  const char* reportPath = argv[4];

  void* reserved = nullptr;
  if (mode != "same") {
    SIZE_T size = ImageSize(dllPath);
    if (!size) return Fail("cannot read the DLL's image size");
    reserved = VirtualAlloc(avoid, size, MEM_RESERVE, PAGE_NOACCESS);
    if (reserved != avoid) return Fail("cannot reserve the first copy's address range");
  }

  HMODULE dll = LoadLibraryA(dllPath);
  if (!dll) return Fail("LoadLibrary failed");
  // Through a plain function pointer: FARPROC has no parameters to match.
  auto init = reinterpret_cast<ems_plugin_init_t>(
      reinterpret_cast<void (*)()>(GetProcAddress(dll, "ems_plugin_init")));
  auto release = reinterpret_cast<ems_free_t>(
      reinterpret_cast<void (*)()>(GetProcAddress(dll, "ems_free")));
  if (!init || !release) return Fail("exports missing");

  // Sentinels show which out-values the call wrote.
  short count = -7, id = -7;
  char* description = nullptr;
  HICON* icon = nullptr;
  char configDir[] = "C:\\probe";
  char user[] = "probe";
  RobotAnswer answer = robot::Expect("Tavix Light ", mode == "yes" ? IDYES : IDNO);
  long result = init(nullptr, configDir, user, user, &count, &description, &id, &icon);
  const robot::Seen& seen = mode == "same" ? answer.Stop() : answer.Wait();

  char path[MAX_PATH];
  bool stillLoaded = GetModuleFileNameA(dll, path, sizeof path) != 0;
  bool reservedIntact = false;
  if (reserved) {
    MEMORY_BASIC_INFORMATION info{};
    reservedIntact = VirtualQuery(reserved, &info, sizeof info) && info.State == MEM_RESERVE;
  }

  FILE* report = std::fopen(reportPath, "w");
  if (!report) return Fail("cannot write the report");
  std::fprintf(report, "handle=%p\nreserved=%d\ninit=%ld\nasked=%d\n", static_cast<void*>(dll),
               reserved ? 1 : 0, result, seen.found ? 1 : 0);
  std::fprintf(report, "caption=%s\ntext=%s\nbuttons=%s\nrobotError=%s\n", seen.caption.c_str(),
               OneLine(seen.text).c_str(), robot::DescribeButtons(seen.buttons).c_str(),
               seen.error.c_str());
  std::fprintf(report, "count=%d\nid=%d\ndescription=%s\nicon=%d\n", count, id,
               description ? description : "(none)", icon && *icon ? 1 : 0);
  std::fprintf(report, "stillLoaded=%d\nreservedIntact=%d\n", stillLoaded ? 1 : 0,
               reservedIntact ? 1 : 0);
  std::fclose(report);

  if (description) release(description);
  if (icon) release(icon);
  return 0;
}
