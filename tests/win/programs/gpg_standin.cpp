// Stands in for gpg where the Windows tests run the GnuPG bridge's process layer:
//   --status-fd <handle>   status lines go to that inherited handle
//   --fake-exit <n>        the exit code of --fake-echo
//   --fake-echo <args...>  status FAKE_ECHO; every later argument and a NUL on standard output
//   --fake-sleep <ms>      sleeps, then exits 0
#include <windows.h>

#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  HANDLE status = nullptr;
  int exitCode = 2;
  for (int i = 1; i + 1 < argc; ++i) {
    const std::string arg = argv[i];
    DWORD written = 0;
    if (arg == "--status-fd") {
      status = reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(std::strtoull(argv[++i], nullptr, 10)));
    } else if (arg == "--fake-exit") {
      exitCode = std::atoi(argv[++i]);
    } else if (arg == "--fake-sleep") {
      Sleep(static_cast<DWORD>(std::strtoul(argv[++i], nullptr, 10)));
      return 0;
    } else if (arg == "--fake-echo") {
      const std::string line = "[GNUPG:] FAKE_ECHO\n";
      WriteFile(status, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
      std::string echoed;
      for (int k = i + 1; k < argc; ++k) echoed += std::string(argv[k]) + '\0';
      WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), echoed.data(), static_cast<DWORD>(echoed.size()), &written, nullptr);
      return exitCode;
    }
  }
  return exitCode;
}
