// A second process that loads the plug-in and calls ems_plugin_init, for the single-instance
// guard across processes:  guard_probe.exe <dll> <same|no|yes> <address, hex> <report file>
// With "no" or "yes" it first reserves the range where the first process has its copy, so that
// its own copy gets another instance handle; the robot answers the question with that button.
// The report gets key=value lines; exit code 0 when it was written, 2 on a set-up failure.
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include "plugin/ems_types.h"
#include "ui_robot.h"

int main(int argc, char** argv) {
  if (argc != 5) return 2;
  const std::string mode = argv[2];
  void* avoid = reinterpret_cast<void*>(std::strtoull(argv[3], nullptr, 16));
  void* reserved = nullptr;
  if (mode != "same") {
    // The size of the DLL's image, from a copy loaded as data.
    HMODULE data = LoadLibraryExA(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!data) return 2;
    auto* headers = reinterpret_cast<const BYTE*>(reinterpret_cast<UINT_PTR>(data) & ~UINT_PTR{3});
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        headers + reinterpret_cast<const IMAGE_DOS_HEADER*>(headers)->e_lfanew);
    const SIZE_T size = nt->OptionalHeader.SizeOfImage;
    FreeLibrary(data);
    reserved = VirtualAlloc(avoid, size, MEM_RESERVE, PAGE_NOACCESS);
    if (reserved != avoid) return 2;
  }
  HMODULE dll = LoadLibraryA(argv[1]);
  auto init = reinterpret_cast<ems_plugin_init_t>(
      reinterpret_cast<void (*)()>(dll ? GetProcAddress(dll, "ems_plugin_init") : nullptr));
  if (!init) return 2;

  short count = -7, id = -7;  // sentinels: which out-values the call wrote
  char* description = nullptr;
  HICON* icon = nullptr;
  char configDir[] = "C:\\probe";
  RobotAnswer answer = robot::Expect("Tavix Light ", mode == "yes" ? IDYES : IDNO);
  const long result = init(nullptr, configDir, configDir, configDir, &count, &description, &id, &icon);
  const robot::Seen& seen = mode == "same" ? answer.Stop() : answer.Wait();
  char path[MAX_PATH];
  MEMORY_BASIC_INFORMATION info{};
  const bool reservedIntact = reserved && VirtualQuery(reserved, &info, sizeof info) && info.State == MEM_RESERVE;
  std::string text = seen.text;
  for (size_t at; (at = text.find('\n')) != std::string::npos;) text.replace(at, 1, "\\n");
  std::string buttons;
  for (int button : seen.buttons) buttons += (buttons.empty() ? "" : " ") + std::to_string(button);

  FILE* report = std::fopen(argv[4], "w");
  if (!report) return 2;
  std::fprintf(report, "handle=%p\ninit=%ld\nasked=%d\ncaption=%s\ntext=%s\nbuttons=%s\nrobotError=%s\n",
               static_cast<void*>(dll), result, seen.found ? 1 : 0, seen.caption.c_str(), text.c_str(),
               buttons.c_str(), seen.error.c_str());
  std::fprintf(report, "out=%d %d %.13s %d\nstillLoaded=%d\nreservedIntact=%d\n", count, id,
               description ? description : "(none)", icon && *icon ? 1 : 0,
               GetModuleFileNameA(dll, path, sizeof path) != 0, reservedIntact ? 1 : 0);
  std::fclose(report);
  return 0;
}
