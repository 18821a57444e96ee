// pgp2gpg: the program. Only the command line and the host's conventions differ between
// Windows and Linux; everything else is the portable bridge.
#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bridge_run.h"
#include "process_runner.h"
#include "standin_command_line.h"

namespace {

bool ReadEnvironment(const char* name, std::string& value) {
  const char* text = std::getenv(name);
  value = text == nullptr ? "" : text;
  return text != nullptr;
}

}  // namespace

#ifdef _WIN32
int main() {
  // Split as the stand-in and every C runtime program would: the same command line the
  // plug-in sends to pgp.exe.
  std::vector<std::string> arguments =
      standin::SplitArguments(standin::ArgumentText(GetCommandLineA()));
  pgp2gpg::HostConventions host = {';', "\\/", "gpg.exe", pgp2gpg::ProgramDirectory()};
#else
int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  pgp2gpg::HostConventions host = {':', "/", "gpg", std::string()};
#endif
  int code = pgp2gpg::RunBridge(arguments, ReadEnvironment, host);
  std::fflush(stdout);
  std::fflush(stderr);
  return code;
}
