#include "gpg_setup.h"

#include <vector>

namespace pgp2gpg {

namespace {

bool ReadSetVariable(const EnvironmentReader& environment, const char* name, std::string& value) {
  return environment(name, value) && !value.empty();
}

std::vector<std::string> SplitList(const std::string& list, char separator) {
  std::vector<std::string> items;
  size_t start = 0;
  for (;;) {
    size_t end = list.find(separator, start);
    std::string item =
        list.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!item.empty()) items.push_back(item);
    if (end == std::string::npos) return items;
    start = end + 1;
  }
}

std::string Join(const std::string& directory, const std::string& name,
                 const HostConventions& host) {
  if (host.directorySeparators.find(directory.back()) != std::string::npos) return directory + name;
  return directory + host.directorySeparators[0] + name;
}

bool Try(const std::string& candidate, const FileTest& isFile, std::string& program,
         std::string& tried) {
  tried += (tried.empty() ? "" : ", ") + candidate;
  if (!isFile(candidate)) return false;
  program = candidate;
  return true;
}

}  // namespace

bool FindGpgProgram(const EnvironmentReader& environment, const FileTest& isFile,
                    const HostConventions& host, std::string& program, std::string& tried) {
  program.clear();
  tried.clear();
  std::string name;
  if (!ReadSetVariable(environment, "TAVIX_GPG", name)) {
    name = host.gpgFileName;
  } else if (name.find_first_of(host.directorySeparators) != std::string::npos) {
    return Try(name, isFile, program, tried);
  }
  if (!host.bridgeDirectory.empty() &&
      Try(Join(host.bridgeDirectory, name, host), isFile, program, tried)) {
    return true;
  }
  std::string path;
  ReadSetVariable(environment, "PATH", path);
  for (const std::string& directory : SplitList(path, host.pathListSeparator)) {
    if (Try(Join(directory, name, host), isFile, program, tried)) return true;
  }
  if (tried.empty()) tried = name + " (PATH is empty)";
  return false;
}

std::string ChooseGnupgHome(const EnvironmentReader& environment, const FileTest& isFile,
                            const HostConventions& host) {
  std::string value;
  if (ReadSetVariable(environment, "GNUPGHOME", value)) return std::string();
  if (!ReadSetVariable(environment, "PGPPATH", value)) return std::string();
  while (value.size() > 1 && host.directorySeparators.find(value.back()) != std::string::npos)
    value.pop_back();
  for (const char* marker : {"pubring.kbx", "pubring.gpg", "trustdb.gpg"}) {
    if (isFile(Join(value, marker, host))) return value;
  }
  return std::string();
}

bool ReadGpgTimeout(const EnvironmentReader& environment, unsigned& seconds, std::string& error) {
  seconds = kDefaultGpgTimeoutSeconds;
  std::string text;
  if (!environment("TAVIX_GPG_TIMEOUT", text)) return true;
  unsigned long value = 0;
  bool digitsOnly = !text.empty() && text.size() <= 6;
  for (char c : text) {
    digitsOnly = digitsOnly && c >= '0' && c <= '9';
    if (digitsOnly) value = value * 10 + static_cast<unsigned long>(c - '0');
  }
  if (!digitsOnly || value < 1 || value > kLongestGpgTimeoutSeconds) {
    error = "TAVIX_GPG_TIMEOUT must be a number of seconds from 1 to " +
            std::to_string(kLongestGpgTimeoutSeconds) + ", not \"" + text + "\"";
    return false;
  }
  seconds = static_cast<unsigned>(value);
  return true;
}

}  // namespace pgp2gpg
