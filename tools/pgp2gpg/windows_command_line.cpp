#include "windows_command_line.h"

namespace pgp2gpg {

std::string QuoteWindowsArgument(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos)
    return argument;
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') {
      quoted.append(backslashes * 2 + 1, '\\');
    } else {
      quoted.append(backslashes, '\\');
    }
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, '\\');
  quoted += '"';
  return quoted;
}

bool BuildWindowsCommandLine(const std::string& program, const std::vector<std::string>& arguments,
                             std::string& commandLine, std::string& error) {
  if (program.empty() || program.find('"') != std::string::npos) {
    error = "the program path \"" + program + "\" cannot be written on a command line";
    return false;
  }
  commandLine = program.find_first_of(" \t") == std::string::npos ? program : "\"" + program + "\"";
  for (const std::string& argument : arguments) commandLine += " " + QuoteWindowsArgument(argument);
  return true;
}

}  // namespace pgp2gpg
