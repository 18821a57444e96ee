// One run of the bridge: a PGP 2 command line in, one gpg run, the result file and the exit
// code out. Progress goes to standard output, problems to standard error.
#pragma once
#include <string>
#include <vector>

#include "gpg_setup.h"

namespace pgp2gpg {

// `arguments` are those after the program name, split as the C runtime splits them.
int RunBridge(const std::vector<std::string>& arguments, const EnvironmentReader& environment,
              const HostConventions& host);

}  // namespace pgp2gpg
