#include "standin_log.h"

#include "standin_command_line.h"

namespace standin {

std::string FormatInvocationRecord(const InvocationRecord& record) {
  std::string argumentText = ArgumentText(record.commandLine);
  std::vector<std::string> arguments = SplitArguments(argumentText);
  std::string out = "[pgp invocation]\n";
  out += "command line=" + record.commandLine + "\n";
  out += "arguments=" + argumentText + "\n";
  out += "argument count=" + std::to_string(arguments.size()) + "\n";
  for (size_t i = 0; i < arguments.size(); ++i) {
    out += "argument " + std::to_string(i + 1) + "=" + arguments[i] + "\n";
  }
  out += "current directory=" + record.currentDirectory + "\n";
  out += record.pgpPathSet ? "PGPPATH=" + record.pgpPath + "\n" : std::string("PGPPATH is not set\n");
  out += "\n";
  return out;
}

}  // namespace standin
