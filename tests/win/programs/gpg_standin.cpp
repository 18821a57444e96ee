// Stands in for gpg where the Windows tests run the GnuPG bridge (no real gpg runs here):
//   --status-fd <handle>   status lines go to that inherited handle
//   --fake-exit <n>        the exit code of --fake-echo
//   --fake-echo <args...>  status FAKE_ECHO; every later argument and a NUL on standard output
//   --fake-sleep <ms>      sleeps, then exits 0
//   --decrypt -- <file>    the file on standard output; DECRYPTION_OKAY when it begins with
//                          "GOOD", otherwise DECRYPTION_FAILED and exit 2
//   --output <out> --encrypt ... -- <file>   an armour line and the file into out; END_ENCRYPTION
#include <windows.h>

#include <cstdlib>
#include <string>

#include "test_support.h"

namespace {

HANDLE statusHandle = nullptr;

void WriteAll(HANDLE handle, const std::string& bytes) {
  DWORD written = 0;
  if (handle && handle != INVALID_HANDLE_VALUE) WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}
void Status(const std::string& line) { WriteAll(statusHandle, "[GNUPG:] " + line + "\n"); }

}  // namespace

int main(int argc, char** argv) {
  std::string output, input;
  bool decrypt = false, encrypt = false;
  int exitCode = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i], next = i + 1 < argc ? argv[i + 1] : "";
    if (arg == "--status-fd") {
      statusHandle = reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(std::strtoull(next.c_str(), nullptr, 10)));
      ++i;
    } else if (arg == "--fake-exit") {
      exitCode = std::atoi(argv[++i]);
    } else if (arg == "--fake-echo") {
      Status("FAKE_ECHO");
      std::string echoed;
      for (int k = i + 1; k < argc; ++k) echoed += std::string(argv[k]) + '\0';
      WriteAll(GetStdHandle(STD_OUTPUT_HANDLE), echoed);
      return exitCode;
    } else if (arg == "--fake-sleep") {
      Sleep(static_cast<DWORD>(std::strtoul(next.c_str(), nullptr, 10)));
      return 0;
    } else if (arg == "--output") {
      output = argv[++i];
    } else if (arg == "--decrypt" || arg == "--encrypt") {
      (arg == "--decrypt" ? decrypt : encrypt) = true;
    } else if (arg == "--") {
      input = next;
      break;
    }
  }
  const std::string bytes = support::ReadFileBytes(input);
  if (decrypt) {
    WriteAll(GetStdHandle(STD_OUTPUT_HANDLE), bytes);
    const bool good = bytes.compare(0, 4, "GOOD") == 0;
    Status(good ? "DECRYPTION_OKAY" : "DECRYPTION_FAILED");
    return good ? 0 : 2;
  }
  if (encrypt && support::WriteFileBytes(output, "-----BEGIN PGP MESSAGE-----\r\n" + bytes)) {
    Status("END_ENCRYPTION");
    return 0;
  }
  return 2;
}
