// Where gpg and its home are, and how long gpg may run: from the environment and the file
// system, both handed in, so that the choices can be tested on any system.
#pragma once
#include <functional>
#include <string>

namespace pgp2gpg {

// True with the value when the variable is set (possibly empty).
using EnvironmentReader = std::function<bool(const char* name, std::string& value)>;
using FileTest = std::function<bool(const std::string& path)>;

struct HostConventions {
  char pathListSeparator;           // ':' or ';'
  std::string directorySeparators;  // "/" or "\\/"
  std::string gpgFileName;          // "gpg" or "gpg.exe"
  std::string bridgeDirectory;      // searched before PATH; empty: not searched
};

// TAVIX_GPG names the program (a bare name is looked for on PATH); otherwise gpg beside the
// bridge (when bridgeDirectory is given), otherwise the first gpg on PATH. Empty entries of
// PATH are skipped: they would mean the current directory, which holds the transfer files.
// False when nothing is found; `tried` lists what was looked for.
bool FindGpgProgram(const EnvironmentReader& environment, const FileTest& isFile,
                    const HostConventions& host, std::string& program, std::string& tried);

// The home to pass with --homedir: empty when GNUPGHOME is set (gpg takes it) or when PGPPATH
// names no GnuPG home (a folder with pubring.kbx, pubring.gpg or trustdb.gpg); otherwise
// PGPPATH without its trailing separators.
std::string ChooseGnupgHome(const EnvironmentReader& environment, const FileTest& isFile,
                            const HostConventions& host);

enum : unsigned { kDefaultGpgTimeoutSeconds = 300, kLongestGpgTimeoutSeconds = 86400 };

// TAVIX_GPG_TIMEOUT in whole seconds (1 to kLongestGpgTimeoutSeconds), else the default.
bool ReadGpgTimeout(const EnvironmentReader& environment, unsigned& seconds, std::string& error);

}  // namespace pgp2gpg
