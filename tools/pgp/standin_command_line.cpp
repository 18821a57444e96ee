#include "standin_command_line.h"

namespace standin {

std::string ArgumentText(const std::string& commandLine) {
  size_t pos = 0;
  // The program name is taken as the system takes it: quoted up to the next quote,
  // otherwise up to the first blank or tab; backslashes have no special meaning.
  if (!commandLine.empty() && commandLine[0] == '"') {
    size_t close = commandLine.find('"', 1);
    pos = close == std::string::npos ? commandLine.size() : close + 1;
  } else {
    while (pos < commandLine.size() && commandLine[pos] != ' ' && commandLine[pos] != '\t') ++pos;
  }
  if (pos < commandLine.size() && (commandLine[pos] == ' ' || commandLine[pos] == '\t')) ++pos;
  return commandLine.substr(pos);
}

std::vector<std::string> SplitArguments(const std::string& text) {
  std::vector<std::string> args;
  size_t pos = 0;
  const size_t n = text.size();
  for (;;) {
    while (pos < n && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    if (pos >= n) break;
    std::string arg;
    bool quoted = false;
    while (pos < n) {
      char c = text[pos];
      if (c == '\\') {
        size_t slashes = 0;
        while (pos < n && text[pos] == '\\') {
          ++slashes;
          ++pos;
        }
        if (pos < n && text[pos] == '"') {
          arg.append(slashes / 2, '\\');
          if (slashes % 2 == 1) {
            arg += '"';
            ++pos;
          }
        } else {
          arg.append(slashes, '\\');
        }
        continue;
      }
      if (c == '"') {
        if (quoted && pos + 1 < n && text[pos + 1] == '"') {
          arg += '"';  // "" inside quotes is one literal quote
          pos += 2;
          continue;
        }
        quoted = !quoted;
        ++pos;
        continue;
      }
      if (!quoted && (c == ' ' || c == '\t')) break;
      arg += c;
      ++pos;
    }
    args.push_back(arg);
  }
  return args;
}

}  // namespace standin
